#include "maths/ramps.h"
#include "maths/random.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void expectVector(const Vector& v, float x, float y, float z)
{
    EXPECT_NEAR(v.x, x, 1e-4f);
    EXPECT_NEAR(v.y, y, 1e-4f);
    EXPECT_NEAR(v.z, z, 1e-4f);
}

// Every layout depends on the exact arithmetic: another multiplier, a signed state or a missing
// mask changes these values.
TEST(Random, GeneratorSequenceWrapsAndMasksBit31)
{
    seedRandom(1);
    EXPECT_EQ(nextRandom(), 41);
    EXPECT_EQ(nextRandom(), 18467);
    EXPECT_EQ(nextRandom(), 6334);
    seedRandom(0xFFFFFFFFu);
    EXPECT_EQ(nextRandom(), 35);
    seedRandom(20000); // the new state has bit 31 set
    EXPECT_EQ(nextRandom(), 32582);
}

TEST(Random, ScalarsDrawOnceAndRandomToWithoutRangeNotAtAll)
{
    seedRandom(1);
    EXPECT_FLOAT_EQ(randomUnit(), 0.0041f);
    EXPECT_FLOAT_EQ(randomRange(20.0f, 10.0f), 11.533f); // bounds in either order
    EXPECT_EQ(randomTo(0.0f), 0.0f);
    EXPECT_EQ(randomTo(-3.0f), 0.0f);
    EXPECT_FLOAT_EQ(randomTo(2.0f), 1.2668f);
    EXPECT_EQ(nextRandom(), 26500);
}

// The vectors fill z first: another order moves every object of a layout.
TEST(Random, VectorsDrawZThenYThenX)
{
    seedRandom(1);
    expectVector(randomCenteredVector(), 0.1334f, 0.3467f, -0.4959f);
    seedRandom(1);
    expectVector(randomScaledVector(2.0f, 4.0f, 10.0f), 0.2668f, 1.3868f, -4.959f);
    seedRandom(1); // polar angle from the second draw, azimuth from the first
    expectVector(randomDirection(), -0.82096f, -0.01058f, 0.57088f);
    EXPECT_EQ(nextRandom(), 6334);
}

TEST(Random, ClampAndRampsAtTheirEdges)
{
    EXPECT_EQ(clamp(std::numeric_limits<float>::quiet_NaN(), 0.0f, 1.0f), 0.0f);
    EXPECT_EQ(clamp(1.5f, 0.0f, 1.0f), 1.0f);
    EXPECT_EQ(clamp(0.25f, 0.0f, 1.0f), 0.25f);

    EXPECT_EQ(rampLinear(5.0f, 5.0f, 10.0f), 0.0f);
    EXPECT_EQ(rampLinear(10.0f, 5.0f, 10.0f), 1.0f);
    EXPECT_FLOAT_EQ(rampLinear(6.0f, 5.0f, 10.0f), 0.2f);
    EXPECT_EQ(rampEaseIn(5.01f, 5.0f, 10.0f), 0.0f); // below 0.001 snaps to 0
    EXPECT_NEAR(rampEaseIn(7.5f, 5.0f, 10.0f), 1.0f - std::sqrt(0.5f), 1e-5f);
    EXPECT_EQ(rampEaseIn(10.0f, 5.0f, 10.0f), 1.0f);

    EXPECT_FLOAT_EQ(sinePulse(7.5f, 5.0f, 10.0f, 2.0f), 1.0f);
    EXPECT_NEAR(sinePulse(7.5f, 5.0f, 10.0f, 0.5f), 0.5f, 1e-6f);
    EXPECT_EQ(sinePulse(5.0f, 5.0f, 10.0f, 1.0f), 0.0f);
    EXPECT_EQ(sinePulse(10.0f, 5.0f, 10.0f, 1.0f), 0.0f);
    EXPECT_EQ(sinePulse(6.0f, 5.0f, 10.0f, -1.0f), 0.0f);
}

} // namespace

TEST(SceneFade, RisesAndFallsInsideItsWindowsOnly)
{
    // The forest's numbers: in over the first tenth, out over the last hundredth.
    EXPECT_FLOAT_EQ(sceneFade(0.05f, 0.1f, 10.0f, 0.99f, 100.0001f), 0.5f);
    EXPECT_FLOAT_EQ(sceneFade(0.1f, 0.1f, 10.0f, 0.99f, 100.0001f), 1.0f) << "the rise's end is inside it";
    EXPECT_FLOAT_EQ(sceneFade(0.5f, 0.1f, 10.0f, 0.99f, 100.0001f), 1.0f);
    EXPECT_NEAR(sceneFade(0.995f, 0.1f, 10.0f, 0.99f, 100.0001f), 0.5f, 1e-3f);
    EXPECT_NEAR(sceneFade(1.0f, 0.1f, 10.0f, 0.99f, 100.0001f), 0.0f, 1e-4f);
    // Outside [0, 1] nothing applies: before the start or past the end the value is 1.
    EXPECT_FLOAT_EQ(sceneFade(-0.01f, 0.1f, 10.0f, 0.99f, 100.0001f), 1.0f);
    EXPECT_FLOAT_EQ(sceneFade(1.01f, 0.1f, 10.0f, 0.99f, 100.0001f), 1.0f);
    // Windows that overlap multiply: a scene both rising and falling at once.
    EXPECT_FLOAT_EQ(sceneFade(0.5f, 1.0f, 1.0f, 0.0f, 1.0f), 0.25f);
}
