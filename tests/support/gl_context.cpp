#include "tests/support/gl_context.h"

#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

std::string builtArchivePath() { return std::string(ORV_BINARY_DIR) + "/data.pak"; }

bool openTestWindow(int width, int height, const char* archive, bool offline)
{
    static const bool opened = [&] {
        if (offline)
            dmsEnableOffline({60, 0});
        const std::string path = archive ? archive : builtArchivePath();
        const bool ok = dmsInitEx(width, height, 32, false, 1, false, false, 0, 0, path.c_str(), 0);
        // Close the window when the tests are over, whatever they did: while every static the
        // runtime uses still exists (an exit handler would run after some are gone).
        struct ShutDown : ::testing::Environment {
            void TearDown() override { dmsShutDown(); }
        };
        ::testing::AddGlobalTestEnvironment(new ShutDown);
        return ok;
    }();
    return opened;
}

std::vector<uint8_t> readTestFrame()
{
    std::vector<uint8_t> frame;
    dmsReadFrame(frame);
    return frame;
}

Rgba pixelAt(const std::vector<uint8_t>& frame, int width, int x, int y)
{
    const size_t i = (static_cast<size_t>(y) * width + x) * 4;
    return {frame[i], frame[i + 1], frame[i + 2], frame[i + 3]};
}

namespace {
void collect(const char* line, void* context) { static_cast<LogCapture*>(context)->lines.emplace_back(line); }
} // namespace

LogCapture::LogCapture() { dmsSetLogSink(collect, this); }
LogCapture::~LogCapture() { dmsSetLogSink(nullptr, nullptr); }

std::string LogCapture::all() const
{
    std::string text;
    for (const std::string& line : lines)
        text += line;
    return text;
}

bool LogCapture::contains(const std::string& text) const { return all().find(text) != std::string::npos; }
