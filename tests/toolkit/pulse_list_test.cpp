#include "toolkit/pulse_list.h"

#include <gtest/gtest.h>

namespace {

TEST(PulseList, WindowIsHalfOpenAndShapesGoByNumber)
{
    const Pulse linear{1, 1000, 1100};
    EXPECT_EQ(linear.valueAt(999), 0.0f);
    EXPECT_EQ(linear.valueAt(1000), 1.0f);
    EXPECT_NEAR(linear.valueAt(1099), 0.01f, 1e-6f);
    EXPECT_EQ(linear.valueAt(1100), 0.0f);
    EXPECT_EQ(Pulse({1, 500, 500}).valueAt(500) + Pulse({1, 500, 100}).valueAt(300), 0.0f);

    const float half[8] = {0.5f, 0.5f, 0.0f, 0.25f, 0.125f, 0.0625f, 0.03125f, 0.5f}; // shapes 0..7
    for (int shape = 0; shape < 8; ++shape) {
        if (shape != 2) {
            EXPECT_FLOAT_EQ(Pulse({shape, 0, 1000}).valueAt(500), half[shape]) << "shape " << shape;
        }
    }
    EXPECT_NEAR(Pulse({2, 0, 1000}).valueAt(999), 0.0223f, 0.001f); // stops short of zero
}

TEST(PulseList, EmptyIsSilentAndOverlapsCapAtOne)
{
    PulseList list;
    EXPECT_EQ(list.evaluate(0), 0.0f);
    EXPECT_FALSE(list.hasChanged());
    EXPECT_EQ(list.add(0, 100, 1), 1);
    EXPECT_EQ(list.add(0, 100, 1), 2);
    EXPECT_EQ(list.evaluate(0), 1.0f);
}

TEST(PulseList, ChangedOncePerNewCueButNotForTheFirst)
{
    PulseList list;
    list.add(0, 100, 1);
    list.add(200, 300, 1);
    list.evaluate(10);
    EXPECT_FALSE(list.hasChanged()); // index 0 is where lastIndex starts
    list.evaluate(250);
    EXPECT_TRUE(list.hasChanged());
    list.evaluate(250); // a second look in the same frame
    EXPECT_FALSE(list.hasChanged());
    list.evaluate(150); // between cues nothing takes over
    EXPECT_FALSE(list.hasChanged());
    EXPECT_EQ(list.lastIndex, 1);
}

TEST(PulseList, CurrentCueMustBeStrictlyAboveOneHundredth)
{
    PulseList list;
    list.add(0, 100000, 1);
    list.add(0, 6551, 6); // fifth power: exactly 0.01 at t = 3943
    list.evaluate(0);
    ASSERT_EQ(list.lastIndex, 1); // the later cue in list order wins
    const float tail = Pulse({6, 0, 6551}).valueAt(3943);
    ASSERT_EQ(tail, 0.01f);
    const float sum = list.evaluate(3943);
    EXPECT_EQ(list.lastIndex, 0); // no longer current...
    const float strong = Pulse({1, 0, 100000}).valueAt(3943);
    EXPECT_FLOAT_EQ(sum, strong + tail); // ...but still adds up
}

} // namespace
