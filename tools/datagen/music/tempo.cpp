#include "tools/datagen/music/tempo.h"

#include <algorithm>
#include <cmath>

bool TempoMap::build(std::vector<TempoAnchor> points)
{
    anchors = std::move(points);
    slopes.clear();
    if (anchors.size() < 2)
        return false;
    const size_t n = anchors.size();
    std::vector<double> secant(n - 1);
    for (size_t i = 0; i + 1 < n; ++i) {
        double db = anchors[i + 1].beat - anchors[i].beat;
        double dm = anchors[i + 1].ms - anchors[i].ms;
        if (db <= 0 || dm <= 0)
            return false;
        secant[i] = dm / db;
    }
    // Fritsch-Carlson: harmonic means of neighbouring secants keep the curve monotone.
    slopes.assign(n, 0.0);
    slopes[0] = secant[0];
    slopes[n - 1] = secant[n - 2];
    for (size_t i = 1; i + 1 < n; ++i) {
        double a = secant[i - 1], b = secant[i];
        double wa = 2 * (anchors[i + 1].beat - anchors[i].beat) + (anchors[i].beat - anchors[i - 1].beat);
        double wb = (anchors[i + 1].beat - anchors[i].beat) + 2 * (anchors[i].beat - anchors[i - 1].beat);
        slopes[i] = (wa + wb) / (wa / a + wb / b);
    }
    return true;
}

double TempoMap::ms(double beat) const
{
    if (beat <= anchors.front().beat)
        return anchors.front().ms + (beat - anchors.front().beat) * slopes.front();
    if (beat >= anchors.back().beat)
        return anchors.back().ms + (beat - anchors.back().beat) * slopes.back();
    auto it = std::upper_bound(anchors.begin(), anchors.end(), beat,
                               [](double b, const TempoAnchor& a) { return b < a.beat; });
    size_t i = static_cast<size_t>(it - anchors.begin()) - 1;
    const TempoAnchor& p = anchors[i];
    const TempoAnchor& q = anchors[i + 1];
    double h = q.beat - p.beat;
    double s = (beat - p.beat) / h;
    double s2 = s * s, s3 = s2 * s;
    return (2 * s3 - 3 * s2 + 1) * p.ms + (s3 - 2 * s2 + s) * h * slopes[i] + (-2 * s3 + 3 * s2) * q.ms +
           (s3 - s2) * h * slopes[i + 1];
}

double TempoMap::beat(double time) const
{
    // ms() is increasing, so bisection converges; 60 halvings reach double precision.
    double lo = anchors.front().beat - 1.0, hi = anchors.back().beat + 1.0;
    while (ms(lo) > time)
        lo -= (hi - lo);
    while (ms(hi) < time)
        hi += (hi - lo);
    for (int i = 0; i < 60; ++i) {
        double mid = 0.5 * (lo + hi);
        (ms(mid) < time ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

double TempoMap::bpm(double b) const
{
    const double h = 1e-3;
    return 60000.0 / ((ms(b + h) - ms(b - h)) / (2 * h));
}
