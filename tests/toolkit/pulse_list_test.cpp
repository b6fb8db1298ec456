#include "toolkit/pulse_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PulseValue, WindowIsHalfOpen)
{
    const Pulse linear{1, 1000, 1100};
    EXPECT_EQ(linear.valueAt(999), 0.0f);
    EXPECT_EQ(linear.valueAt(1000), 1.0f);
    EXPECT_NEAR(linear.valueAt(1099), 1.0f / 100.0f, 1e-6f);
    EXPECT_EQ(linear.valueAt(1100), 0.0f);

    // An empty or reversed window never contributes, and never divides by zero.
    for (int t : {-1, 0, 1, 500})
        EXPECT_EQ(Pulse({1, 0, 0}).valueAt(t) + Pulse({1, 500, 100}).valueAt(t), 0.0f) << "at " << t;
}

TEST(PulseValue, ShapesByNumberWithUnknownOnesLinear)
{
    auto at = [](int shape, int t) { return Pulse{shape, 0, 1000}.valueAt(t); };
    EXPECT_FLOAT_EQ(at(1, 500), 0.5f);
    EXPECT_FLOAT_EQ(at(3, 500), 0.25f);
    EXPECT_FLOAT_EQ(at(4, 500), 0.125f);
    EXPECT_FLOAT_EQ(at(5, 500), 0.0625f);
    EXPECT_FLOAT_EQ(at(6, 500), 0.03125f);
    EXPECT_FLOAT_EQ(at(0, 500), 0.5f);
    EXPECT_FLOAT_EQ(at(7, 500), 0.5f);
    // The cosine shape starts full and stops just short of zero.
    EXPECT_EQ(at(2, 0), 1.0f);
    EXPECT_NEAR(at(2, 999), 0.0223f, 0.001f);
}

TEST(PulseListEvaluate, EmptyListIsSilentAndUnchanged)
{
    PulseList list;
    EXPECT_EQ(list.evaluate(0), 0.0f);
    EXPECT_EQ(list.evaluate(123456), 0.0f);
    EXPECT_FALSE(list.hasChanged());
}

TEST(PulseListEvaluate, OverlapsAddUpToOne)
{
    PulseList list;
    EXPECT_EQ(list.add(0, 100, 1), 1);
    EXPECT_EQ(list.add(0, 100, 1), 2);
    EXPECT_EQ(list.evaluate(0), 1.0f);
    EXPECT_FLOAT_EQ(list.evaluate(75), 0.5f); // two quarters
}

TEST(PulseListEvaluate, ChangedOncePerNewCueButNotForTheFirst)
{
    PulseList list;
    list.add(0, 100, 1);
    list.add(200, 300, 1);
    list.add(400, 500, 1);

    EXPECT_GT(list.evaluate(10), 0.0f);
    EXPECT_FALSE(list.hasChanged()); // index 0 is where lastIndex starts
    list.evaluate(250);
    EXPECT_TRUE(list.hasChanged());
    EXPECT_EQ(list.lastIndex, 1);
    list.evaluate(250); // a second look in the same frame
    EXPECT_FALSE(list.hasChanged());
    list.evaluate(350); // between cues nothing is current, and nothing changes
    EXPECT_FALSE(list.hasChanged());
    EXPECT_EQ(list.lastIndex, 1);
    list.evaluate(450);
    EXPECT_TRUE(list.hasChanged());
    EXPECT_EQ(list.lastIndex, 2);
}

TEST(PulseListEvaluate, CurrentCueMustBeStrictlyAboveOneHundredth)
{
    PulseList list;
    list.add(0, 100000, 1); // a long, strong cue
    list.add(0, 6551, 6);   // fifth power: exactly 0.01 at t = 3943
    list.evaluate(0);
    ASSERT_TRUE(list.hasChanged()); // the later cue in list order wins
    ASSERT_EQ(list.lastIndex, 1);

    const float tail = Pulse{6, 0, 6551}.valueAt(3943);
    ASSERT_EQ(tail, 0.01f);
    const float sum = list.evaluate(3943);
    EXPECT_TRUE(list.hasChanged()); // the fading cue no longer counts as current...
    EXPECT_EQ(list.lastIndex, 0);
    const float strong = Pulse{1, 0, 100000}.valueAt(3943);
    EXPECT_FLOAT_EQ(sum, strong + tail); // ...but still adds up
}

} // namespace
