// The frond forest: its fade and cue ramps, the fronds' layout, growth and sway, and the frame in
// which the fronds stand over the floor.
#include "scenes/metsae.h"
#include "tests/support/capture.h"
#include "toolkit/current_fields.h"
#include "maths/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// Built once: 2000 fronds and 500 specks.
const MetsaeEffect& forest()
{
    static const MetsaeEffect* built = [] {
        seedRandom(999); // whatever ran before: the scene seeds itself
        return new MetsaeEffect();
    }();
    return *built;
}

TEST(ForestFade, HalfAtTheTwentiethAndGoneAtTheEnd)
{
    EXPECT_FLOAT_EQ(MetsaeEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(MetsaeEffect::fadeAt(0.5f), 1.0f);
    EXPECT_NEAR(MetsaeEffect::fadeAt(0.995f), 0.5f, 1e-4f);
    EXPECT_NEAR(MetsaeEffect::fadeAt(1.0f), 0.0f, 1e-5f);
}

TEST(ForestCues, SecondHalfOfTheSpecksAndThePinkTipsRampIn)
{
    EXPECT_EQ(MetsaeEffect::speckLevelAt(75300), 0.0f);
    EXPECT_FLOAT_EQ(MetsaeEffect::speckLevelAt(75600), 0.5f);
    EXPECT_EQ(MetsaeEffect::speckLevelAt(75900), 1.0f);
    EXPECT_EQ(MetsaeEffect::speckWeight(249, 0.0f), 1.0f); // the first 250 never wait
    EXPECT_EQ(MetsaeEffect::speckWeight(250, 0.0f), 0.0f);
    EXPECT_EQ(MetsaeEffect::speckWeight(499, 0.25f), 0.25f);

    EXPECT_EQ(MetsaeEffect::tipLevelAt(83500), 0.0f);
    EXPECT_FLOAT_EQ(MetsaeEffect::tipLevelAt(84050), 0.5f);
    EXPECT_EQ(MetsaeEffect::tipLevelAt(84600), 1.0f);

    EXPECT_FLOAT_EQ(MetsaeEffect::glowBlurAlpha(0.0f), 0.93f);
    EXPECT_NEAR(MetsaeEffect::glowBlurAlpha(0.5f), 0.945f, 1e-4f);
    EXPECT_NEAR(MetsaeEffect::glowBlurAlpha(1.0f), 0.93f, 1e-4f);
}

TEST(ForestCues, ElevenLinearCuesFromInit)
{
    MetsaeEffect scene;
    ASSERT_TRUE(scene.init(66500, 91000));
    EXPECT_EQ(scene.pulses.count, 11);
    EXPECT_EQ(scene.startTime, 66500u);
    EXPECT_FLOAT_EQ(scene.pulses.evaluate(66583), 1.0f);
    EXPECT_NEAR(scene.pulses.evaluate(90601 + 699), 0.5f, 1e-3f);
    EXPECT_EQ(scene.pulses.evaluate(68000), 0.0f);
}

TEST(ForestLayout, RootsOnADiscAndStemsRisingFromThem)
{
    const MetsaeEffect& scene = forest();
    ASSERT_EQ(scene.fronds.size(), 2000u);
    int small = 0, pink = 0;
    for (const Frond& f : scene.fronds) {
        ASSERT_LE(std::hypot(f.base.x, f.base.z), 7.0f + 1e-4f);
        ASSERT_EQ(f.base.y, 0.0f);
        const std::vector<Vector3>& p = f.restPath.points;
        ASSERT_EQ(p.size(), f.small ? 5u : 8u);
        ASSERT_EQ(p[0], f.base);
        for (size_t i = 1; i < p.size(); ++i)
            ASSERT_GE(p[i].y, p[i - 1].y);
        ASSERT_EQ(f.bentPath.points, p);
        ASSERT_GT(f.growEnd, f.growStart);
        ASSERT_LE(f.growEnd, 0.12f);
        ASSERT_LE(f.spriteEnd, 0.14f);
        small += f.small;
        pink += f.pinkTip;
    }
    // Seed 5110 pins the layout: a change in the order of draws moves these counts.
    EXPECT_EQ(small, 1395);
    EXPECT_EQ(pink, 1446);

    ASSERT_EQ(scene.specks.size(), 500u);
    for (size_t i = 0; i < 500; ++i)
        ASSERT_EQ(scene.specks[i].wanderer.speed >= 0.03f, i % 6 == 0) << i; // every sixth darts
}

TEST(ForestLayout, TheSameOnEveryRun)
{
    seedRandom(1);
    const MetsaeEffect again;
    const MetsaeEffect& first = forest();
    for (size_t i = 0; i < first.fronds.size(); i += 97) {
        EXPECT_EQ(again.fronds[i].base, first.fronds[i].base);
        EXPECT_EQ(again.fronds[i].colour, first.fronds[i].colour);
    }
    EXPECT_EQ(again.specks[499].wanderer.getPosition(), first.specks[499].wanderer.getPosition());
}

TEST(ForestGrowth, FullyGrownByTwelveHundredthsAndSpritesByFourteen)
{
    MetsaeEffect scene;
    for (Frond& f : scene.fronds) {
        MetsaeEffect::stepFrond(f, 0.0f);
        if (f.growStart > 0.0f) {
            ASSERT_LE(f.growth, 0.0001f);
            ASSERT_EQ(f.phase, 0.0f); // no pulsing before it grows
        }
        MetsaeEffect::stepFrond(f, 0.12f);
        ASSERT_NEAR(f.growth, 1.0f, 1e-3f);
        ASSERT_GT(f.phase, 0.0f);
        MetsaeEffect::stepFrond(f, 0.14f);
        ASSERT_NEAR(f.spriteGrowth, 1.0f, 1e-3f);
    }
}

TEST(ForestSway, LowerHalfStandsStillUpperHalfBends)
{
    Frond f = forest().fronds[3];
    const float t = 0.4f;
    MetsaeEffect::stepFrond(f, t);
    const int n = f.restPath.pointCount();
    const float strength = f.small ? 0.3f : 0.6f;
    for (int i = 0; i < n; ++i) {
        const Vector3& rest = f.restPath.points[static_cast<size_t>(i)];
        const Vector3& bent = f.bentPath.points[static_cast<size_t>(i)];
        if (i <= n / 2) {
            EXPECT_EQ(bent, rest) << i;
        } else {
            const Vector3 expected = rest + swayOffset(rest, t) * (static_cast<float>(i - n / 2) * 0.2f) * strength;
            EXPECT_NEAR(bent.x, expected.x, 1e-6f) << i;
            EXPECT_NEAR(bent.y, expected.y, 1e-6f) << i;
            EXPECT_LE(bent.y, rest.y) << i; // the sway never lifts
        }
    }
}

TEST(ForestFrames, FrondsStandOverTheFloorAt70Seconds)
{
    const CapturedFrame frame = captureAt(70000);
    ASSERT_TRUE(frame.ok) << frame.log;
    EXPECT_FALSE(frame.glErrors()) << frame.log;
    // The glowing fronds fill the lower part; above them only specks.
    auto brightShare = [&](int fromRow, int toRow) {
        int lit = 0;
        for (int y = fromRow; y < toRow; ++y)
            for (int x = 0; x < frame.width; ++x)
                lit += frame.rgba[(static_cast<size_t>(y) * frame.width + x) * 4 + 2] > 60;
        return static_cast<double>(lit) / ((toRow - fromRow) * frame.width);
    };
    const double top = brightShare(0, frame.height / 3);
    const double bottom = brightShare(frame.height * 2 / 3, frame.height);
    EXPECT_GT(bottom, 0.2);
    EXPECT_GT(bottom, top * 5.0);
    EXPECT_GT(frame.meanChannel(2), frame.meanChannel(0)); // blue glow over a dark floor
}

} // namespace
