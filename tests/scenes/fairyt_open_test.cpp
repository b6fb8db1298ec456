// The opening water surface: its fade, where its camera stops, its smoke layout and drift, and
// its frames as the capture tool renders them.
#include "scenes/fairyt_open.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// Mean brightness (max of r, g, b) over a band of rows, 0..255.
double bandBrightness(const CapturedFrame& f, int firstRow, int lastRow)
{
    double sum = 0.0;
    for (int y = firstRow; y < lastRow; ++y)
        for (int x = 0; x < f.width; ++x) {
            const uint8_t* p = &f.rgba[(static_cast<size_t>(y) * f.width + x) * 4];
            sum += std::max({p[0], p[1], p[2]});
        }
    return sum / (static_cast<double>(lastRow - firstRow) * f.width);
}

} // namespace

TEST(OpeningFade, RisesOverTheFirst45PercentHoldsThenFallsToZeroAtTheEnd)
{
    EXPECT_FLOAT_EQ(FairytOpenEffect::fadeAt(0.0f), 0.0f);
    EXPECT_NEAR(FairytOpenEffect::fadeAt(0.225f), 0.5f, 1e-6f);
    EXPECT_NEAR(FairytOpenEffect::fadeAt(0.45f), 1.0f, 1e-6f);
    EXPECT_FLOAT_EQ(FairytOpenEffect::fadeAt(0.46f), 1.0f);
    EXPECT_FLOAT_EQ(FairytOpenEffect::fadeAt(0.85f), 1.0f);
    EXPECT_NEAR(FairytOpenEffect::fadeAt(0.925f), 0.5f, 1e-5f);
    EXPECT_NEAR(FairytOpenEffect::fadeAt(0.9999f), 0.0f, 1e-3f);
    // Outside the scene nothing shows, even where the ramps would give a value.
    EXPECT_EQ(FairytOpenEffect::fadeAt(1.0f), 0.0f);
    EXPECT_EQ(FairytOpenEffect::fadeAt(-0.01f), 0.0f);
    EXPECT_EQ(FairytOpenEffect::fadeAt(1.5f), 0.0f);
}

TEST(OpeningCamera, SinksTowardsTheWaterAndStopsJustBeforeTheSurface)
{
    EXPECT_FLOAT_EQ(openingEye(0.0f).y, 1.031973f);
    EXPECT_FLOAT_EQ(openingEye(0.0f).x, 3.9f);
    for (float t = 0.0f; t < 0.95f; t += 0.05f)
        EXPECT_GT(openingEye(t).y, openingEye(t + 0.05f).y) << t;
    // The scene stops drawing from t of about 0.9507 (9982 ms), when alpha is still about 1/3.
    EXPECT_GE(openingEye(0.9506f).y, 0.001f);
    EXPECT_LT(openingEye(0.9508f).y, 0.001f);
    EXPECT_NEAR(FairytOpenEffect::fadeAt(0.9507f), 0.33f, 0.01f);
}

TEST(OpeningSmoke, IsLaidOutFromSeedOneInTheOrderXYZ)
{
    const FairytOpenEffect opening;
    ASSERT_EQ(opening.puffPositions.size(), 80u);
    ASSERT_EQ(opening.dustPositions.size(), 500u);
    // Seed 1 gives the draws 0.0041, 0.8467, 0.6334 first.
    EXPECT_NEAR(opening.puffPositions[0].x, 0.01759f, 1e-5f);
    EXPECT_NEAR(opening.puffPositions[0].y, 3.889866f, 1e-5f);
    EXPECT_NEAR(opening.puffPositions[0].z, -12.63134f, 1e-4f);
    for (const Vector& p : opening.puffPositions) {
        EXPECT_TRUE(p.x >= -20.0f && p.x <= 0.1f && p.z >= -20.0f && p.z <= 0.1f);
        EXPECT_TRUE(p.y >= 0.52f && p.y <= 4.5f);
    }
    // Dust lies on the water, within the square, just above the surface.
    for (const Vector& p : opening.dustPositions) {
        EXPECT_TRUE(p.x >= -3.25f && p.x <= 3.25f && p.z >= -3.25f && p.z <= 3.25f);
        EXPECT_TRUE(p.y > 0.0f && p.y <= 0.0005f);
    }
    // A second effect built later gets the very same layout.
    EXPECT_EQ(FairytOpenEffect().puffPositions[79], opening.puffPositions[79]);
}

TEST(OpeningSmoke, DriftsByFrameTimeAndStandsStillOnTheFirstFrame)
{
    FairytOpenEffect opening;
    const std::vector<Vector> before = opening.puffPositions;
    opening.movePuffs(0.0f);
    EXPECT_EQ(opening.puffPositions, before);

    opening.movePuffs(0.5f);
    for (int i = 0; i < 80; ++i) {
        const Vector3 moved = Vector3(opening.puffPositions[i]) - Vector3(before[i]);
        const Vector3 expected = puffVelocity(i) * 0.875f;
        EXPECT_NEAR(moved.x, expected.x, 1e-5f) << i;
        EXPECT_NEAR(moved.y, expected.y, 1e-5f) << i;
        EXPECT_NEAR(moved.z, expected.z, 1e-5f) << i;
    }
    // The sideways drift cycles with period three; puffs 16 and 48 move only sideways.
    EXPECT_FLOAT_EQ(puffVelocity(0).x, -0.07125f);
    EXPECT_FLOAT_EQ(puffVelocity(1).x, 0.02375f);
    EXPECT_FLOAT_EQ(puffVelocity(2).x, -0.02375f);
    for (int i : {16, 48}) {
        EXPECT_EQ(puffVelocity(i).y, 0.0f);
        EXPECT_EQ(puffVelocity(i).z, 0.0f);
        EXPECT_NE(puffVelocity(i).x, 0.0f);
    }
    // Puffs past the middle of each 32 sink instead of rising.
    EXPECT_LT(puffVelocity(31).y, 0.0f);
    EXPECT_GT(puffVelocity(32).y, 0.0f);
}

TEST(OpeningFrames, WaterAndSmokeFillThePictureWithoutGlErrors)
{
    const CapturedFrame frame = captureAt(4000);
    ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_FALSE(frame.glErrors()) << frame.log;
    // Smoke above the horizon, water below it, and hardly a black pixel anywhere.
    const int h = frame.height;
    EXPECT_GT(bandBrightness(frame, 0, h / 4), 12.0);
    EXPECT_GT(bandBrightness(frame, h / 2, h), 12.0);
    EXPECT_GT(frame.shareBrighterThan(4), 0.8);
    // The water is tinted blue-green, not grey.
    EXPECT_GT(frame.meanChannel(2), frame.meanChannel(0) + 3.0);
}

TEST(OpeningFrames, TheSameMusicTimeGivesTheSamePicture)
{
    const CapturedFrame first = captureAt(7000);
    const CapturedFrame second = captureAt(7000);
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_TRUE(first.rgba == second.rgba);
    EXPECT_FALSE(first.glErrors() || second.glErrors());
}

TEST(OpeningFrames, PastTheSurfaceTheOpeningDrawsNothingOfItsOwn)
{
    // At 10200 ms the camera has stopped: what shows is the descent's dark blue alone, with
    // no smoke or water highlights.
    const CapturedFrame frame = captureAt(10200);
    ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_FALSE(frame.glErrors()) << frame.log;
    EXPECT_LT(frame.shareBrighterThan(40), 0.001);
    EXPECT_GT(frame.meanChannel(2), frame.meanChannel(0));
}
