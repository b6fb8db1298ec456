#include "toolkit/wanderer.h"

#include "toolkit/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr float halfPi = 1.5707963f;

// How many values the generator has advanced since seedRandom(seed), found by where the next
// three values stand in the sequence.
int drawsSince(uint32_t seed)
{
    const int next[3] = {nextRandom(), nextRandom(), nextRandom()};
    seedRandom(seed);
    int window[3] = {nextRandom(), nextRandom(), nextRandom()};
    for (int n = 0; n < 1000; ++n) {
        if (window[0] == next[0] && window[1] == next[1] && window[2] == next[2])
            return n;
        window[0] = window[1];
        window[1] = window[2];
        window[2] = nextRandom();
    }
    return -1;
}

TEST(WandererBox, EitherOrderAndInclusiveFaces)
{
    Wanderer w;
    w.setBox(10, -10, 5, -5, 0, 1);
    EXPECT_FALSE(w.isOutside(Vector3(10, 5, 1)));  // on the far faces
    EXPECT_FALSE(w.isOutside(Vector3(-10, -5, 0))); // on the near faces
    EXPECT_FALSE(w.isOutside(Vector3(0, 0, 0.5f)));
    EXPECT_TRUE(w.isOutside(Vector3(10.01f, 0, 0.5f)));
    EXPECT_TRUE(w.isOutside(Vector3(0, -5.01f, 0.5f)));
    EXPECT_TRUE(w.isOutside(Vector3(0, 0, -0.01f)));
    EXPECT_TRUE(w.isOutside(Vector3(0, std::numeric_limits<float>::quiet_NaN(), 0.5f)));
}

TEST(WandererStep, MovesAlongTheOldHeadingThenDrifts)
{
    Wanderer w;
    w.setPosition(Vector3(1, 2, 3));
    EXPECT_EQ(w.getPreviousPosition(), Vector3(1, 2, 3));
    w.setSpeed(2.0f);
    w.setAngles(0.0f, 0.0f); // along +z
    w.setTurnRates(halfPi, 0.0f);
    w.step();
    EXPECT_EQ(w.getPreviousPosition(), Vector3(1, 2, 3));
    EXPECT_NEAR(w.getPosition().z, 5.0f, 1e-5f);
    EXPECT_NEAR(w.getPosition().y, 2.0f, 1e-5f);
    w.step(); // theta is now pi / 2 with phi 0: along +y
    EXPECT_NEAR(w.getPosition().y, 4.0f, 1e-5f);
    EXPECT_NEAR(w.getPosition().z, 5.0f, 1e-5f);
    EXPECT_NEAR(w.getPreviousPosition().z, 5.0f, 1e-5f);
}

TEST(WandererStep, UnconfinedOrInsideDrawsNothing)
{
    Wanderer w;
    w.setSpeed(1.0f);
    seedRandom(3);
    for (int i = 0; i < 10; ++i)
        w.step(); // the box is a point but the wanderer is free
    EXPECT_EQ(drawsSince(3), 0);

    w.reset();
    w.setBox(-100, 100, -100, 100, -100, 100);
    w.setConfined(true);
    w.setSpeed(1.0f);
    seedRandom(3);
    w.step();
    EXPECT_EQ(drawsSince(3), 0);
}

TEST(WandererStep, ConfinedAfterResetTurnsAtEveryStep)
{
    Wanderer w;
    w.setConfined(true);
    w.setSpeed(1.0f);
    seedRandom(5);
    w.step();
    EXPECT_TRUE(w.isOutside(w.getPosition()));
    EXPECT_NE(w.theta, 0.0f);
    w.step();
    // No heading from a point off the origin reaches the origin in one step of the near-zero
    // angles tried, so both steps use all six tries.
    EXPECT_EQ(drawsSince(5), 24);
}

TEST(WandererTurn, StandingStillOutsideUsesAllSixTries)
{
    Wanderer w;
    w.setPosition(Vector3(5, 5, 5)); // the box is the origin
    w.setConfined(true);
    w.setAngles(1.0f, 2.0f);
    seedRandom(7);
    w.step();
    EXPECT_EQ(w.getPosition(), Vector3(5, 5, 5));
    EXPECT_EQ(drawsSince(7), 12);
    // The last try is kept even though none succeeded.
    EXPECT_LE(std::fabs(w.theta - 1.0f), 0.2f);
    EXPECT_LE(std::fabs(w.phi - 2.0f), 0.1f);
}

TEST(WandererTurn, StopsAtTheFirstTryThatLeadsBackInside)
{
    Wanderer w;
    w.setBox(-10, 10, -10, 10, -10, 10);
    w.setPosition(Vector3(10.5f, 0, 0));
    w.setSpeed(1.0f);
    w.setAngles(halfPi, -halfPi); // heading -x, back into the box
    seedRandom(7);
    w.turn(0.2f);
    EXPECT_EQ(drawsSince(7), 2);
    EXPECT_EQ(w.getPosition(), Vector3(10.5f, 0, 0)); // turning never moves
}

TEST(WandererTurn, InsideDrawsThetaThenPhiWithinTheAmount)
{
    Wanderer w;
    w.setBox(-1, 1, -1, 1, -1, 1);
    w.setAngles(0.5f, 0.5f);
    seedRandom(1); // draws 0.0041 then 0.8467
    w.turn(1.0f);
    EXPECT_NEAR(w.theta, 0.5f - 0.9918f, 1e-5f);
    EXPECT_NEAR(w.phi, 0.5f + 0.3467f, 1e-5f);

    for (uint32_t seed = 0; seed < 200; ++seed) {
        seedRandom(seed);
        w.setAngles(0.0f, 0.0f);
        w.turn(0.3f);
        EXPECT_LE(std::fabs(w.theta), 0.3f);
        EXPECT_LE(std::fabs(w.phi), 0.15f);
    }
}

} // namespace
