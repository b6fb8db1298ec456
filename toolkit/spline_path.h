// A smooth route through a list of points: a uniform Catmull-Rom spline evaluated by t in [0, 1].
// Points are added to a pending list and take effect at bake(); the curve reads only the frozen
// points. t = 0 lies on the second point and t = 1 on the next to last: the first and last
// points only steer the ends.
#pragma once

#include "runtime/dms.h"

#include <vector>

class SplinePath {
public:
    std::vector<Vector3> points;  // frozen; what the curve reads
    std::vector<Vector3> pending; // added since the last bake, in order

    void addPoint(const Vector3& p);
    // The frozen points become the pending ones (replacing, not appending); pending empties.
    void bake();
    // Drops the frozen points; pending ones stay.
    void clear();
    // The frozen points become a copy of other's.
    void copyFrom(const SplinePath& other);

    int pointCount() const { return static_cast<int>(points.size()); }

    // The curve at t; (0, 0, 0) for t outside [0, 1], for NaN, and for paths of fewer than three
    // points. A path of three points has no segment: it stays on its second point.
    Vector3 evaluate(float t) const;
    // Always (0, 0, 0); asked for beside evaluate by the spray scene.
    Vector3 direction(float t) const;
    // Replaces the frozen points by count points spaced evenly along the curve (count 0 keeps
    // the number of points), measured with samplesPerUnit probes per unit of t. The first point
    // lies one spacing along the curve, the last on its end. Paths without a curve, a negative
    // count and samplesPerUnit outside 1..1000000 leave the path as it is.
    void resample(int count, int samplesPerUnit);
};

// A path's curve with each segment's polynomial worked out once, for curves evaluated many times
// between changes of their points: evaluate gives exactly SplinePath::evaluate's result, by the
// same float operations in the same order. Set it again whenever the path's points change.
class SplineCurve {
public:
    void set(const SplinePath& path);
    Vector3 evaluate(float t) const;

    // The polynomial of the segment from p1 to p2, steered by p0 and p3.
    struct Segment {
        Vector3 a, b, c, d;
    };

private:
    std::vector<Segment> segments; // segments[j] starts on point j + 1; one more than the spans
};
