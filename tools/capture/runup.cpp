#include "tools/capture/runup.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

bool holds(const LiveWindow& window, int ms)
{
    return ms >= 0 && static_cast<unsigned long>(ms) >= window.startMs && static_cast<unsigned long>(ms) <= window.endMs;
}

} // namespace

int frameTimeMs(int startMs, int index, int fps)
{
    return static_cast<int>(std::floor(static_cast<double>(startMs) + static_cast<double>(index) * 1000.0 / fps));
}

Runup planRunup(const std::vector<LiveWindow>& timeline, int atMs, int fps, int runupMs)
{
    if (fps <= 0 || atMs <= 0)
        return {std::max(atMs, 0), 0};
    long long wanted = atMs;
    if (runupMs >= 0) {
        wanted = std::max(0LL, static_cast<long long>(atMs) - runupMs);
    } else {
        for (const LiveWindow& window : timeline)
            if (holds(window, atMs))
                wanted = std::min(wanted, static_cast<long long>(window.startMs));
    }
    // Frames at fps land on whole milliseconds every `framesPerStep` frames, `stepMs` apart.
    const int divisor = std::gcd(1000, fps);
    const long long stepMs = 1000 / divisor;
    const long long framesPerStep = fps / divisor;
    long long steps = (atMs - wanted + stepMs - 1) / stepMs;
    if (steps * stepMs > atMs)
        --steps;
    return {static_cast<int>(atMs - steps * stepMs), static_cast<int>(steps * framesPerStep)};
}

bool anyLive(const std::vector<LiveWindow>& timeline, int ms, const std::vector<std::string>& names)
{
    for (const LiveWindow& window : timeline)
        if (holds(window, ms) && std::find(names.begin(), names.end(), window.name) != names.end())
            return true;
    return false;
}
