#include "toolkit/random.h"

#include <GL/gl.h>

#include <cmath>

namespace {
// Process-wide; 1 at program start.
uint32_t randomState = 1;
} // namespace

void seedRandom(uint32_t seed) { randomState = seed; }

int nextRandom()
{
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

float randomUnit() { return static_cast<float>(nextRandom() % 10000) * 0.0001f; }

float randomRange(float lo, float hi) { return lo + randomUnit() * (hi - lo); }

float randomTo(float max)
{
    if (max <= 0.0f)
        return 0.0f;
    return max * randomUnit();
}

Vector randomCenteredVector() { return randomScaledVector(1.0f, 1.0f, 1.0f); }

Vector randomScaledVector(float sx, float sy, float sz)
{
    const float r1 = randomUnit();
    const float r2 = randomUnit();
    const float r3 = randomUnit();
    return Vector((r3 - 0.5f) * sx, (r2 - 0.5f) * sy, (r1 - 0.5f) * sz);
}

Vector randomDirection()
{
    const float r1 = randomUnit();
    const float r2 = randomUnit();
    return sphericalToVector(1.0f, r2 * 6.283184f, r1 * 3.141592f);
}

Vector sphericalToVector(float radius, float a, float b)
{
    return Vector(radius * std::sin(a) * std::cos(b), radius * std::sin(a) * std::sin(b), radius * std::cos(a));
}

void getCameraAxes(Vector3& right, Vector3& up, Vector3& back)
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Column-major: the rows of the rotation part are the eye's axes.
    right = Vector3(m[0], m[4], m[8]);
    up = Vector3(m[1], m[5], m[9]);
    back = Vector3(m[2], m[6], m[10]);
}

float clamp(float v, float lo, float hi)
{
    if (!(v >= lo))
        return lo;
    if (v > hi)
        return hi;
    return v;
}

float rampLinear(float t, float start, float end)
{
    if (t <= start)
        return 0.0f;
    if (t >= end)
        return 1.0f;
    return (t - start) / (end - start);
}

float rampEaseIn(float t, float start, float end)
{
    if (t <= start)
        return 0.0f;
    if (t >= end)
        return 1.0f;
    const float e = 1.0f - std::cos(rampLinear(t, start, end) * 1.5707963f);
    return e < 0.001f ? 0.0f : e;
}

float sinePulse(float t, float start, float end, float amplitude)
{
    if (t <= start || t >= end)
        return 0.0f;
    const float v = std::sin((t - start) / (end - start) * 3.141592f) * amplitude;
    if (v < 0.0f)
        return 0.0f;
    if (v > 1.0f)
        return 1.0f;
    return v;
}

float sceneFade(float t, float riseEnd, float riseSlope, float fallStart, float fallSlope)
{
    float alpha = 1.0f;
    if (t >= 0.0f && t <= riseEnd)
        alpha = t * riseSlope;
    if (t >= fallStart && t <= 1.0f)
        alpha *= 1.0f - (t - fallStart) * fallSlope;
    return alpha;
}
