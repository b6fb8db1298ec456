#include "toolkit/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void expectVector(const Vector& v, float x, float y, float z, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
}

// Every layout depends on the generator's exact arithmetic: a different multiplier, a signed
// state or a missing mask changes these values.
TEST(RandomGenerator, KnownSequenceAfterSeedingAndWrapAround)
{
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);

    // The state wraps modulo 2^32.
    seedRandom(0xFFFFFFFFu);
    EXPECT_EQ(nextRandom(), 35);
    // Bit 31 of the new state is set here and must not reach the result.
    seedRandom(20000);
    EXPECT_EQ(nextRandom(), 32582);

    // Reseeding restarts the sequence.
    seedRandom(1);
    nextRandom();
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
}

TEST(RandomScalars, OneDrawEachInTenThousandths)
{
    seedRandom(1);
    EXPECT_FLOAT_EQ(randomUnit(), 0.0041f);
    EXPECT_FLOAT_EQ(randomUnit(), 0.8467f);
    EXPECT_FLOAT_EQ(randomUnit(), 0.6334f);

    seedRandom(1);
    EXPECT_FLOAT_EQ(randomRange(10.0f, 20.0f), 10.041f);
    EXPECT_FLOAT_EQ(randomRange(20.0f, 10.0f), 11.533f); // reversed bounds work too
    EXPECT_FLOAT_EQ(randomTo(2.0f), 1.2668f);
    EXPECT_EQ(nextRandom(), 26500); // exactly one draw per call above
}

TEST(RandomScalars, RandomToWithoutRangeDrawsNothing)
{
    seedRandom(1);
    EXPECT_EQ(randomTo(0.0f), 0.0f);
    EXPECT_EQ(randomTo(-3.0f), 0.0f);
    EXPECT_EQ(nextRandom(), 41);
}

// The vector helpers fill z first: swapping the draw order moves every object of a layout.
TEST(RandomVectors, DrawZThenYThenX)
{
    seedRandom(1);
    expectVector(randomCenteredVector(), 0.1334f, 0.3467f, -0.4959f);
    seedRandom(1);
    expectVector(randomScaledVector(2.0f, 4.0f, 10.0f), 0.2668f, 1.3868f, -4.959f);
}

TEST(RandomVectors, DirectionIsUnitWithPolarAngleFromTheSecondDraw)
{
    seedRandom(1);
    const Vector d = randomDirection();
    EXPECT_NEAR(d.length(), 1.0f, 1e-5f);
    // Polar angle 0.8467 * 2 pi, azimuth 0.0041 * pi.
    expectVector(d, -0.82096f, -0.01058f, 0.57088f, 1e-4f);
    EXPECT_EQ(nextRandom(), 6334); // two draws
}

TEST(Geometry, SphericalToVectorMeasuresThePolarAngleFromZ)
{
    expectVector(sphericalToVector(2.0f, 0.0f, 1.0f), 0.0f, 0.0f, 2.0f);
    expectVector(sphericalToVector(2.0f, 1.5707963f, 0.0f), 2.0f, 0.0f, 0.0f);
    expectVector(sphericalToVector(1.0f, 1.5707963f, 1.5707963f), 0.0f, 1.0f, 0.0f);
}

TEST(TimeShaping, ClampSendsNanToTheLowerBound)
{
    EXPECT_EQ(clamp(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(clamp(-0.5f, 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(clamp(1.5f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(clamp(0.25f, 0.0f, 1.0f), 0.25f);
    EXPECT_EQ(clamp(1.0f, 0.0f, 1.0f), 1.0f);
}

TEST(TimeShaping, RampsAreClosedAtTheirEnds)
{
    EXPECT_EQ(rampLinear(5.0f, 5.0f, 10.0f), 0.0f);
    EXPECT_EQ(rampLinear(10.0f, 5.0f, 10.0f), 1.0f);
    EXPECT_FLOAT_EQ(rampLinear(6.0f, 5.0f, 10.0f), 0.2f);
    EXPECT_EQ(rampLinear(-100.0f, 5.0f, 10.0f), 0.0f);
    EXPECT_EQ(rampLinear(100.0f, 5.0f, 10.0f), 1.0f);

    // Just past the start the ease is below 0.001 and snaps to 0.
    EXPECT_EQ(rampEaseIn(5.01f, 5.0f, 10.0f), 0.0f);
    EXPECT_EQ(rampEaseIn(5.0f, 5.0f, 10.0f), 0.0f);
    EXPECT_EQ(rampEaseIn(10.0f, 5.0f, 10.0f), 1.0f);
    EXPECT_NEAR(rampEaseIn(7.5f, 5.0f, 10.0f), 1.0f - std::sqrt(0.5f), 1e-5f);
    EXPECT_GT(rampEaseIn(5.5f, 5.0f, 10.0f), 0.0f);
}

TEST(TimeShaping, SinePulseIsClampedAndOpenAtItsEnds)
{
    EXPECT_FLOAT_EQ(sinePulse(7.5f, 5.0f, 10.0f, 2.0f), 1.0f);
    EXPECT_NEAR(sinePulse(7.5f, 5.0f, 10.0f, 0.5f), 0.5f, 1e-6f);
    EXPECT_EQ(sinePulse(5.0f, 5.0f, 10.0f, 1.0f), 0.0f);
    EXPECT_EQ(sinePulse(10.0f, 5.0f, 10.0f, 1.0f), 0.0f);
    for (float t = 5.5f; t < 10.0f; t += 0.5f)
        EXPECT_EQ(sinePulse(t, 5.0f, 10.0f, -1.0f), 0.0f) << "at " << t;
}

} // namespace
