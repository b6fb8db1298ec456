// The one random generator every layout comes from, and the small math helpers the scenes share:
// random scalars and vectors, spherical directions, camera axes for billboards, and the clamps
// and ramps that turn time into fade and easing factors.
//
// Layouts are repeatable only if every draw happens in the order documented here: each
// randomUnit is exactly one nextRandom, and the vector helpers fill z first, then y, then x.
#pragma once

#include "runtime/dms.h"

#include <cstdint>

// The generator's state becomes seed.
void seedRandom(uint32_t seed);
// Advances the generator; 0..32767.
int nextRandom();

// 0 to 0.9999 in steps of 0.0001: one draw.
float randomUnit();
// lo + r * (hi - lo): one draw; lo and hi may come in either order.
float randomRange(float lo, float hi);
// max * r, or 0 without drawing when max <= 0.
float randomTo(float max);

// Each component in [-0.5, 0.5), drawn z, y, x.
Vector randomCenteredVector();
// randomCenteredVector scaled per axis, drawn z, y, x.
Vector randomScaledVector(float sx, float sy, float sz);
// A unit vector; the polar angle is drawn second, the azimuth first. Not uniform on the sphere.
Vector randomDirection();

// (radius sin a cos b, radius sin a sin b, radius cos a).
Vector sphericalToVector(float radius, float a, float b);
// The eye's x, y and z axes in object space, read from the current GL modelview matrix.
void getCameraAxes(Vector3& right, Vector3& up, Vector3& back);

// lo when v is below lo or not a number, hi when above hi, else v.
float clamp(float v, float lo, float hi);
// 0 up to start, 1 from end on, linear between.
float rampLinear(float t, float start, float end);
// Quarter-cosine ease from 0 to 1 across [start, end]; values below 0.001 snap to 0.
float rampEaseIn(float t, float start, float end);
// Half a sine across the open window (start, end), times amplitude, clamped to [0, 1].
float sinePulse(float t, float start, float end, float amplitude);
// A scene's fade by its relative time t: t * riseSlope up to riseEnd, 1 in the middle, and from
// fallStart to 1 times (1 - (t - fallStart) * fallSlope). Each scene gives its own four numbers.
float sceneFade(float t, float riseEnd, float riseSlope, float fallStart, float fallSlope);
