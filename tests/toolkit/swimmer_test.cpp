#include "toolkit/show_state.h"
#include "toolkit/swimmer.h"

#include "toolkit/grey_swimmer.h"
#include "maths/random.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

// The generator's next value once n values have been drawn after seed.
int valueAfter(uint32_t seed, int n)
{
    seedRandom(seed);
    for (int i = 0; i < n; ++i)
        nextRandom();
    return nextRandom();
}

// Both set-ups draw nine values: z, y, x of the start, phi, theta, speed, colour, phase, phase
// speed. They differ in the box height, the speed range and the colour.
struct SetUp {
    void (*init)(Swimmer&);
    float boxTop, slowest, fastest;
    bool grey;
};

void expectDrawOrder(const SetUp& setUp, uint32_t seed)
{
    seedRandom(seed);
    const float z = randomRange(-15, 15), y = randomRange(0, setUp.boxTop), x = randomRange(-15, 15);
    const float phi = randomRange(0, 6.283184f), theta = randomRange(0, 6.283184f);
    const float speed = randomRange(setUp.slowest, setUp.fastest);
    const float tone = setUp.grey ? randomRange(0.3f, 0.5f) : randomRange(0.4f, 0.7f);
    const float phase = randomUnit();
    const float phaseSpeed = randomRange(0.01f, 0.02f);
    const int afterNine = nextRandom();

    seedRandom(seed);
    Swimmer s;
    setUp.init(s);
    EXPECT_EQ(nextRandom(), afterNine);
    EXPECT_EQ(s.wanderer.getPosition(), Vector3(x, y, z));
    EXPECT_EQ(s.wanderer.getPreviousPosition(), Vector3(x, y, z));
    EXPECT_EQ(s.wanderer.theta, theta); // the second angle drawn is the first set
    EXPECT_EQ(s.wanderer.phi, phi);
    EXPECT_EQ(s.wanderer.speed, speed);
    EXPECT_EQ(s.colour, setUp.grey ? Vector3(tone, tone, tone) : Vector3(0.3f, 0.3f, tone));
    EXPECT_EQ(s.phase, phase);
    EXPECT_EQ(s.phaseSpeed, phaseSpeed);
    EXPECT_TRUE(s.wanderer.confined);
    EXPECT_EQ(s.wanderer.boxMax, Vector3(15, setUp.boxTop, 15));
    EXPECT_EQ(s.wanderer.boxMin, Vector3(-15, 0, -15));
    EXPECT_EQ(s.wanderer.thetaRate, 0.0f);
    EXPECT_EQ(s.wanderer.phiRate, 0.0f);
}

TEST(Swimmer, BothSetUpsDrawZThenYThenXThenAnglesSpeedColourAndPulse)
{
    expectDrawOrder({initSwimmer, 5.0f, 0.001f, 0.005f, false}, 51);
    expectDrawOrder({initGreySwimmer, 8.0f, 0.0045f, 0.007f, true}, 5110);
}

TEST(Swimmer, UpdateSwimsOneStepAndAdvancesThePulse)
{
    Swimmer s;
    s.wanderer.setBox(-10, 10, -10, 10, -10, 10);
    s.wanderer.setConfined(true);
    s.wanderer.setSpeed(0.5f);
    s.phaseSpeed = 0.25f;
    seedRandom(1000); // the first draw is not below 0.01: no turn, one draw
    ASSERT_GE(randomUnit(), 0.01f);
    const int afterOne = valueAfter(1000, 1);
    seedRandom(1000);
    updateSwimmer(s);
    EXPECT_NEAR(s.wanderer.getPosition().z, 0.5f, 1e-6f); // heading (0, 0) is +z
    EXPECT_EQ(s.wanderer.getPreviousPosition(), Vector3());
    EXPECT_FLOAT_EQ(s.phase, 0.25f);
    EXPECT_EQ(nextRandom(), afterOne);
}

TEST(Swimmer, UpdateTurnsOnALowDraw)
{
    // A seed whose first draw is below 0.01 makes the swimmer turn: two more draws inside its box.
    uint32_t seed = 1;
    for (;; ++seed) {
        seedRandom(seed);
        if (randomUnit() < 0.01f)
            break;
    }
    const int afterThree = valueAfter(seed, 3);
    Swimmer s;
    s.wanderer.setBox(-10, 10, -10, 10, -10, 10);
    seedRandom(seed);
    updateSwimmer(s);
    EXPECT_EQ(nextRandom(), afterThree);
    EXPECT_NE(s.wanderer.theta, 0.0f);
}

TEST(Swimmer, PulsingAlphaSwingsBetweenAFifthAndFull)
{
    Swimmer s;
    s.phase = 1.5707963f;
    EXPECT_NEAR(swimmerAlpha(s, 1.0f), 1.0f, 1e-6f);
    s.phase = -1.5707963f;
    EXPECT_NEAR(swimmerAlpha(s, 1.0f), 0.2f, 1e-6f);
    EXPECT_NEAR(swimmerAlpha(s, 0.5f), 0.1f, 1e-6f);
}

TEST(Swimmer, DashHeightIsScaledOnlyBeyondAThousandth)
{
    Swimmer s;
    s.wanderer.setPosition(Vector3(1, 4, 2));
    EXPECT_EQ(swimmerDashCentre(s, 0.0f).y, 4.0f);
    EXPECT_EQ(swimmerDashCentre(s, 0.001f).y, 4.0f);
    EXPECT_EQ(swimmerDashCentre(s, -0.001f).y, 4.0f);
    EXPECT_FLOAT_EQ(swimmerDashCentre(s, 0.0011f).y, 4.0f * 0.0011f);
    EXPECT_FLOAT_EQ(swimmerDashCentre(s, 0.5f).y, 2.0f);
    EXPECT_EQ(swimmerDashCentre(s, 0.5f).x, 1.0f);
}

TEST(Swimmer, SharedSwimmersAreFourHundredFromSeed51WhateverCameBefore)
{
    seedRandom(12345);
    fillSharedSwimmers();
    ASSERT_EQ(sharedSwimmers.size(), 400u);
    const std::vector<Swimmer> first = sharedSwimmers;
    seedRandom(51);
    Swimmer expected;
    initSwimmer(expected);
    EXPECT_EQ(first[0].wanderer.getPosition(), expected.wanderer.getPosition());
    const int afterAll = valueAfter(51, 400 * 9);
    for (int i = 0; i < 77; ++i)
        nextRandom();
    fillSharedSwimmers();
    ASSERT_EQ(sharedSwimmers.size(), 400u);
    EXPECT_EQ(sharedSwimmers[399].wanderer.getPosition(), first[399].wanderer.getPosition());
    EXPECT_EQ(sharedSwimmers[399].phase, first[399].phase);
    EXPECT_EQ(nextRandom(), afterAll);
}

} // namespace
