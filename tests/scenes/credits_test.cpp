// The credits: the shared fade and the picture's size by relative time, and the frames in which
// the picture ripples over the last scene, the same twice.
#include "scenes/credits.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

TEST(CreditsWindow, FadesInOverAQuarterAndOutOverTheLastFifteenPercent)
{
    EXPECT_FLOAT_EQ(waterPictureFade(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(waterPictureFade(0.1f), 0.4f);
    EXPECT_FLOAT_EQ(waterPictureFade(0.25f), 1.0f);
    EXPECT_FLOAT_EQ(waterPictureFade(0.5f), 1.0f);
    EXPECT_FLOAT_EQ(waterPictureFade(0.85f), 1.0f);
    EXPECT_NEAR(waterPictureFade(0.925f), 0.5f, 1e-5f);
    EXPECT_NEAR(waterPictureFade(1.0f), 0.0f, 1e-5f);
    // Outside the window neither rule applies.
    EXPECT_FLOAT_EQ(waterPictureFade(-0.01f), 1.0f);
    EXPECT_FLOAT_EQ(waterPictureFade(1.01f), 1.0f);

    EXPECT_FLOAT_EQ(CreditsEffect::halfSizeAt(0.0f), 0.2f);
    EXPECT_FLOAT_EQ(CreditsEffect::halfSizeAt(0.5f), 0.17f);
    EXPECT_FLOAT_EQ(CreditsEffect::halfSizeAt(1.0f), 0.14f);
}

// Mean absolute difference of the brightest channel over a rectangle (fractions, top-left).
double change(const CapturedFrame& a, const CapturedFrame& b, float l, float t, float r, float bo)
{
    double sum = 0.0;
    int n = 0;
    for (int y = static_cast<int>(t * a.height); y < static_cast<int>(bo * a.height); ++y)
        for (int x = static_cast<int>(l * a.width); x < static_cast<int>(r * a.width); ++x) {
            const size_t i = (static_cast<size_t>(y) * a.width + x) * 4;
            for (int c = 0; c < 3; ++c)
                sum += std::abs(a.rgba[i + c] - b.rgba[i + c]);
            ++n;
        }
    return n ? sum / n : 0.0;
}

TEST(CreditsFrames, ThePictureRipplesOverTheLastSceneTheSameEveryTime)
{
    // Played from before the credits' start, so the ripple has been running as a viewer saw it.
    const CapturedRange first = captureRange(345000, 350000, 8, 320, 180);
    ASSERT_EQ(first.exitCode, 0) << first.log;
    EXPECT_FALSE(first.glErrors()) << first.log;
    ASSERT_EQ(first.frames.size(), 41u);
    const CapturedFrame& before = first.frames[0];  // 345000: the last scene alone
    const CapturedFrame& shown = first.frames[40];  // 350000: t = 0.27, fully faded in
    const CapturedFrame& earlier = first.frames[39];

    // The picture (half size 0.18 around the centre) lights the middle of the screen.
    const double middleBefore = before.regionMean(0.35f, 0.35f, 0.65f, 0.65f);
    const double middle = shown.regionMean(0.35f, 0.35f, 0.65f, 0.65f);
    EXPECT_GT(middle, middleBefore + 8.0);
    EXPECT_GT(middle, shown.regionMean(0.0f, 0.0f, 0.15f, 0.15f) + 8.0) << "brighter than a corner";

    // Within an eighth of a second the picture itself wobbles: the ripple moves its pixels far
    // more than the quiet water around it changes.
    const double wobble = change(earlier, shown, 0.35f, 0.35f, 0.65f, 0.65f);
    const double calm = change(earlier, shown, 0.0f, 0.0f, 0.2f, 0.2f);
    EXPECT_GT(wobble, 1.0);
    EXPECT_GT(wobble, calm * 3.0);

    const CapturedRange second = captureRange(345000, 350000, 8, 320, 180);
    ASSERT_EQ(second.frames.size(), first.frames.size());
    EXPECT_EQ(second.frames[40].rgba, shown.rgba) << "the same time, the same pixels";
}

} // namespace
