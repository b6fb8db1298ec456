// Where a single frame's run-up starts: at the earliest live scene, on a frame grid that lands
// exactly on the asked time.
#include "tools/capture/runup.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const std::vector<LiveWindow> timeline = {
    {0, 10500, "fairyt"},      {8000, 66500, "uppo"},      {39000, 65500, "metakappyra"},
    {66500, 91000, "metsae"},  {91000, 150000, "meduusa"}, {72000, 150000, "alkuotukset"},
    {204000, 221500, "suihke"},
};

TEST(Runup, StartsAtTheEarliestSceneLiveAtThatTimeAndLandsOnIt)
{
    const Runup at50 = planRunup(timeline, 50000, 60, -1);
    EXPECT_EQ(at50.startMs, 8000);
    EXPECT_EQ(at50.frames, 42000 * 60 / 1000);
    // Both scenes that end and start at 91000 are live then: the forest's start counts.
    EXPECT_EQ(planRunup(timeline, 91000, 60, -1).startMs, 66500);
    // Between scenes nothing is live: the frame is its own run-up.
    EXPECT_EQ(planRunup(timeline, 180000, 60, -1).frames, 0);

    // At 60 fps frames fall on whole milliseconds every third frame (50 ms): the start moves back
    // to such a point, so that --from START --fps 60 plays these very frames.
    for (int at : {50010, 50049, 95013, 210001}) {
        const Runup runup = planRunup(timeline, at, 60, -1);
        EXPECT_EQ(runup.frames % 3, 0) << at;
        EXPECT_EQ(frameTimeMs(runup.startMs, runup.frames, 60), at) << at;
        EXPECT_LE(runup.startMs, at == 210001 ? 204000 : at < 66500 ? 8000 : 72000) << at;
        EXPECT_GT(runup.startMs + 50, at == 210001 ? 204000 : at < 66500 ? 8000 : 72000) << at;
    }
    // 7 fps: whole milliseconds only every 7 frames (1000 ms); never before the show's start.
    const Runup seven = planRunup(timeline, 500, 7, -1);
    EXPECT_GE(seven.startMs, 0);
    EXPECT_EQ(frameTimeMs(seven.startMs, seven.frames, 7), 500);
}

TEST(Runup, AShorterRunupOrNoneAtAll)
{
    const Runup short1 = planRunup(timeline, 120000, 30, 2000);
    EXPECT_EQ(short1.startMs, 118000);
    EXPECT_EQ(short1.frames, 60);
    EXPECT_EQ(planRunup(timeline, 120000, 30, 0).frames, 0);
    EXPECT_EQ(planRunup(timeline, 120000, 30, 0).startMs, 120000);
    EXPECT_EQ(planRunup(timeline, 1000, 30, 5000).startMs, 0);
    EXPECT_EQ(planRunup(timeline, 0, 30, -1).frames, 0);
}

TEST(Runup, AnyLiveNamesTheScenesAtATime)
{
    EXPECT_TRUE(anyLive(timeline, 204000, {"suihke"}));
    EXPECT_TRUE(anyLive(timeline, 221500, {"suihke"}));
    EXPECT_FALSE(anyLive(timeline, 203999, {"suihke"}));
    EXPECT_FALSE(anyLive(timeline, 210000, {"uppo", "meduusa"}));
}

} // namespace
