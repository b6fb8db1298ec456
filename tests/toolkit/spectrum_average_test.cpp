#include "toolkit/spectrum_average.h"

#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

// Feeds the average a known spectrum and restores the music's own afterwards.
class SpectrumAverageTest : public ::testing::Test {
protected:
    std::vector<float> spectrum = std::vector<float>(512, 0.0f);

    void feed(float level)
    {
        std::fill(spectrum.begin(), spectrum.end(), level);
        dmsSetSpectrumOverride(spectrum.data());
    }
    void TearDown() override { dmsSetSpectrumOverride(nullptr); }
};

TEST_F(SpectrumAverageTest, FirstCallsArePulledTowardsZero)
{
    feed(1.0f); // 511 of the 512 bins are summed
    SpectrumAverage average(3);
    EXPECT_FLOAT_EQ(average.update(), 511.0f / 3.0f);
    EXPECT_FLOAT_EQ(average.update(), 2.0f * 511.0f / 3.0f);
    EXPECT_FLOAT_EQ(average.update(), 511.0f);
    EXPECT_FLOAT_EQ(average.update(), 511.0f);
}

TEST_F(SpectrumAverageTest, OldestSumDropsOut)
{
    SpectrumAverage average(3);
    feed(0.0f);
    spectrum[511] = 100.0f; // the top bin is left out
    dmsSetSpectrumOverride(spectrum.data());
    EXPECT_EQ(average.update(), 0.0f);

    feed(3.0f / 511.0f);
    average.update();
    feed(6.0f / 511.0f);
    average.update();
    feed(0.0f);
    EXPECT_NEAR(average.update(), 3.0f, 1e-4f); // (3 + 6 + 0) / 3
    EXPECT_NEAR(average.update(), 2.0f, 1e-4f); // (6 + 0 + 0) / 3
    EXPECT_EQ(average.update(), 0.0f);          // silence
}

TEST_F(SpectrumAverageTest, NoHistoryGivesZeroWithoutTouchingMemory)
{
    feed(1.0f);
    SpectrumAverage none(0);
    SpectrumAverage negative(-2);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(none.update(), 0.0f);
        EXPECT_EQ(negative.update(), 0.0f);
    }
    SpectrumAverage single(1);
    EXPECT_FLOAT_EQ(single.update(), 511.0f);
    feed(2.0f);
    EXPECT_FLOAT_EQ(single.update(), 1022.0f);
}

} // namespace
