// The push scene: fade and glow reach, the springs felt only beyond a unit, the pusher's radius
// and respawn bounds, the burst of steps on the first frame, the mesh scaled once, and the
// cloud on screen with holes torn in it.
#include "runtime/offline.h"
#include "scenes/tyonto.h"
#include "tests/support/capture.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(PushFade, InOverATenthOutOverTheLastFourHundredths)
{
    EXPECT_FLOAT_EQ(TyontoEffect::fadeAt(0.05f), 0.5f);
    EXPECT_FLOAT_EQ(TyontoEffect::fadeAt(0.96f), 1.0f);
    EXPECT_NEAR(TyontoEffect::fadeAt(1.0f), 0.0f, 1e-7f); // 24.999987, not 25
    EXPECT_GE(TyontoEffect::fadeAt(1.0f), 0.0f);
    // The specks' glow reach follows alpha and goes out over the last 5 %.
    EXPECT_FLOAT_EQ(TyontoEffect::zModAt(0.5f, 1.0f), 31.5f);
    EXPECT_NEAR(TyontoEffect::zModAt(0.975f, 0.8f), 31.5f * 0.5f * 0.8f, 1e-4f);
    EXPECT_EQ(TyontoEffect::zModAt(1.0f, 1.0f), 0.0f);
}

TEST(PushCamera, SinksFromTwentyFiveUnitsLookingUp)
{
    EXPECT_NEAR(TyontoEffect::eyeAt(0.0f).y, 25.0f, 1.5f);
    EXPECT_NEAR(TyontoEffect::eyeAt(1.0f).y, 0.0f, 1.5f);
    EXPECT_EQ(TyontoEffect::centreAt(0.0f), Vector3(0, 25, 0));
    EXPECT_NEAR((TyontoEffect::centreAt(1.0f) - Vector3(0, 25, 0)).length(), 2.575f, 1e-4f);
}

TEST(PushSprings, PullOnlyBeyondOneUnitThenIntegrateWithDamping)
{
    PushParticle p;
    p.home = Vector3(0, 0, 0);
    p.position = p.previous = Vector3(1, 0, 0); // q = 1: free
    TyontoEffect::pullAndIntegrate(p);
    EXPECT_EQ(p.position, Vector3(1, 0, 0));

    p.position = p.previous = Vector3(2, 0, 0); // q = 4: pulled by 0.00035 * 16
    TyontoEffect::pullAndIntegrate(p);
    const float pulled = 2.0f - 0.00035f * 16.0f;
    EXPECT_FLOAT_EQ(p.previous.x, pulled);
    EXPECT_FLOAT_EQ(p.position.x, pulled + (pulled - 2.0f) * 0.997f); // the pull became velocity
}

TEST(PushPushers, PushOnlyInsideTheRadiusAndRespawnOnlyBeyondAHundred)
{
    TyontoEffect scene;
    scene.particles.assign(3, PushParticle());
    scene.particles[0].position = Vector3(16, 0, 0);  // exactly at the radius: untouched
    scene.particles[1].position = Vector3(0, 8, 0);   // inside
    scene.particles[2].position = Vector3(0, 0, 0);   // at the pusher: no direction, no push
    Pusher pusher;
    scene.pushParticles(pusher);
    EXPECT_EQ(scene.particles[0].position, Vector3(16, 0, 0));
    EXPECT_FLOAT_EQ(scene.particles[1].position.y, 8.0f + 16.0f * (4096.0f / 256.0f) * 0.0000015f);
    EXPECT_EQ(scene.particles[2].position, Vector3(0, 0, 0));
    EXPECT_EQ(scene.particles[1].previous, Vector3(0, 0, 0)); // only the position moves

    Pusher edge;
    edge.velocity = Vector3(1, 0, 0);
    edge.speed = 0.0f;
    edge.position = Vector3(100, -100, 100); // on the bound: stays
    TyontoEffect::movePusher(edge);
    EXPECT_EQ(edge.position, Vector3(100, -100, 100));
    edge.speed = 1.0f; // one step past it: back within 25 of the middle, same velocity
    TyontoEffect::movePusher(edge);
    EXPECT_LE(std::fabs(edge.position.x), 25.0f);
    EXPECT_LE(std::fabs(edge.position.y), 25.0f);
    EXPECT_EQ(edge.velocity, Vector3(1, 0, 0));
}

TEST(PushLayout, CloudAndPushersFromSeedTwentyThree)
{
    TyontoEffect scene;
    scene.init(167000, 182800);
    ASSERT_EQ(scene.particles.size(), 10000u);
    ASSERT_EQ(scene.pushers.size(), 5u);
    for (const PushParticle& p : scene.particles) {
        ASSERT_GE(p.home.y, 0.0f);
        ASSERT_LE(p.home.y, 35.0f);
        ASSERT_LE(std::fabs(p.home.x), 15.0f);
        ASSERT_EQ(p.position, p.home);
    }
    for (const Pusher& p : scene.pushers) {
        EXPECT_EQ(p.radius, 16.0f);
        EXPECT_GE(p.speed, 5.0f);
        EXPECT_LT(p.speed, 25.0f);
    }
    TyontoEffect again;
    again.init(167000, 182800);
    EXPECT_EQ(again.particles[9999].home, scene.particles[9999].home);
    EXPECT_EQ(again.pushers[4].velocity, scene.pushers[4].velocity);
}

TEST(PushSteps, TheFirstFrameRunsTheCappedBurstThenOnlyWholeSteps)
{
    TyontoEffect scene;
    scene.init(167000, 182800);
    dmsSetPositionForTest(167000);
    EXPECT_EQ(scene.advance(), 4); // the timer's memory starts at 0: capped at 80 ms
    EXPECT_EQ(scene.stepTimer.accumulated, 16);
    dmsSetPositionForTest(167000);
    EXPECT_EQ(scene.advance(), 0); // exactly 16 banked is not enough
    dmsSetPositionForTest(167001);
    EXPECT_EQ(scene.advance(), 1);
    dmsSetPositionForTest(0);
}

TEST(PushMesh, TextureCoordinatesAreScaledOnce)
{
    T3D mesh;
    mesh.vertices.resize(2);
    mesh.vertices[1].u = 0.5f;
    mesh.vertices[1].v = 0.25f;
    TyontoEffect::scaleTexCoordsOnce(&mesh);
    TyontoEffect::scaleTexCoordsOnce(&mesh); // a second init must not scale again
    EXPECT_EQ(mesh.vertices[1].u, 4.5f);
    EXPECT_EQ(mesh.vertices[1].v, 2.25f);
    TyontoEffect::scaleTexCoordsOnce(nullptr);
}

TEST(PushCloud, PushersTearHolesThatTheSpringsClose)
{
    TyontoEffect scene;
    scene.init(167000, 182800);
    const auto torn = [&] {
        int count = 0;
        for (const PushParticle& p : scene.particles)
            count += (p.position - p.home).length() > 1.0f;
        return count;
    };
    for (int step = 0; step < 300; ++step) // about 5 s
        scene.simulateStep();
    const int tornWhilePushed = torn();
    EXPECT_GT(tornWhilePushed, 100);
    scene.pushers.clear(); // the springs alone
    for (int step = 0; step < 3000; ++step)
        scene.simulateStep();
    EXPECT_LT(torn(), tornWhilePushed / 4);
    for (const PushParticle& p : scene.particles)
        ASSERT_LT((p.position - p.home).length(), 6.0f);
}

TEST(PushFrames, AGlowingCloudTheSameOnEveryPlay)
{
    const std::vector<CapturedFrame> first = capturePlayed(166800, 171000, 16, {169000, 171000});
    const std::vector<CapturedFrame> second = capturePlayed(166800, 171000, 16, {171000});
    ASSERT_TRUE(first[0].ok && first[1].ok && second[0].ok) << first[0].log;
    EXPECT_FALSE(first[0].glErrors()) << first[0].log;
    for (const CapturedFrame& f : first) {
        EXPECT_GT(f.shareBrighterThan(40), 0.05); // specks and the caustic backdrop
        EXPECT_LT(f.shareBrighterThan(250), 0.05);
        EXPECT_GT(f.meanChannel(2), f.meanChannel(0)); // mostly blue
    }
    EXPECT_NE(first[0].rgba, first[1].rgba);
    EXPECT_EQ(first[1].rgba, second[0].rgba);
}

} // namespace
