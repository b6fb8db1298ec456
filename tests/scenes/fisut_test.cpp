// The fish scene: its fade and camera swing, the body's bend around x = -5, the caustic frames,
// the motes' wrap and layout, and its frames: a fish casting a shadow on a lit floor.
#include "scenes/fisut.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

int brightness(const CapturedFrame& f, int x, int y)
{
    const uint8_t* p = f.rgba.data() + (static_cast<size_t>(y) * f.width + x) * 4;
    return (p[0] + p[1] + p[2]) / 3;
}

// Along the columns the fish crosses, below the lit fish: the light is almost overhead, so the
// shadow lies just under the belly, inside the fish's glow. Without a shadow the floor there
// only brightens towards the fish (its glow, and the floor's shade, which peaks under it); with
// one, its darkest stretch falls well below the floor further down.
struct ShadowContrast {
    double shadow = 0.0, floor = 0.0;
    int columns = 0;
};

ShadowContrast measureShadow(const CapturedFrame& f)
{
    ShadowContrast c;
    const int near0 = f.height / 50, near1 = f.height / 8, far0 = f.height * 3 / 20, far1 = f.height * 9 / 40;
    for (int x = f.width / 2; x < f.width * 3 / 4; ++x) {
        int lowest = -1;
        for (int y = 0; y < f.height; ++y)
            if (brightness(f, x, y) > 180)
                lowest = y;
        if (lowest < 0 || lowest + far1 >= f.height)
            continue;
        double darkest = 255.0, floor = 0.0;
        for (int y = lowest + near0; y < lowest + near1; ++y) {
            double run = 0.0; // five rows, so that one dark crack of the texture does not count
            for (int k = 0; k < 5; ++k)
                run += brightness(f, x, y + k);
            darkest = std::min(darkest, run / 5.0);
        }
        for (int y = lowest + far0; y < lowest + far1; ++y)
            floor += brightness(f, x, y);
        c.shadow += darkest;
        c.floor += floor / (far1 - far0);
        ++c.columns;
    }
    if (c.columns > 0) {
        c.shadow /= c.columns;
        c.floor /= c.columns;
    }
    return c;
}

TEST(FishFade, InOverATenthOutOverTheLastTenth)
{
    EXPECT_FLOAT_EQ(FisutEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(FisutEffect::fadeAt(0.1f), 1.0f);
    EXPECT_FLOAT_EQ(FisutEffect::fadeAt(0.9f), 1.0f);
    EXPECT_NEAR(FisutEffect::fadeAt(1.0f), 0.0f, 1e-7f); // 9.999998, not 10
    EXPECT_GE(FisutEffect::fadeAt(1.0f), 0.0f);
}

TEST(FishCamera, SwingsInFromOneSideAndOutToTheOther)
{
    EXPECT_EQ(FisutEffect::sideOffset(0.3f, 1.0f), Vector3(0, 0, 0));
    const Vector3 before = FisutEffect::sideOffset(0.5f, 0.0f); // the middle still uses +0.25
    EXPECT_FLOAT_EQ(before.x, 0.04f);
    EXPECT_FLOAT_EQ(before.z, 0.2475f);
    const Vector3 after = FisutEffect::sideOffset(0.5001f, 0.0f);
    EXPECT_FLOAT_EQ(after.x, -0.04f);
    EXPECT_FLOAT_EQ(after.z, -0.2475f);
    EXPECT_FLOAT_EQ(FisutEffect::sideOffset(0.95f, 0.5f).z, -0.2475f * 0.125f); // (1 - alpha) cubed

    // The look-at point moves twice as far as the eye's side offset.
    const FishCamera still = FisutEffect::cameraAt(0.05f, 1.0f);
    const FishCamera swung = FisutEffect::cameraAt(0.05f, 0.0f);
    EXPECT_NEAR(swung.eye.z - still.eye.z, 0.2475f, 1e-5f);
    EXPECT_NEAR(swung.centre.z - still.centre.z, 0.495f, 1e-5f);
    // Always above the floor, near the fish's head.
    for (float t = 0.0f; t <= 1.0f; t += 0.05f) {
        const FishCamera c = FisutEffect::cameraAt(t, FisutEffect::fadeAt(t));
        EXPECT_GT(c.eye.y, 0.05f) << t;
        EXPECT_LT((c.eye - c.centre).length(), 0.6f) << t;
    }
}

TEST(FishBend, HeadBarelyMovesTheBodySwingsSideways)
{
    FisutEffect fish;
    fish.swimPhase = 0.7f;
    // At x = -5 exactly: no 1.76 factor and the 0.48 sideways factor, but e = 0 so no bend.
    EXPECT_EQ(fish.deformVertex(Vector3(-5, 3, 2)), Vector3(-5, 3, 2));

    // Just past -5 the 0.48 factor applies, just before it the 0.005 one.
    const auto bend = [&](float x) { return fish.deformVertex(Vector3(x, 0, 0)); };
    const float e = 300.0f * 1.2f * 1.68f;
    const float w = std::sin(e * 0.0095f + 1.0f + 0.7f) * e * e * 0.0065f * 0.075f;
    const Vector3 tail = bend(295.0f);
    EXPECT_FLOAT_EQ(tail.z, w * 0.4f * 0.48f);
    EXPECT_FLOAT_EQ(tail.y, w * 0.2f * 0.19f);
    EXPECT_EQ(tail.x, 295.0f);

    const float eh = -40.0f * 1.2f * 1.68f * 1.76f;
    const float wh = std::sin(eh * 0.0095f + 1.0f + 0.7f) * eh * eh * 0.0065f * 0.075f;
    EXPECT_FLOAT_EQ(bend(-45.0f).z, wh * 0.4f * 0.005f);
    EXPECT_LT(std::fabs(bend(-45.0f).z), std::fabs(bend(35.0f).z) * 0.1f);

    // The wave travels: another phase moves the tail elsewhere.
    fish.swimPhase = 2.0f;
    EXPECT_NE(bend(295.0f).z, tail.z);
}

TEST(FishBend, SwimPhaseFollowsTheMusic)
{
    EXPECT_FLOAT_EQ(FisutEffect::swimPhaseAt(0), 0.0f);
    const float s = std::sin(160000.0f * 0.125f);
    EXPECT_FLOAT_EQ(FisutEffect::swimPhaseAt(160000), 160000.0f * 0.0045f + s * s * s * s * 0.057f);
}

TEST(FishCaustics, StepThrough128FramesWrappingAfter32)
{
    CausticFrames c = FisutEffect::causticFramesAt(0.0f);
    EXPECT_EQ(c.a, 1);
    EXPECT_EQ(c.b, 2);
    EXPECT_EQ(c.weight, 0.0f);
    c = FisutEffect::causticFramesAt(31.5f / 128.0f); // int(f) mod 32 = 31
    EXPECT_EQ(c.a, 32);
    EXPECT_EQ(c.b, 1);
    EXPECT_NEAR(c.weight, 0.5f, 1e-4f);
    c = FisutEffect::causticFramesAt(1.0f); // frame 128 wraps to the first
    EXPECT_EQ(c.a, 1);
    EXPECT_EQ(c.b, 2);
}

TEST(FishMotes, LayoutAndWrap)
{
    FisutEffect fish;
    fish.init(150000, 167000);
    ASSERT_EQ(fish.motes.size(), 750u);
    for (const Vector3& m : fish.motes) {
        ASSERT_GE(m.x, -2.05f);
        ASSERT_LT(m.x, 1.15f);
        ASSERT_GE(m.y, 0.015f);
        ASSERT_LT(m.y, 0.092f);
        ASSERT_LE(std::fabs(m.z), 0.575f);
    }
    FisutEffect again;
    again.init(150000, 167000);
    EXPECT_EQ(again.motes[749], fish.motes[749]);

    EXPECT_EQ(FisutEffect::wrapMote(Vector3(1, 0, 0)).x, 1.0f); // exactly 1 stays
    EXPECT_FLOAT_EQ(FisutEffect::wrapMote(Vector3(1.25f, 0, 0)).x, -0.75f);
    EXPECT_FLOAT_EQ(FisutEffect::wrapMote(Vector3(3.2f, 0, 0)).x, -0.8f);
    EXPECT_TRUE(std::isinf(FisutEffect::wrapMote(Vector3(INFINITY, 0, 0)).x)); // bounded, no hang
}

TEST(FishFrames, TheFishCastsAShadowOnTheLitFloor)
{
    const std::vector<CapturedFrame> frames = capturePlayed(149800, 156000, 5, {156000}, 640, 360);
    const CapturedFrame& frame = frames[0];
    ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_FALSE(frame.glErrors()) << frame.log;
    EXPECT_GT(frame.shareBrighterThan(200), 0.02); // the lit fish
    // ... and its highlights stay under white, glow included (they once clipped on 6 % of the
    // picture).
    EXPECT_LT(frame.shareBrighterThan(249), 0.0005);
    EXPECT_GT(frame.shareBrighterThan(30), 0.3);   // the floor
    // The shadow: a dark patch on the floor beside the fish, darker than the floor around it.
    const ShadowContrast shadow = measureShadow(frame);
    EXPECT_GT(shadow.columns, frame.width / 8);
    EXPECT_GT(shadow.floor, 25.0);
    // Without the fish in the depth map this ratio is about 1.06; with it about 0.82.
    EXPECT_LT(shadow.shadow, shadow.floor * 0.9);
}

} // namespace
