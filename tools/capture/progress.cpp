#include "tools/capture/progress.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

std::string clockText(double seconds)
{
    const long long whole = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld", whole / 60, whole % 60);
    return text;
}

} // namespace

Progress::Progress(std::string what_, int total_, bool terminal_, int subFrames_)
    : what(std::move(what_)), total(total_), terminal(terminal_), subFrames(std::max(1, subFrames_))
{
}

std::string Progress::line(const std::string& what, int done, int total, double seconds, bool bar, int subFrames)
{
    const double fps = seconds > 0.0 ? done / seconds : 0.0;
    std::string text = what + " ";
    if (bar) {
        constexpr int width = 30;
        const int filled = total > 0 ? std::clamp(done * width / total, 0, width) : width;
        // Appended piece by piece: MinGW's GCC 12 warns falsely (-Wrestrict) on the concatenation.
        text += '[';
        text.append(static_cast<size_t>(filled), '#').append(static_cast<size_t>(width - filled), ' ');
        text += "] ";
    }
    char numbers[128];
    if (subFrames > 1)
        std::snprintf(numbers, sizeof numbers, "%d/%d sub-frames (%d/%d frames), %.2f sub-frames/s", done, total,
                      done / subFrames, total / subFrames, fps);
    else
        std::snprintf(numbers, sizeof numbers, "%d/%d frames, %.1f fps", done, total, fps);
    text += numbers;
    if (done < total)
        text += fps > 0.0 ? ", " + clockText((total - done) / fps) + " left" : ", time left unknown";
    else
        text += ", " + clockText(seconds) + " in all";
    return text;
}

void Progress::update(int done)
{
    const Clock::time_point now = Clock::now();
    // A terminal is redrawn a few times a second; a log gets a line every five seconds.
    const auto interval = terminal ? std::chrono::milliseconds(250) : std::chrono::milliseconds(5000);
    if (shownOnce && now - lastShown < interval)
        return;
    shownOnce = true;
    lastShown = now;
    const double seconds = std::chrono::duration<double>(now - started).count();
    if (terminal)
        std::fprintf(stderr, "\r%s\033[K", line(what, done, total, seconds, true, subFrames).c_str());
    else
        std::fprintf(stderr, "orvalune-capture: %s\n", line(what, done, total, seconds, false, subFrames).c_str());
    std::fflush(stderr);
}

void Progress::finish(int done)
{
    const double seconds = std::chrono::duration<double>(Clock::now() - started).count();
    if (terminal)
        std::fprintf(stderr, "\r%s\033[K\n", line(what, done, total, seconds, true, subFrames).c_str());
    else
        std::fprintf(stderr, "orvalune-capture: %s\n", line(what, done, total, seconds, false, subFrames).c_str());
    std::fflush(stderr);
}
