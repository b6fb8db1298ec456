#include "tests/support/capture.h"

#include "tests/support/process.h"

#include <stb/stb_image.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

CaptureTool builtCaptureTool() { return {{builtProgram("orvalune-capture")}, ORV_BINARY_DIR, ""}; }

namespace {
std::vector<std::string> withOptions(const CaptureTool& tool, const std::vector<std::string>& options)
{
    std::vector<std::string> argv = tool.command;
    argv.insert(argv.end(), options.begin(), options.end());
    return argv;
}
} // namespace

namespace {
// Runs the tool for the one frame at `ms` with the given way of reaching it, and reads it back.
CapturedFrame captureSingle(int ms, const std::vector<std::string>& reach, int width, int height, const CaptureTool& tool)
{
    CapturedFrame frame;
    const fs::path out = fs::temp_directory_path() / ("orvalune-frame-" + std::to_string(getpid()) + "-" + std::to_string(ms));
    fs::remove_all(out);
    std::vector<std::string> options = reach;
    options.insert(options.end(), {"--at", std::to_string(ms), "--size", std::to_string(width) + "x" + std::to_string(height),
                                   "--out", tool.pathPrefix + out.string()});
    const ProgramResult run = runProgram(withOptions(tool, options), tool.workingDirectory, 300.0);
    frame.log = run.output;
    char name[64];
    std::snprintf(name, sizeof name, "at_%06d.png", ms);
    int w = 0, h = 0, channels = 0;
    unsigned char* pixels = stbi_load((out / name).string().c_str(), &w, &h, &channels, 4);
    if (run.exitCode == 0 && pixels) {
        frame.width = w;
        frame.height = h;
        frame.rgba.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
        frame.ok = true;
    }
    stbi_image_free(pixels);
    fs::remove_all(out);
    return frame;
}
} // namespace

CapturedFrame captureAt(int ms, int width, int height, const CaptureTool& tool)
{
    return captureSingle(ms, {"--seek"}, width, height, tool);
}

CapturedFrame capturePlayedAt(int ms, int runupMs, int fps, int width, int height)
{
    return captureSingle(ms, {"--runup", std::to_string(runupMs), "--fps", std::to_string(fps)}, width, height,
                         builtCaptureTool());
}

CapturedRange captureRange(int fromMs, int toMs, int fps, int width, int height, double timeoutSeconds,
                           const CaptureTool& tool)
{
    CapturedRange range;
    const fs::path out = fs::temp_directory_path() /
                         ("orvalune-range-" + std::to_string(getpid()) + "-" + std::to_string(fromMs) + "-" +
                          std::to_string(toMs) + "-" + std::to_string(fps));
    fs::remove_all(out);
    const ProgramResult run =
        runProgram(withOptions(tool, {"--from", std::to_string(fromMs), "--to", std::to_string(toMs), "--fps",
                                      std::to_string(fps), "--size", std::to_string(width) + "x" + std::to_string(height),
                                      "--out", tool.pathPrefix + out.string()}),
                   tool.workingDirectory, timeoutSeconds);
    range.log = run.output;
    range.exitCode = run.exitCode;
    range.timedOut = run.timedOut;
    for (int i = 0;; ++i) {
        char name[64];
        std::snprintf(name, sizeof name, "frame_%06d.png", i);
        int w = 0, h = 0, channels = 0;
        unsigned char* pixels = stbi_load((out / name).string().c_str(), &w, &h, &channels, 4);
        if (!pixels)
            break;
        CapturedFrame frame;
        frame.width = w;
        frame.height = h;
        frame.rgba.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
        frame.ok = true;
        stbi_image_free(pixels);
        range.frames.push_back(std::move(frame));
    }
    fs::remove_all(out);
    return range;
}

std::vector<CapturedFrame> capturePlayed(int fromMs, int toMs, int fps, const std::vector<int>& atMs, int width,
                                         int height)
{
    const CapturedRange range = captureRange(fromMs, toMs, fps, width, height, 1200.0);
    std::vector<CapturedFrame> frames(atMs.size());
    for (size_t i = 0; i < atMs.size(); ++i) {
        const long long index = static_cast<long long>(atMs[i] - fromMs) * fps / 1000;
        if (range.exitCode == 0 && index >= 0 && index < static_cast<long long>(range.frames.size()))
            frames[i] = range.frames[static_cast<size_t>(index)];
        frames[i].log = range.log;
    }
    return frames;
}

double CapturedFrame::meanChannel(int channel) const
{
    if (rgba.empty())
        return 0.0;
    double sum = 0.0;
    for (size_t i = static_cast<size_t>(channel); i < rgba.size(); i += 4)
        sum += rgba[i];
    return sum / static_cast<double>(rgba.size() / 4);
}

double CapturedFrame::shareBrighterThan(int threshold) const
{
    if (rgba.empty())
        return 0.0;
    size_t count = 0;
    for (size_t i = 0; i < rgba.size(); i += 4)
        if (std::max({rgba[i], rgba[i + 1], rgba[i + 2]}) > threshold)
            ++count;
    return static_cast<double>(count) / static_cast<double>(rgba.size() / 4);
}

double CapturedFrame::regionMean(float left, float top, float right, float bottom) const
{
    const int x0 = std::clamp(static_cast<int>(left * width), 0, width), x1 = std::clamp(static_cast<int>(right * width), 0, width);
    const int y0 = std::clamp(static_cast<int>(top * height), 0, height), y1 = std::clamp(static_cast<int>(bottom * height), 0, height);
    if (x1 <= x0 || y1 <= y0 || rgba.empty())
        return 0.0;
    double sum = 0.0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            sum += std::max({p[0], p[1], p[2]});
        }
    return sum / (static_cast<double>(x1 - x0) * (y1 - y0));
}
