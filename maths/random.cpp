#include "maths/random.h"

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
