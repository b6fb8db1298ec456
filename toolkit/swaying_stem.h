// A stem rooted on the sea floor that sways in the current field above its lower half: the
// forest's fronds and the last scene's stalks are both grown and swayed this way.
#pragma once

#include "runtime/dms.h"
#include "toolkit/spline_path.h"

struct SwayingStem {
    bool small = false;  // five points instead of eight, shorter and thinner
    Vector3 base;        // root on the floor
    SplinePath bentPath; // the swaying curve
    SplinePath restPath; // its rest shape
    SplineCurve curve;   // bentPath's curve, set after each change

    // A root spread evenly over a disc of radius 7 on the floor: two draws.
    static Vector3 randomRoot();
    // Grows both paths upwards from base, one random direction per point, and sets the curve.
    void grow();
    // Bends the upper half by the current field at relative time t (the lower half stands still).
    void sway(float t) { bend(t, false, 0.0f); }
    // The same, and point i of n sinks by wilt * i / n, never below the floor.
    void swayWilting(float t, float wilt) { bend(t, true, wilt); }

private:
    void bend(float t, bool wilting, float wilt);
};
