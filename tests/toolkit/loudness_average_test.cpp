#include "toolkit/loudness_average.h"

#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class SpectrumAverageTest : public ::testing::Test {
protected:
    std::vector<float> spectrum = std::vector<float>(512, 0.0f);

    // Every bin at level; the sum the average sees is 511 levels (the top bin is left out).
    void feed(float level, float topBin = 0.0f)
    {
        std::fill(spectrum.begin(), spectrum.end(), level);
        spectrum[511] = topBin;
        dmsSetSpectrumOverride(spectrum.data());
    }
    void TearDown() override { dmsSetSpectrumOverride(nullptr); }
};

TEST_F(SpectrumAverageTest, PartialFirstCallsThenTheOldestDropsOut)
{
    SpectrumAverage average(3);
    feed(1.0f, 100.0f);
    EXPECT_FLOAT_EQ(average.update(), 511.0f / 3.0f);
    EXPECT_FLOAT_EQ(average.update(), 2.0f * 511.0f / 3.0f);
    EXPECT_FLOAT_EQ(average.update(), 511.0f);
    feed(0.0f);
    EXPECT_FLOAT_EQ(average.update(), 2.0f * 511.0f / 3.0f);
    average.update();
    EXPECT_EQ(average.update(), 0.0f);
}

TEST_F(SpectrumAverageTest, NoHistoryGivesZeroWithoutTouchingMemory)
{
    feed(1.0f);
    SpectrumAverage none(0), negative(-2), single(1);
    EXPECT_EQ(none.update(), 0.0f);
    EXPECT_EQ(negative.update(), 0.0f);
    EXPECT_FLOAT_EQ(single.update(), 511.0f);
}

} // namespace
