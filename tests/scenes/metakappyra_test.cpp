// The flare clusters: fade, spring steps, billboard sizes, the fixed layout, and the frames in
// which they light up over the descent.
#include "scenes/metakappyra.h"
#include "tests/support/capture.h"
#include "maths/random.h"

#include <gtest/gtest.h>

namespace {

float distance(const Vector3& a, const Vector3& b) { return (a - b).length(); }

} // namespace

TEST(FlareFade, RisesOverTheFirstTenthAndFallsOverTheLast)
{
    EXPECT_FLOAT_EQ(MetakappyraEffect::fadeAt(0.0f), 0.0f);
    EXPECT_FLOAT_EQ(MetakappyraEffect::fadeAt(0.1f), 1.0f);
    EXPECT_FLOAT_EQ(MetakappyraEffect::fadeAt(0.5f), 1.0f);
    EXPECT_NEAR(MetakappyraEffect::fadeAt(0.95f), 0.5f, 1e-5f);
    EXPECT_NEAR(MetakappyraEffect::fadeAt(1.0f), 0.0f, 1e-5f);
}

TEST(FlareSprings, NoPullWithinDistanceOneAndAPullHomeBeyondIt)
{
    // Inside the unit sphere a flare keeps its speed: a straight line, no damping.
    FlareParticle inside{Vector3(0.0f, 0.0f, 0.8f), Vector3(0.0f, 0.0f, 0.75f), Vector3()};
    stepFlare(inside);
    EXPECT_FLOAT_EQ(inside.position.z, 0.85f);
    EXPECT_FLOAT_EQ(inside.previous.z, 0.8f);
    stepFlare(inside);
    EXPECT_FLOAT_EQ(inside.position.z, 0.9f);

    // At distance 2 (squared 4) the pull is 0.1 * 4 * 4 = 1.6 towards home.
    FlareParticle outside{Vector3(0.0f, 2.0f, 0.0f), Vector3(0.0f, 2.0f, 0.0f), Vector3()};
    stepFlare(outside);
    EXPECT_NEAR(outside.previous.y, 0.4f, 1e-6f);
    EXPECT_NEAR(outside.position.y, -1.2f, 1e-6f); // the pull carries on as speed
    EXPECT_EQ(outside.position.x, 0.0f);
}

TEST(FlareSprings, TheWholeSceneStaysNearItsHomes)
{
    MetakappyraEffect flares;
    flares.init(39000, 65500);
    // 26.5 s of 25 ms steps, and some more.
    for (int i = 0; i < 1200; ++i)
        flares.step();
    for (const FlareParticle& p : flares.particles)
        ASSERT_LT(distance(p.position, p.home), 1.5f);
}

TEST(FlareLayout, SizesRepeatEvery32)
{
    for (int i : {0, 32, 64, 96, 128})
        EXPECT_EQ(flareHalfSize(i), 1.0f);
    EXPECT_EQ(flareHalfSize(31), 1.96875f);
    EXPECT_EQ(flareHalfSize(139), flareHalfSize(11));
}

TEST(FlareLayout, FourClustersOf35WithTheSameHomesOnEveryRun)
{
    MetakappyraEffect first, second;
    seedRandom(123);
    first.init(39000, 65500);
    nextRandom(); // whatever ran before, the layout is the same
    second.init(39000, 65500);
    ASSERT_EQ(first.particles.size(), 140u);
    EXPECT_EQ(first.startTime, 39000u);
    EXPECT_EQ(first.endTime, 65500u);
    for (size_t i = 0; i < 140; ++i) {
        EXPECT_EQ(first.particles[i].home, second.particles[i].home);
        EXPECT_EQ(first.particles[i].position, first.particles[i].home);
        // The starting velocity is under half a unit along each axis.
        const Vector3 v = first.particles[i].position - first.particles[i].previous;
        EXPECT_TRUE(std::abs(v.x) <= 0.5f && std::abs(v.y) <= 0.5f && std::abs(v.z) <= 0.5f);
    }
    // The first cluster sits around the first three draws after seed 2, on a sphere of 1.8.
    const Vector3 centre(-34.685f, 25.296f, 15.99f);
    for (size_t i = 0; i < 35; ++i)
        EXPECT_NEAR(distance(first.particles[i].home, centre), 1.8f, 1e-3f) << i;
    EXPECT_GT(distance(first.particles[35].home, centre), 5.0f);
}

TEST(FlareFrames, TheFlaresLightUpOverTheDescentTheSameEveryTime)
{
    const CapturedFrame before = captureAt(38000);
    const CapturedFrame first = captureAt(50000);
    const CapturedFrame second = captureAt(50000);
    ASSERT_TRUE(before.ok && first.ok && second.ok) << first.log;
    EXPECT_FALSE(before.glErrors() || first.glErrors() || second.glErrors()) << first.log;
    EXPECT_TRUE(first.rgba == second.rgba);
    // Light blue outlines appear where there were none, over the descent's dark blue.
    EXPECT_LT(before.shareBrighterThan(120), 0.0005);
    EXPECT_GT(first.shareBrighterThan(120), 0.001);
    EXPECT_GT(first.meanChannel(2), first.meanChannel(0));
    EXPECT_GT(first.meanChannel(2), 15.0);
}
