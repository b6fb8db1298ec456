// The live clock on a real audio device: SDL's "disk" driver consumes the music at the device's
// pace, so the position must follow the samples played, smoothly and never backwards. It is
// compared with the frames the device wrote, not with the wall clock, so a loaded machine that
// delays the device thread does not fail it.
#include "runtime/dms.h"
#include "tests/runtime/runtime_fixture.h"
#include "tests/support/gl_context.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// SDL's disk driver writes what the device consumes to this file: its length is the count of
// frames played (float stereo), the measure the clock must follow whatever the machine's load.
std::string deviceFile() { return "/tmp/orvalune-audio-clock-" + std::to_string(getpid()) + ".raw"; }

double framesPlayed()
{
    struct stat info{};
    return stat(deviceFile().c_str(), &info) == 0 ? static_cast<double>(info.st_size) / (2 * sizeof(float)) : 0.0;
}

double framesToMs(double frames) { return frames * 1000.0 / 44100.0; }

// The device's buffers (1024 frames): what was heard lags the frames written by the two still
// queued, and a reading can fall on either side of one being written.
constexpr double buffersMs = 3 * 1024 * 1000.0 / 44100.0;

// Waits (boundedly) until the device has written `frames` more than `from`; the count then.
double waitForFrames(double from, double frames)
{
    const Uint64 giveUp = SDL_GetTicks64() + 60000;
    double now = framesPlayed();
    while (now < from + frames && SDL_GetTicks64() < giveUp) {
        SDL_Delay(2);
        now = framesPlayed();
    }
    return now;
}

// Reads the clock between two counts of the frames played.
struct Reading {
    double framesBefore, framesAfter;
    int position;
};
Reading readClock()
{
    Reading r{};
    r.framesBefore = framesPlayed();
    dmsUpdateTimer();
    r.position = dmsGetModulePosition();
    r.framesAfter = framesPlayed();
    return r;
}

// The clock moved from `from` to `to` by what the device played in between (no seek).
bool followedThePlay(const Reading& from, const Reading& to)
{
    const double moved = to.position - from.position;
    return moved >= framesToMs(to.framesBefore - from.framesAfter) - buffersMs - 2.0 &&
           moved <= framesToMs(to.framesAfter - from.framesBefore) + buffersMs + 2.0;
}

// Runs in a fresh process (a death-test child), so the runtime opens live, not offline.
int liveClockChecks()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", deviceFile().c_str(), 1);
    if (!openRuntimeOnTestArchive(false))
        return 10;
    dmsInitTimer();
    dmsPlaySong(1);
    if (waitForFrames(0.0, 4096.0) < 4096.0)
        return 15; // the device never played
    // Sample the clock while the device plays about a second.
    std::vector<Reading> readings = {readClock()};
    while (readings.back().framesAfter < readings.front().framesAfter + 44100.0) {
        if (waitForFrames(readings.back().framesAfter, 256.0) < readings.back().framesAfter + 256.0)
            return 16; // the device stopped
        readings.push_back(readClock());
    }
    for (size_t i = 1; i < readings.size(); ++i)
        if (readings[i].position < readings[i - 1].position)
            return 11; // ran backwards without a seek
    if (!followedThePlay(readings.front(), readings.back()))
        return 12; // does not follow the frames played
    // A seek moves the clock by its amount; from there it follows the frames played again.
    const Reading before = readClock();
    dmsAdjustTime(-500.0f);
    const Reading after = readClock();
    const double seekSpanMs = framesToMs(after.framesAfter - before.framesBefore) + buffersMs;
    if (after.position < before.position - 500 - 2 || after.position > before.position - 500 + seekSpanMs + 2)
        return 13; // the seek did not move the clock by its amount
    waitForFrames(after.framesAfter, 0.3 * 44100.0);
    const Reading later = readClock();
    if (later.position < after.position + 250 || !followedThePlay(after, later))
        return 14; // the clock stalled or ran off after the seek
    dmsShutDown();
    std::remove(deviceFile().c_str());
    return 0;
}

TEST(LiveClock, FollowsTheDeviceAndSeeks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(liveClockChecks()), ::testing::ExitedWithCode(0), "");
}

double ticksMs() { return static_cast<double>(SDL_GetPerformanceCounter()) * 1000.0 / SDL_GetPerformanceFrequency(); }

// A device that pulls slower than real time (the disk driver told to take 60 ms over each 23 ms
// buffer) no longer keeps time: the clock leaves it for the wall clock, saying so.
int slowDeviceChecks()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", deviceFile().c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "60", 1);
    LogCapture log;
    if (!openRuntimeOnTestArchive(false))
        return 10;
    dmsInitTimer();
    dmsPlaySong(1);
    const auto left = [&] { return log.contains("stopped keeping time; the show goes on silently on the wall clock"); };
    const Uint64 giveUp = SDL_GetTicks64() + 8000;
    while (!left() && SDL_GetTicks64() < giveUp) {
        dmsUpdateTimer();
        SDL_Delay(5);
    }
    std::remove(deviceFile().c_str());
    if (!left())
        return 11; // the clock stayed on a device that falls behind
    // The clock and the wall clock read together (retried when the test was held up between).
    const auto reading = [](int& position) {
        for (;;) {
            const double before = ticksMs();
            dmsUpdateTimer();
            const double after = ticksMs();
            position = dmsGetModulePosition();
            if (after - before < 2.0)
                return (before + after) / 2;
        }
    };
    int from = 0, to = 0;
    const double start = reading(from);
    while (ticksMs() < start + 1000.0) {
        dmsUpdateTimer();
        SDL_Delay(5);
    }
    const double end = reading(to);
    if (std::abs((to - from) / (end - start) - 1.0) > 0.03)
        return 12; // not at real time on the wall clock
    dmsShutDown();
    return 0;
}

TEST(LiveClock, LeavesADeviceThatFallsBehindRealTimeForTheWallClock)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(slowDeviceChecks()), ::testing::ExitedWithCode(0), "");
}

} // namespace
