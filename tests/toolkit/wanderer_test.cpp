#include "toolkit/wanderer.h"

#include "maths/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

// Whether exactly n values were drawn since seedRandom(seed).
bool drewExactly(uint32_t seed, int n)
{
    const int next = nextRandom();
    seedRandom(seed);
    for (int i = 0; i < n; ++i)
        nextRandom();
    return nextRandom() == next;
}

TEST(Wanderer, BoxInEitherOrderWithInclusiveFaces)
{
    Wanderer w;
    w.setBox(10, -10, 5, -5, 0, 1);
    EXPECT_FALSE(w.isOutside(Vector3(10, 5, 1)));
    EXPECT_FALSE(w.isOutside(Vector3(-10, -5, 0)));
    EXPECT_TRUE(w.isOutside(Vector3(10.01f, 0, 0.5f)));
    EXPECT_TRUE(w.isOutside(Vector3(0, 0, -0.01f)));
    EXPECT_TRUE(w.isOutside(Vector3(0, std::numeric_limits<float>::quiet_NaN(), 0.5f)));
}

TEST(Wanderer, StepMovesAlongTheOldHeadingThenDrifts)
{
    Wanderer w;
    w.setPosition(Vector3(1, 2, 3));
    w.setSpeed(2.0f);
    w.setTurnRates(1.5707963f, 0.0f); // from +z to +y
    w.step();
    EXPECT_EQ(w.getPreviousPosition(), Vector3(1, 2, 3));
    EXPECT_NEAR(w.getPosition().z, 5.0f, 1e-5f);
    w.step();
    EXPECT_NEAR(w.getPosition().y, 4.0f, 1e-5f);
    EXPECT_NEAR(w.getPosition().z, 5.0f, 1e-5f);
}

TEST(Wanderer, ConfinedOutsideTriesSixHeadingsUnlessOneLeadsBack)
{
    Wanderer still; // after reset the box is the origin
    still.setPosition(Vector3(5, 5, 5));
    still.setConfined(true);
    still.setAngles(1.0f, 2.0f);
    seedRandom(7);
    still.step();
    EXPECT_EQ(still.getPosition(), Vector3(5, 5, 5));
    EXPECT_TRUE(drewExactly(7, 12));
    EXPECT_LE(std::fabs(still.theta - 1.0f), 0.2f); // the last try is kept

    Wanderer back;
    back.setBox(-10, 10, -10, 10, -10, 10);
    back.setPosition(Vector3(10.5f, 0, 0));
    back.setSpeed(1.0f);
    back.setAngles(1.5707963f, -1.5707963f); // heading -x, back inside
    seedRandom(7);
    back.turn(0.2f);
    EXPECT_TRUE(drewExactly(7, 2));
    EXPECT_EQ(back.getPosition(), Vector3(10.5f, 0, 0));
}

TEST(Wanderer, TurnInsideDrawsThetaThenPhi)
{
    Wanderer w;
    w.setBox(-1, 1, -1, 1, -1, 1);
    seedRandom(1); // 0.0041 then 0.8467
    w.turn(1.0f);
    EXPECT_NEAR(w.theta, -0.9918f, 1e-5f);
    EXPECT_NEAR(w.phi, 0.3467f, 1e-5f);
    w.setConfined(true); // inside a confined wanderer moves without drawing
    w.setSpeed(0.1f);
    seedRandom(3);
    w.step();
    EXPECT_TRUE(drewExactly(3, 0));
}

} // namespace
