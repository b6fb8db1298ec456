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
    for (; timer.hasStep(); timer.consumeStep())
        ++steps;
    return steps;
}

TEST(StepTimer, LongGapsRunTheCappedBurst)
{
    StepTimer timer(16, 5);
    EXPECT_EQ(frameAt(timer, 91000), 4); // a first frame counts the whole position
    EXPECT_EQ(frameAt(timer, 92000), 4);
    EXPECT_EQ(timer.accumulated, 16);
    StepTimer slow(50, 5);
    EXPECT_EQ(frameAt(slow, 250), 4);
}

TEST(StepTimer, StepNeedsStrictlyMoreThanItsLength)
{
    StepTimer timer(16, 5);
    frameAt(timer, 1000);
    timer.accumulated = 0;
    EXPECT_EQ(frameAt(timer, 1016), 0);
    EXPECT_EQ(frameAt(timer, 1032), 1);
    EXPECT_EQ(timer.accumulated, 16);
}

TEST(StepTimer, SeekBackCountsLikeTimeForward)
{
    StepTimer forward(16, 15), backward(16, 15);
    frameAt(forward, 10000);
    frameAt(backward, 10000);
    forward.accumulated = backward.accumulated = 0;
    EXPECT_EQ(frameAt(forward, 10100), 6);
    EXPECT_EQ(frameAt(backward, 9900), 6);
}

} // namespace
