#include "toolkit/current_fields.h"

#include <cmath>

// The fields are evaluated in double precision (only field 3 rounds its clock to a float first);
// the bubble and tentacle layouts follow these values to the last bit.

namespace {

Vector3 drift(double x, double y, double z)
{
    return Vector3(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

Vector3 field0(double x, double y, double z, double phase)
{
    const double c = 0.1 * phase;
    return drift(0.3 * std::sin(2.4 * y + 1.5 * x + 4 * c), -0.2 * 0.5 * (std::sin(1.2 * y + 5.4 * c + 1.8 * z) + 1),
                 std::sin(0.6 * x + 5 * c + 2.1 * z));
}

Vector3 field1(double x, double y, double z, double phase)
{
    const double c = 0.1 * phase;
    const double a = 6 * 0.3 * x;
    return drift(0.6 * std::sin(a + 9 * c + 0.9 * y), -0.3 * 0.5 * (std::sin(3.4 * c + 2.1 * z + 1.8 * y) + 1),
                 0.4 * std::sin(3 * c + a + 1.5 * z));
}

Vector3 field2(double x, double y, double z, double phase)
{
    const double c = 0.15 * phase;
    const double a = 6 * 0.35 * x;
    return drift(0.2 * std::sin(a + 9 * c + 1.05 * y), -0.15 * 0.5 * (std::sin(3.4 * c + 2.45 * z + 2.1 * y) + 1),
                 0.8 * std::sin(3 * c + a + 1.75 * z));
}

Vector3 field3(double x, double y, double z, double phase)
{
    const double c = static_cast<float>(0.13 * phase);
    const double d = 7 * 0.4 * z;
    return drift(0.3 * std::sin(2 * (y + x) + 3 * c), -0.6 * 0.5 * (std::sin(d + 2.4 * y + 3.4 * c) + 1),
                 0.5 * std::sin(1.6 * x + 6 * c + d));
}

} // namespace

Vector3 currentField(int kind, const Vector3& p, float phase)
{
    switch (kind) {
    case 0: return field0(p.x, p.y, p.z, phase);
    case 1: return field1(p.x, p.y, p.z, phase);
    case 2: return field2(p.x, p.y, p.z, phase);
    case 3: return field3(p.x, p.y, p.z, phase);
    default: return Vector3();
    }
}

Vector3 swayOffset(const Vector3& p, float t)
{
    const double s = 12.0 * t;
    const double x = p.x, y = p.y, z = p.z;
    return drift(0.3 * std::sin(18.4 * y + 11.5 * x + 4 * s), -0.2 * 0.5 * (std::sin(9.2 * y + 5.4 * s + 13.8 * z) + 1),
                 std::sin(4.6 * x + 5 * s + 16.1 * z));
}
