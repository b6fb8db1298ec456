// The creatures scene: fade, floor and swimmer windows, the seed order of everything its
// constructor builds (shared swimmers included), the sprouts' growth window, the strands'
// appearance, the ribbons' bounce, and its frames.
#include "maths/random.h"
#include "runtime/offline.h"
#include "scenes/meduusa.h"
#include "scenes/oliot.h"
#include "tests/support/capture.h"
#include "toolkit/show_state.h"
#include "toolkit/swimmer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const OliotEffect& builtScene()
{
    static const OliotEffect* scene = new OliotEffect();
    return *scene;
}

// The n-th randomUnit after seeding (1-based), drawn independently of the scene's code.
float unitAfter(uint32_t seed, int n)
{
    seedRandom(seed);
    float u = 0.0f;
    for (int i = 0; i < n; ++i)
        u = randomUnit();
    return u;
}

TEST(CreaturesFade, InOverATenthOutOverTheLastHundredth)
{
    EXPECT_FLOAT_EQ(OliotEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(OliotEffect::fadeAt(0.99f), 1.0f);
    EXPECT_NEAR(OliotEffect::fadeAt(1.0f), 0.0f, 1e-7f); // 100.0001, not 100
    EXPECT_GE(OliotEffect::fadeAt(1.0f), 0.0f);
}

TEST(CreaturesWindows, FloorDarkensAndSwimmersFade)
{
    EXPECT_FLOAT_EQ(OliotEffect::floorBrightness(191000, 1.0f), 0.35f);
    EXPECT_FLOAT_EQ(OliotEffect::floorBrightness(196000, 1.0f), 0.10f);
    EXPECT_EQ(OliotEffect::floorBrightness(196000, 0.2f), 0.0f); // clamped, never negative
    EXPECT_FLOAT_EQ(OliotEffect::swimmerFade(192580, 0.8f), 0.8f * 0.75f);
    EXPECT_TRUE(OliotEffect::swimmersVisible(193579));
    EXPECT_FALSE(OliotEffect::swimmersVisible(193580));
}

TEST(CreaturesLayout, EachGroupFromItsOwnSeedInTheGivenDrawOrder)
{
    seedRandom(777); // whatever came before must not matter
    const OliotEffect& scene = builtScene();
    ASSERT_EQ(scene.ribbons.size(), 150u);
    ASSERT_EQ(scene.sprouts.size(), 200u);
    ASSERT_EQ(scene.strands.size(), 500u);

    // Ribbon 0: radius, angle, height are the first three draws after seed 61061.
    const Ribbon& r = scene.ribbons[0];
    const float radius = 7.0f + unitAfter(61061, 1) * 2.0f;
    const float angle = unitAfter(61061, 2) * 6.283184f;
    EXPECT_FLOAT_EQ(r.position.x, std::cos(angle) * radius);
    EXPECT_FLOAT_EQ(r.position.y, 0.3f + unitAfter(61061, 3) * 2.7f);
    EXPECT_GE(r.segmentCount, 7);
    EXPECT_LE(r.segmentCount, 13);
    EXPECT_EQ(r.top.size(), static_cast<size_t>(r.segmentCount));
    // No ribbon draws a value for its body: every body is the plain one, and the next ribbon
    // starts right after the last draw of this one.
    for (const Ribbon& each : scene.ribbons)
        EXPECT_FALSE(each.texturedBody);
    seedRandom(61061);
    Ribbon first, second;
    OliotEffect::initRibbon(first);
    OliotEffect::initRibbon(second);
    EXPECT_EQ(scene.ribbons[1].position, second.position);
    EXPECT_EQ(scene.ribbons[1].drift, second.drift);

    // Sprout 0: growth start and end are draws 3 and 4 after seed 5110; two unused draws follow.
    const Sprout& s = scene.sprouts[0];
    EXPECT_FLOAT_EQ(s.growthStart, 193580.0f + unitAfter(5110, 3) * 1000.0f);
    EXPECT_NEAR(s.growthEnd - s.growthStart, 500.0f + unitAfter(5110, 4) * 300.0f, 0.02f);
    EXPECT_FLOAT_EQ(s.start.x, std::cos(unitAfter(5110, 1) * 6.283184f) * 7.0f);
    EXPECT_EQ(s.path.pointCount(), 7);
    EXPECT_EQ(s.path.points[0], s.start);

    // The shared swimmers: 400 from seed 51, as the jellyfish scene expects them.
    ASSERT_EQ(sharedSwimmers.size(), 400u);
    const std::vector<Swimmer> built = sharedSwimmers;
    fillSharedSwimmers();
    EXPECT_EQ(sharedSwimmers[399].wanderer.getPosition(), built[399].wanderer.getPosition());

    // Strand 0 after seed 1961: travel is the third draw; 12 draws, then 4 per path point,
    // then the appearance window.
    const Strand& st = scene.strands[0];
    EXPECT_FLOAT_EQ(st.travel, unitAfter(1961, 3));
    EXPECT_FLOAT_EQ(st.appearStart, 0.49f + unitAfter(1961, 113) * 0.36f);
    EXPECT_EQ(st.path.pointCount(), 25);
}

TEST(CreaturesLayout, JellyfishNeitherBuildsNorMovesTheSharedSwimmers)
{
    builtScene();
    const std::vector<Swimmer> built = sharedSwimmers;
    MeduusaEffect jellyfish;
    jellyfish.init(91000, 150000);
    ASSERT_EQ(sharedSwimmers.size(), built.size());
    EXPECT_EQ(sharedSwimmers[17].wanderer.getPosition(), built[17].wanderer.getPosition());
    // Its own layout comes from its own seeds, before or after the swimmers exist.
    sharedSwimmers.clear();
    MeduusaEffect without;
    without.init(91000, 150000);
    EXPECT_TRUE(sharedSwimmers.empty());
    EXPECT_EQ(without.jellyfish[12].position, jellyfish.jellyfish[12].position);
    EXPECT_EQ(without.shells[99].end, jellyfish.shells[99].end);
    sharedSwimmers = built;
}

TEST(CreaturesStep, SproutsGrowOnlyInTheirWindow)
{
    Sprout s = builtScene().sprouts[3];
    OliotEffect::stepSprout(s, s.growthStart);
    EXPECT_EQ(s.growth, 0.0f);
    EXPECT_EQ(s.flarePhase, 0.0f); // not begun: the flare does not move either
    const float middle = (s.growthStart + s.growthEnd) * 0.5f;
    OliotEffect::stepSprout(s, middle);
    EXPECT_NEAR(s.growth, std::sqrt(std::sin(0.5f * 1.570796f)), 1e-3f);
    EXPECT_EQ(s.flarePhase, s.flareSpeed);
    OliotEffect::stepSprout(s, s.growthEnd + 1.0f);
    EXPECT_NEAR(s.growth, 1.0f, 1e-6f);
}

TEST(CreaturesStep, StrandsAppearOverTheirWindowAndSparksStopAtTheEnd)
{
    Strand s = builtScene().strands[5];
    s.twinkleSpeed = 0.0f;
    s.travelSpeed = 0.0f;
    s.travel = 0.5f;
    OliotEffect::stepStrand(s, s.appearStart);
    EXPECT_EQ(s.visibility, 0.0f);
    EXPECT_EQ(s.brightness, 0.0f);
    OliotEffect::stepStrand(s, (s.appearStart + s.appearEnd) * 0.5f);
    EXPECT_NEAR(s.visibility, 0.5f, 1e-4f);
    EXPECT_NEAR(s.brightness, s.visibility * s.peakBrightness, 1e-6f); // 4 sin capped at 1
    s.travel = 0.05f;
    OliotEffect::stepStrand(s, 1.0f);
    EXPECT_NEAR(s.brightness, s.peakBrightness * 4.0f * std::sin(0.05f * 3.141592f), 1e-5f);

    s.travel = 0.995f;
    float from = 0.0f, to = 0.0f;
    OliotEffect::sparkSpan(s, from, to);
    EXPECT_FLOAT_EQ(from, 0.995f);
    EXPECT_EQ(to, 1.0f);
    s.travel = 0.4f;
    OliotEffect::sparkSpan(s, from, to);
    EXPECT_FLOAT_EQ(to, 0.41f);
}

TEST(CreaturesStep, ARibbonBelowTheFloorBouncesUpInTheSameStep)
{
    Ribbon r = builtScene().ribbons[9];
    r.position.y = 0.1005f;
    r.drift = Vector3(0.0f, -0.001f, 0.0f);
    OliotEffect::stepRibbon(r);
    EXPECT_LT(r.position.y, 0.1f);
    EXPECT_GE(r.drift.y, 0.0f);
    EXPECT_NEAR(r.drift.length(), 0.0015f, 1e-6f);
}

TEST(CreaturesSteps, TheFirstFrameRunsTheCappedBurst)
{
    OliotEffect scene;
    dmsSetPositionForTest(182950);
    EXPECT_EQ(scene.advance(0.0f), 4);
    dmsSetPositionForTest(182975); // 16 left over plus 25
    EXPECT_EQ(scene.advance(0.0f), 2);
    dmsSetPositionForTest(0);
}

TEST(CreaturesFrames, RibbonsThenSproutsAndStrandsTheSameOnEveryPlay)
{
    const std::vector<CapturedFrame> played = capturePlayed(182800, 197000, 16, {186000, 197000});
    const std::vector<CapturedFrame> again = capturePlayed(182800, 186000, 16, {186000});
    const CapturedFrame& ribbons = played[0];
    const CapturedFrame& sprouts = played[1];
    ASSERT_TRUE(ribbons.ok && sprouts.ok && again[0].ok) << ribbons.log;
    EXPECT_FALSE(ribbons.glErrors()) << ribbons.log;
    EXPECT_EQ(ribbons.rgba, again[0].rgba);
    // Pink ribbons over the dark floor.
    EXPECT_GT(ribbons.shareBrighterThan(60), 0.01);
    EXPECT_GT(ribbons.meanChannel(0), ribbons.meanChannel(1));
    // Later the turquoise sprout tips outshine them in green.
    EXPECT_GT(sprouts.shareBrighterThan(60), ribbons.shareBrighterThan(60));
    EXPECT_GT(sprouts.meanChannel(1) / sprouts.meanChannel(0), ribbons.meanChannel(1) / ribbons.meanChannel(0));
}

} // namespace
