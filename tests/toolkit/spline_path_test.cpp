#include "toolkit/spline_path.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

void expectNear(const Vector3& v, const Vector3& expected, float tolerance = 1e-5f)
{
    EXPECT_NEAR(v.x, expected.x, tolerance);
    EXPECT_NEAR(v.y, expected.y, tolerance);
    EXPECT_NEAR(v.z, expected.z, tolerance);
}

SplinePath lineAlongX(int pointCount)
{
    SplinePath path;
    for (int i = 0; i < pointCount; ++i)
        path.addPoint(Vector3(static_cast<float>(i), 0.0f, 0.0f));
    path.bake();
    return path;
}

// A bent route, so that a wrong segment or neighbour shows.
SplinePath zigzag(int pointCount)
{
    SplinePath path;
    for (int i = 0; i < pointCount; ++i)
        path.addPoint(Vector3(static_cast<float>(i), (i % 2) ? 1.0f : -1.0f, 0.5f * static_cast<float>(i * i)));
    path.bake();
    return path;
}

TEST(SplinePathEvaluate, EndsLieOnTheInnerPointsAndOutsideIsZero)
{
    const SplinePath line = lineAlongX(4);
    expectNear(line.evaluate(0.0f), Vector3(1, 0, 0));
    expectNear(line.evaluate(0.5f), Vector3(1.5f, 0, 0));
    expectNear(line.evaluate(1.0f), Vector3(2, 0, 0));
    EXPECT_EQ(line.evaluate(1.01f), Vector3());
    EXPECT_EQ(line.evaluate(-0.01f), Vector3());
    EXPECT_EQ(line.evaluate(std::numeric_limits<float>::quiet_NaN()), Vector3());

    // t = 1 is the next to last point exactly, on a curve where the last point pulls elsewhere.
    const SplinePath bent = zigzag(6);
    EXPECT_EQ(bent.evaluate(1.0f), bent.points[4]);
    EXPECT_EQ(bent.evaluate(0.0f), bent.points[1]);
}

TEST(SplinePathEvaluate, InnerKnotsAreHitExactly)
{
    const SplinePath bent = zigzag(5);
    EXPECT_EQ(bent.evaluate(0.5f), bent.points[2]); // h = 1, u = 0
    // A fifth of the way from the knot at y = 1 to the one at y = -1, the outer neighbours
    // (both at y = -1) hold the curve up: it sags less than the straight chord would (0.6).
    EXPECT_NEAR(bent.evaluate(0.1f).y, 0.792f, 1e-5f);
}

TEST(SplinePathEvaluate, FewerThanFourPointsGiveNoCurve)
{
    for (int n = 0; n < 4; ++n) {
        const SplinePath path = lineAlongX(n);
        for (float t : {0.0f, 0.5f, 1.0f})
            EXPECT_EQ(path.evaluate(t), Vector3()) << n << " points at " << t;
    }
    EXPECT_EQ(lineAlongX(4).direction(0.5f), Vector3());
}

TEST(SplinePathPoints, OnlyBakeChangesTheCurveAndItReplaces)
{
    SplinePath path = lineAlongX(4);
    path.addPoint(Vector3(9, 9, 9));
    expectNear(path.evaluate(1.0f), Vector3(2, 0, 0)); // pending points are not read

    for (int i = 0; i < 3; ++i)
        path.addPoint(Vector3(10, static_cast<float>(i), 0));
    path.bake();
    ASSERT_EQ(path.pointCount(), 4); // the four since the first bake, not eight
    expectNear(path.evaluate(0.0f), Vector3(10, 0, 0));
    EXPECT_TRUE(path.pending.empty());

    // clear drops the frozen points only.
    path.addPoint(Vector3(1, 1, 1));
    path.clear();
    EXPECT_EQ(path.pointCount(), 0);
    EXPECT_EQ(path.pending.size(), 1u);

    SplinePath copy;
    copy.copyFrom(zigzag(6));
    EXPECT_EQ(copy.pointCount(), 6);
    EXPECT_EQ(copy.evaluate(0.3f), zigzag(6).evaluate(0.3f));
}

TEST(SplinePathResample, StraightLineComesOutEvenlySpaced)
{
    // The curve runs from x = 1 to x = 4.
    SplinePath line = lineAlongX(6);
    line.resample(6, 1000);
    ASSERT_EQ(line.pointCount(), 6);
    const float spacing = 3.0f / 6.0f;
    // The first point lies one spacing along, not at the start.
    EXPECT_NEAR(line.points[0].x, 1.0f + spacing, 0.01f);
    for (int i = 1; i < 6; ++i) {
        EXPECT_NEAR(line.points[i].x - line.points[i - 1].x, spacing, 0.01f) << "after point " << i - 1;
        EXPECT_EQ(line.points[i].y, 0.0f);
    }
    // The walk ends just past the last probe: the last point still belongs on the curve's end.
    expectNear(line.points[5], Vector3(4, 0, 0), 0.01f);

    SplinePath kept = zigzag(7);
    kept.resample(0, 1000);
    EXPECT_EQ(kept.pointCount(), 7);
}

TEST(SplinePathResample, ArgumentsWithoutMeaningLeaveThePathAlone)
{
    SplinePath path = zigzag(5);
    const std::vector<Vector3> before = path.points;
    path.resample(5, 0);  // would never advance along the curve
    path.resample(5, -10);
    path.resample(-1, 1000);
    EXPECT_EQ(path.points, before);

    SplinePath tooShort = lineAlongX(3);
    tooShort.resample(0, 1000);
    EXPECT_EQ(tooShort.pointCount(), 3);
    EXPECT_EQ(tooShort.points[2], Vector3(2, 0, 0));
}

} // namespace
