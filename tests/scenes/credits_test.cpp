// The credits: the shared fade and the picture's size by relative time, and the frames in which
// the picture ripples over the last scene, the same twice.
#include "scenes/credits.h"
#include "toolkit/water_picture.h"
#include "render/driver_flags.h"
#include "render/gl_entry.h"
#include "runtime/offline.h"
#include "tests/support/capture.h"
#include "tests/support/gl_context.h"

#include <GL/gl.h>
#include <GL/glext.h>

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

TEST(CreditsOldDriver, WithoutTheProgramThePictureComesFromUnitZeroAndTheRippleStillRuns)
{
    ASSERT_TRUE(openTestWindow(256, 256)) << "needs a display (Xvfb) and the built data.pak";
    ASSERT_TRUE(gl::fetchMultitexture());
    oldNvidia = true;
    CreditsEffect credits;
    ASSERT_TRUE(credits.init(346000, 361000));
    ASSERT_NE(credits.ripple.normalTexture, 0u);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    dmsSetPositionForTest(350000);
    credits.draw(0.5f, 1.0f);
    oldNvidia = false;

    EXPECT_EQ(credits.stepTimer.lastPosition, 350000) << "the ripple stepped";
    EXPECT_NE(credits.ripple.previousHeights, std::vector<int32_t>(256 * 256, 0));
    GLint program = -1, unit = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(unit, GL_TEXTURE0);
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // The picture (half size 0.17 at t = 0.5) covers the middle, not the corners.
    const std::vector<uint8_t> frame = readTestFrame();
    ASSERT_EQ(frame.size(), 256u * 256u * 4u) << "the suite's window was opened at another size";
    int lit = 0;
    for (int y = 100; y < 156; ++y)
        for (int x = 100; x < 156; ++x)
            lit += pixelAt(frame, 256, x, y).r > 100;
    EXPECT_GT(lit, 50);
    EXPECT_LT(pixelAt(frame, 256, 10, 10).r, 5);
    EXPECT_LT(pixelAt(frame, 256, 245, 245).r, 5);
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
