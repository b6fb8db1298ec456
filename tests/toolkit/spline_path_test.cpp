#include "toolkit/spline_path.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

// Points i = 0 .. n - 1 at (i, 0, 0), or on a zigzag so that a wrong neighbour shows.
SplinePath path(int n, bool zigzag = false)
{
    SplinePath p;
    for (int i = 0; i < n; ++i)
        p.addPoint(Vector3(float(i), zigzag ? (i % 2 ? 1.0f : -1.0f) : 0.0f, zigzag ? 0.5f * float(i * i) : 0.0f));
    p.bake();
    return p;
}

TEST(SplinePath, EndsOnTheInnerPointsAndNothingOutside)
{
    const SplinePath line = path(4);
    EXPECT_EQ(line.evaluate(0.0f), Vector3(1, 0, 0));
    EXPECT_EQ(line.evaluate(0.5f), Vector3(1.5f, 0, 0));
    EXPECT_EQ(line.evaluate(1.0f), Vector3(2, 0, 0));
    for (float t : {1.01f, -0.01f, std::numeric_limits<float>::quiet_NaN()})
        EXPECT_EQ(line.evaluate(t), Vector3());

    const SplinePath bent = path(5, true);
    EXPECT_EQ(bent.evaluate(1.0f), bent.points[3]);
    EXPECT_EQ(bent.evaluate(0.5f), bent.points[2]); // h = 1, u = 0
    // Both outer neighbours sit at y = -1 and hold the curve above the chord (0.6).
    EXPECT_NEAR(bent.evaluate(0.1f).y, 0.792f, 1e-5f);
    for (int n = 0; n < 3; ++n) // no curve, and no read past the points
        EXPECT_EQ(path(n).evaluate(1.0f), Vector3()) << n << " points";
}

// Three points have no segment: h is 0 for every t, the missing fourth point weighs nothing,
// and the answer is the second point (a camera offset built of three points stays put).
TEST(SplinePath, ThreePointsStayOnTheSecond)
{
    const SplinePath three = path(3, true);
    for (float t : {0.0f, 0.3f, 1.0f})
        EXPECT_EQ(three.evaluate(t), three.points[1]) << t;
    EXPECT_EQ(three.evaluate(1.5f), Vector3());
}

TEST(SplinePath, OnlyBakeChangesTheCurveAndItReplaces)
{
    SplinePath p = path(4);
    p.addPoint(Vector3(9, 9, 9));
    EXPECT_EQ(p.evaluate(1.0f), Vector3(2, 0, 0));
    for (int i = 0; i < 3; ++i)
        p.addPoint(Vector3(10, float(i), 0));
    p.bake();
    EXPECT_EQ(p.pointCount(), 4); // the four since the first bake, not eight
    EXPECT_EQ(p.evaluate(0.0f), Vector3(10, 0, 0));
}

TEST(SplinePath, ResampledLineIsEvenlySpacedToItsEnd)
{
    SplinePath line = path(6); // the curve runs from x = 1 to x = 4
    line.resample(6, 1000);
    ASSERT_EQ(line.pointCount(), 6);
    EXPECT_NEAR(line.points[0].x, 1.5f, 0.01f); // one spacing along, not at the start
    for (int i = 1; i < 6; ++i)
        EXPECT_NEAR(line.points[i].x - line.points[i - 1].x, 0.5f, 0.01f) << "after point " << i - 1;
    // The walk ends a step past the last probe, beyond t = 1: still the curve's end, not the origin.
    EXPECT_NEAR(line.points[5].x, 4.0f, 0.01f);

    SplinePath kept = path(7, true);
    kept.resample(0, 1000);
    EXPECT_EQ(kept.pointCount(), 7);
    const std::vector<Vector3> before = kept.points;
    kept.resample(5, 0); // would never advance along the curve
    kept.resample(5, -10);
    EXPECT_EQ(kept.points, before);
}

// The curve with its segments worked out once must give the path's floats to the bit, at every
// parameter a scene draws with, at the ends, outside [0, 1], and for paths without a curve.
TEST(SplineCurve, GivesThePathsPointsExactly)
{
    for (int n : {0, 2, 3, 4, 5, 8}) {
        const SplinePath p = path(n, true);
        SplineCurve curve;
        curve.set(p);
        for (float u = 0.0f; u < 1.0f; u += 0.02f)
            ASSERT_EQ(curve.evaluate(u), p.evaluate(u)) << n << " points, t = " << u;
        for (int i = 0; i <= 30; ++i) {
            const float t = static_cast<float>(i) / 30.0f;
            ASSERT_EQ(curve.evaluate(t), p.evaluate(t)) << n << " points, t = " << t;
        }
        for (float t : {-0.0f, 1.0f, 1.01f, -0.01f, std::numeric_limits<float>::quiet_NaN()})
            EXPECT_EQ(curve.evaluate(t), p.evaluate(t)) << n << " points, t = " << t;
    }
    // Set again after the points move, it follows them.
    SplinePath moved = path(5, true);
    SplineCurve curve;
    curve.set(moved);
    moved.points[2] = Vector3(3, 7, -2);
    curve.set(moved);
    EXPECT_EQ(curve.evaluate(0.5f), Vector3(3, 7, -2));
}

} // namespace
