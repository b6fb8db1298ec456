// The last scene: its fade, the order of its random draws, how stalks wilt and specks vanish, the
// step timer spent twice per step, and the frames of the glowing stalks and of the show's end.
#include "scenes/viimeinen.h"
#include "tests/support/capture.h"
#include "maths/random.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const ViimeinenEffect& lastScene()
{
    static const ViimeinenEffect* built = [] {
        seedRandom(31337); // whatever ran before: the scene seeds itself
        return new ViimeinenEffect();
    }();
    return *built;
}

TEST(LastSceneFade, HalfAtTheTwentiethAndAtSevenEighthsOfTheWay)
{
    EXPECT_FLOAT_EQ(ViimeinenEffect::fadeAt(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(ViimeinenEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(ViimeinenEffect::fadeAt(0.1f), 1.0f);
    EXPECT_FLOAT_EQ(ViimeinenEffect::fadeAt(0.85f), 1.0f);
    EXPECT_NEAR(ViimeinenEffect::fadeAt(0.925f), 0.5f, 1e-5f);
    EXPECT_NEAR(ViimeinenEffect::fadeAt(1.0f), 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(ViimeinenEffect::spriteGain(0.0f), 0.4f) << "silence keeps 0.4 of the sprites";
}

TEST(LastSceneLayout, SeedThenStalksThenSpecksInTheirDrawOrder)
{
    const ViimeinenEffect& scene = lastScene();
    ASSERT_EQ(scene.stalks.size(), 1000u);
    ASSERT_EQ(scene.specks.size(), 500u);

    // The first stalk, drawn by hand in the documented order right after the seed.
    seedRandom(5110);
    const float r = std::sqrt(randomUnit()) * 7.0f;
    const float a = randomUnit() * 6.283184f;
    const float fadeStart = randomRange(0.1f, 0.3f);
    const float fadeEnd = fadeStart + randomRange(0.45f, 0.5f);
    const float brightness = randomRange(0.2f, 0.3f);
    const bool small = randomUnit() > 0.25f;
    const Stalk& s = scene.stalks[0];
    EXPECT_EQ(s.base, Vector3(r * std::cos(a), 0.0f, r * std::sin(a)));
    EXPECT_EQ(s.fadeStart, fadeStart);
    EXPECT_EQ(s.fadeEnd, fadeEnd);
    EXPECT_EQ(s.brightness, brightness);
    EXPECT_EQ(s.small, small);

    // Every draw accounted for: per stalk 8 plus 2 per path point; per speck 9, one more for
    // every sixth, and 2 for its vanishing window. Nothing else draws.
    long draws = 0;
    for (const Stalk& stalk : scene.stalks) {
        ASSERT_EQ(stalk.restPath.pointCount(), stalk.small ? 5 : 8);
        ASSERT_EQ(stalk.fade, 1.0f) << "a stalk starts fully grown";
        ASSERT_GE(stalk.fadeEnd - stalk.fadeStart, 0.45f - 1e-6f);
        ASSERT_LE(stalk.fadeEnd, 0.8f + 1e-6f);
        draws += 8 + 2 * stalk.restPath.pointCount();
    }
    for (size_t i = 0; i < scene.specks.size(); ++i) {
        draws += 9 + (i % 6 == 0 ? 1 : 0) + 2;
        ASSERT_GE(scene.speckVanishStart[i], 0.1f);
        ASSERT_LE(scene.speckVanishEnd[i], 0.74f + 1e-6f);
        ASSERT_EQ(scene.specks[i].wanderer.speed >= 0.03f, i % 6 == 0) << i;
    }
    seedRandom(5110);
    for (long i = 0; i < draws; ++i)
        nextRandom();
    const int expected = nextRandom();
    seedRandom(1);
    const ViimeinenEffect again;
    EXPECT_EQ(nextRandom(), expected) << "the generator ends where the documented draws end";
    EXPECT_EQ(again.stalks[777].colour, scene.stalks[777].colour);
    EXPECT_EQ(again.specks[499].wanderer.getPosition(), scene.specks[499].wanderer.getPosition());
}

TEST(LastSceneWilting, AStalkStandsUntilItsWindowAndLiesOnTheFloorAfterIt)
{
    Stalk s = lastScene().stalks[0];
    s.fadeStart = 0.2f;
    s.fadeEnd = 0.67f;
    const int n = s.restPath.pointCount();

    ViimeinenEffect::stepStalk(s, 0.2f);
    EXPECT_EQ(s.fade, 1.0f);
    EXPECT_GT(s.phase, 0.0f);
    // Upright: k = 1 - sin(0.9 * 1.7453289) is next to nothing.
    EXPECT_NEAR(s.bentPath.points[static_cast<size_t>(n - 1)].y, s.restPath.points[static_cast<size_t>(n - 1)].y, 0.1f);

    ViimeinenEffect::stepStalk(s, 0.5f);
    EXPECT_GT(s.fade, 0.0001f);
    EXPECT_LT(s.fade, 0.5f);

    const float phase = s.phase;
    ViimeinenEffect::stepStalk(s, 0.67f);
    EXPECT_LE(s.fade, 0.0001f) << "gone: neither its line nor its sprites are drawn";
    EXPECT_EQ(s.phase, phase) << "a gone stalk stops pulsing";
    // Fully wilted (k = 1): point i has sunk by i / n, never below the floor.
    for (int i = 0; i < n; ++i) {
        const Vector3& p = s.bentPath.points[static_cast<size_t>(i)];
        EXPECT_GE(p.y, 0.0f);
        if (i <= n / 2) {
            EXPECT_FLOAT_EQ(p.y, std::max(s.restPath.points[static_cast<size_t>(i)].y - static_cast<float>(i) / n, 0.0f));
        }
    }
}

TEST(LastSceneSpecks, ASpeckIsFullyBrightBeforeItsWindowAndGoneAfterIt)
{
    ViimeinenEffect scene = lastScene();
    scene.speckVanishStart[7] = 0.3f;
    scene.speckVanishEnd[7] = 0.33f;
    EXPECT_EQ(scene.speckVisibility(7, 0.2999f), 1.0f);
    EXPECT_NEAR(scene.speckVisibility(7, 0.315f), 0.5f, 1e-3f);
    EXPECT_EQ(scene.speckVisibility(7, 0.33f), 0.0f);
    EXPECT_EQ(scene.speckVisibility(7, 0.9f), 0.0f);
}

TEST(LastSceneSteps, TwoTimerStepsPerStepMayOverdrawTheBankWithoutEndlessLoops)
{
    ViimeinenEffect scene = lastScene();
    const auto stepsAt = [&](int ms) {
        dmsSetPositionForTest(ms);
        return scene.simulate(0.3f);
    };
    EXPECT_EQ(stepsAt(320000), 2) << "the burst of 80 ms runs two double steps";
    EXPECT_EQ(scene.stepTimer.accumulated, 16);
    EXPECT_EQ(stepsAt(320017), 1);
    EXPECT_EQ(scene.stepTimer.accumulated, 1);
    EXPECT_EQ(stepsAt(320047), 1);
    EXPECT_EQ(scene.stepTimer.accumulated, -1) << "the second step of the pair overdraws";
    EXPECT_EQ(stepsAt(320063), 0) << "15 in hand: the debt is paid, no wrap-around";
    EXPECT_EQ(stepsAt(320080), 1);
    EXPECT_EQ(stepsAt(321000), 2);
}

TEST(LastSceneFrames, GlowingStalksStandOnTheFloorAfterTheSceneHasPlayed)
{
    const CapturedRange range = captureRange(304000, 310000, 8, 320, 180);
    ASSERT_EQ(range.exitCode, 0) << range.log;
    EXPECT_FALSE(range.glErrors()) << range.log;
    ASSERT_EQ(range.frames.size(), 49u);
    const CapturedFrame& f = range.frames.back(); // 310000: t = 0.09, nearly faded in
    const double bottom = f.regionMean(0.0f, 0.6f, 1.0f, 1.0f);
    const double top = f.regionMean(0.0f, 0.0f, 1.0f, 0.3f);
    EXPECT_GT(bottom, 25.0);
    EXPECT_GT(bottom, top * 2.0) << "the stalks rise from the floor below the horizon";
    EXPECT_GT(f.meanChannel(0), f.meanChannel(2) * 1.5) << "warm stalks and red sprites";
}

TEST(LastSceneFrames, TheShowFadesToTheWaterColourAndEndsPastItsLastFrame)
{
    // Asked for more than the show has: the capture ends with the show, after 363000 ms.
    const CapturedRange range = captureRange(357000, 365000, 4, 160, 90);
    ASSERT_EQ(range.exitCode, 0) << range.log;
    EXPECT_FALSE(range.glErrors()) << range.log;
    ASSERT_EQ(range.frames.size(), 26u) << "357000 to 363250 ms, the first frame past the end";
    auto at = [&](int ms) -> const CapturedFrame& { return range.frames[static_cast<size_t>((ms - 357000) / 250)]; };
    EXPECT_GT(at(359000).regionMean(0.35f, 0.35f, 0.65f, 0.65f), 20.0) << "the credits still show";
    EXPECT_GT(at(359000).meanChannel(0), at(360500).meanChannel(0));
    EXPECT_GT(at(360500).meanChannel(0), at(362000).meanChannel(0));
    for (int ms : {362250, 363000, 363250}) {
        EXPECT_LT(at(ms).shareBrighterThan(4), 0.001) << ms << ": only the deep water colour is left";
        EXPECT_GT(at(ms).meanChannel(2), at(ms).meanChannel(0) - 0.01) << ms;
    }
}

} // namespace
