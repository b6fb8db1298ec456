#include "maths/vector.h"

#include <algorithm>
#include <cmath>

namespace {
float clampComponent(float v, float lo, float hi) { return std::min(std::max(v, lo), hi); }

// Both vector types measure and normalise on x, y, z alone; Vector carries its w along.
template <typename V> float lengthOfXyz(const V& v) { return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

template <typename V> V normalizeXyz(V& v)
{
    const float len = lengthOfXyz(v);
    if (len > 0.0f) {
        v.x /= len;
        v.y /= len;
        v.z /= len;
    }
    return v;
}
} // namespace

float Vector3::length() const { return lengthOfXyz(*this); }

Vector3 Vector3::normalize() { return normalizeXyz(*this); }

Vector3 Vector3::crossProduct(const Vector3& o) const
{
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
}

Vector3 Vector3::clamp(const Vector3& lo, const Vector3& hi) const
{
    return {clampComponent(x, lo.x, hi.x), clampComponent(y, lo.y, hi.y), clampComponent(z, lo.z, hi.z)};
}

Vector3 Vector3::operator*(const Matrix& r) const
{
    return {x * r.m[0][0] + y * r.m[1][0] + z * r.m[2][0],
            x * r.m[0][1] + y * r.m[1][1] + z * r.m[2][1],
            x * r.m[0][2] + y * r.m[1][2] + z * r.m[2][2]};
}

float Vector::length() const { return lengthOfXyz(*this); }

Vector Vector::normalize() { return normalizeXyz(*this); }

Vector Vector::crossProduct(const Vector& o) const
{
    return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x, w};
}

Vector Vector::clamp(const Vector& lo, const Vector& hi) const
{
    return {clampComponent(x, lo.x, hi.x), clampComponent(y, lo.y, hi.y), clampComponent(z, lo.z, hi.z),
            clampComponent(w, lo.w, hi.w)};
}

Vector Vector::operator*(const Matrix& r) const
{
    const Vector3 v = Vector3(*this) * r;
    return {v.x, v.y, v.z, w};
}

Matrix Matrix::operator*(const Matrix& o) const
{
    Matrix out;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            out.m[i][j] = m[i][0] * o.m[0][j] + m[i][1] * o.m[1][j] + m[i][2] * o.m[2][j];
    return out;
}

Matrix Matrix::makeRotation(float ax, float ay, float az)
{
    const float cx = std::cos(ax), sx = std::sin(ax);
    const float cy = std::cos(ay), sy = std::sin(ay);
    const float cz = std::cos(az), sz = std::sin(az);
    Matrix rx, ry, rz;
    // Row-vector forms of the right-handed rotations.
    rx.m[1][1] = cx; rx.m[1][2] = sx; rx.m[2][1] = -sx; rx.m[2][2] = cx;
    ry.m[0][0] = cy; ry.m[0][2] = -sy; ry.m[2][0] = sy; ry.m[2][2] = cy;
    rz.m[0][0] = cz; rz.m[0][1] = sz; rz.m[1][0] = -sz; rz.m[1][1] = cz;
    return rx * ry * rz;
}
