#include "toolkit/spline_path.h"

#include <algorithm>
#include <cmath>

void SplinePath::addPoint(const Vector3& p) { pending.push_back(p); }

void SplinePath::bake()
{
    points = pending;
    pending.clear();
}

void SplinePath::clear() { points.clear(); }

void SplinePath::copyFrom(const SplinePath& other)
{
    if (&other != this)
        points = other.points;
}

namespace {

// Where t falls: the segment j and the fraction u along it; false for t outside [0, 1], for NaN,
// and without a curve (fewer than three points).
bool locate(float t, int n, int& j, float& u)
{
    if (n < 3 || !(t >= 0.0f && t <= 1.0f))
        return false;
    const float h = t * static_cast<float>(n - 3);
    // h is never negative here, so truncating is flooring.
    j = static_cast<int>(h);
    u = h - static_cast<float>(j);
    return true;
}

// Three points make no segment, but the formula still has an answer: h is always 0, so the
// missing fourth point carries weight 0 and the result is the second point. At the very end
// (j = n - 3, u = 0) the outer neighbour beyond the last point carries weight 0; reading the last
// point instead keeps the result and stays inside the array.
SplineCurve::Segment segmentAt(const std::vector<Vector3>& points, int j)
{
    const int n = static_cast<int>(points.size());
    const Vector3& p0 = points[j];
    const Vector3& p1 = points[j + 1];
    const Vector3& p2 = points[j + 2];
    const Vector3& p3 = points[j + 3 < n ? j + 3 : n - 1];
    return {p1 * 2.0f, p2 - p0, p0 * 2.0f - p1 * 5.0f + p2 * 4.0f - p3, p1 * 3.0f - p0 - p2 * 3.0f + p3};
}

Vector3 pointOn(const SplineCurve::Segment& s, float u)
{
    const float u2 = u * u;
    const float u3 = u2 * u;
    return (s.a + s.b * u + s.c * u2 + s.d * u3) * 0.5f;
}

} // namespace

Vector3 SplinePath::evaluate(float t) const
{
    int j = 0;
    float u = 0.0f;
    if (!locate(t, pointCount(), j, u))
        return Vector3();
    return pointOn(segmentAt(points, j), u);
}

void SplineCurve::set(const SplinePath& path)
{
    segments.clear();
    for (int j = 0; j + 2 < path.pointCount(); ++j)
        segments.push_back(segmentAt(path.points, j));
}

Vector3 SplineCurve::evaluate(float t) const
{
    int j = 0;
    float u = 0.0f;
    if (!locate(t, static_cast<int>(segments.size()) + 2, j, u))
        return Vector3();
    return pointOn(segments[static_cast<size_t>(j)], u);
}

Vector3 SplinePath::direction(float) const { return Vector3(); }

void SplinePath::resample(int count, int samplesPerUnit)
{
    // Finer than this the float parameter could no longer advance by a step near t = 1.
    constexpr int finestSampling = 1000000;
    if (pointCount() < 4 || count < 0 || samplesPerUnit <= 0 || samplesPerUnit > finestSampling)
        return;
    const float step = 1.0f / static_cast<float>(samplesPerUnit);

    // The stretch between the last probe below 1 and 1 itself is left out, as the spacing
    // walk below measures the same probes.
    float length = 0.0f;
    Vector3 prev = evaluate(0.0f);
    for (float t = 0.0f; t < 1.0f; t += step) {
        const Vector3 cur = evaluate(t);
        length += (cur - prev).length();
        prev = cur;
    }

    if (count == 0)
        count = pointCount();
    const float spacing = length / static_cast<float>(count);

    std::vector<Vector3> spaced;
    spaced.reserve(static_cast<size_t>(count));
    float t = 0.0f;
    float carried = 0.0f;
    prev = evaluate(0.0f);
    for (int i = 0; i < count; ++i) {
        while (carried < spacing) {
            const bool pastEnd = t >= 1.0f;
            const Vector3 cur = evaluate(std::min(t, 1.0f));
            carried += (cur - prev).length();
            prev = cur;
            t += step;
            // Nothing lies beyond the end: stop there even if rounding left the walk short.
            if (pastEnd)
                break;
        }
        // The last point lands one step past the final probe, which is usually just beyond
        // t = 1; it belongs on the curve's end, not at the origin.
        spaced.push_back(evaluate(std::min(t, 1.0f)));
        carried -= spacing;
    }
    points = std::move(spaced);
}
