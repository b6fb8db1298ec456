#include "maths/ramps.h"

#include <cmath>

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
