#include "toolkit/swaying_stem.h"

#include "maths/random.h"
#include "toolkit/current_fields.h"

#include <algorithm>
#include <cmath>

Vector3 SwayingStem::randomRoot()
{
    const float r = std::sqrt(randomUnit()) * 7.0f;
    const float a = randomUnit() * 6.283184f;
    return Vector3(r * std::cos(a), 0.0f, r * std::sin(a));
}

void SwayingStem::grow()
{
    bentPath.clear();
    restPath.clear();
    const int points = small ? 5 : 8;
    const float reach = small ? 0.1f : 0.2f;
    const float rise = small ? 2.0f : 5.0f;
    Vector3 p = base;
    for (int i = 0; i < points; ++i) {
        bentPath.addPoint(p);
        restPath.addPoint(p);
        Vector3 d = Vector3(randomDirection()) * reach;
        d.y = std::fabs(d.y) * rise; // always upwards
        p = p + d;
    }
    bentPath.bake();
    restPath.bake();
    curve.set(bentPath);
}

void SwayingStem::bend(float t, bool wilting, float wilt)
{
    const int n = std::min(restPath.pointCount(), bentPath.pointCount());
    const int half = n / 2;
    const float strength = small ? 0.3f : 0.6f;
    for (int i = 0; i < n; ++i) {
        const float w = i > half ? static_cast<float>(i - half) * 0.2f : 0.0f;
        const Vector3& q = restPath.points[static_cast<size_t>(i)];
        Vector3 p = q + swayOffset(q, t) * w * strength;
        if (wilting)
            p.y = std::max(p.y - wilt * static_cast<float>(i) / static_cast<float>(n), 0.0f);
        bentPath.points[static_cast<size_t>(i)] = p;
    }
    curve.set(bentPath);
}
