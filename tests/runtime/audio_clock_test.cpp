// The live clock on a real audio device: SDL's "disk" driver consumes the music at the device's
// pace, so the position must follow the samples played, smoothly and never backwards.
#include "runtime/dms.h"
#include "tests/runtime/runtime_fixture.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

// Runs in a fresh process (a death-test child), so the runtime opens live, not offline.
int liveClockChecks()
{
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", "/dev/null", 1);
    if (!openRuntimeOnTestArchive(false))
        return 10;
    dmsInitTimer();
    dmsPlaySong(1);
    std::vector<int> positions;
    const Uint64 start = SDL_GetTicks64();
    while (SDL_GetTicks64() - start < 1200) {
        dmsUpdateTimer();
        positions.push_back(dmsGetModulePosition());
        SDL_Delay(5);
    }
    for (size_t i = 1; i < positions.size(); ++i)
        if (positions[i] < positions[i - 1])
            return 11; // ran backwards without a seek
    const int elapsed = static_cast<int>(SDL_GetTicks64() - start);
    if (std::abs(positions.back() - elapsed) > 250)
        return 12; // does not follow the device's pace
    const int before = positions.back();
    dmsAdjustTime(-500.0f);
    dmsUpdateTimer();
    const int after = dmsGetModulePosition();
    if (after > before - 400 || after < before - 600)
        return 13; // the seek did not move the clock by its amount
    SDL_Delay(300);
    dmsUpdateTimer();
    if (dmsGetModulePosition() < after + 150)
        return 14; // the clock stalled after the seek
    dmsShutDown();
    return 0;
}

TEST(LiveClock, FollowsTheDeviceAndSeeks)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(liveClockChecks()), ::testing::ExitedWithCode(0), "");
}

} // namespace
