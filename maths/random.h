// The one random generator every layout comes from, and the random scalars and vectors drawn
// from it.
//
// Layouts are repeatable only if every draw happens in the order documented here: each
// randomUnit is exactly one nextRandom, and the vector helpers fill z first, then y, then x.
#pragma once

#include "maths/vector.h"

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
