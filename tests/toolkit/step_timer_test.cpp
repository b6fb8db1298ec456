#include "toolkit/step_timer.h"

#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

namespace {

// One frame at music position ms, run as every scene does; returns the steps taken.
int frameAt(StepTimer& timer, int ms)
{
    dmsSetPositionForTest(ms);
    timer.update();
    int steps = 0;
    while (timer.hasStep()) {
        ++steps;
        timer.consumeStep();
    }
    return steps;
}

TEST(StepTimer, LongGapRunsTheCappedBurst)
{
    StepTimer timer(16, 5);
    EXPECT_EQ(frameAt(timer, 0), 0);
    EXPECT_EQ(frameAt(timer, 1000), 4);
    EXPECT_EQ(timer.accumulated, 16);
    EXPECT_EQ(timer.delta, 1000);

    // A scene's first frame counts the whole music position as elapsed.
    StepTimer late(16, 5);
    EXPECT_EQ(frameAt(late, 91000), 4);

    StepTimer slow(50, 5);
    EXPECT_EQ(frameAt(slow, 250), 4);
    EXPECT_EQ(slow.accumulated, 50);
}

TEST(StepTimer, StepNeedsStrictlyMoreThanItsLength)
{
    StepTimer timer(16, 5);
    frameAt(timer, 1000);
    timer.accumulated = 0;
    EXPECT_EQ(frameAt(timer, 1016), 0); // 16 is not more than 16
    EXPECT_EQ(timer.accumulated, 16);
    EXPECT_EQ(frameAt(timer, 1032), 1);
    EXPECT_EQ(timer.accumulated, 16);
    EXPECT_EQ(frameAt(timer, 1047), 1);
    EXPECT_EQ(timer.accumulated, 15);
}

TEST(StepTimer, SeekBackCountsLikeTimeForward)
{
    StepTimer forward(16, 15);
    StepTimer backward(16, 15);
    frameAt(forward, 10000);
    frameAt(backward, 10000);
    forward.accumulated = backward.accumulated = 0;
    const int ahead = frameAt(forward, 10100);
    const int behind = frameAt(backward, 9900);
    EXPECT_EQ(ahead, 6);
    EXPECT_EQ(behind, ahead);
    EXPECT_EQ(backward.delta, 100);
    EXPECT_EQ(backward.lastPosition, 9900);
}

} // namespace
