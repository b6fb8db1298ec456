#include "maths/matrix44.h"

Matrix44::Matrix44(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8,
                   float m9, float m10, float m11, float m12, float m13, float m14, float m15)
    : m{m0, m1, m2, m3, m4, m5, m6, m7, m8, m9, m10, m11, m12, m13, m14, m15}
{
}

Matrix44::Matrix44(const float (&elements)[16])
{
    for (int i = 0; i < 16; ++i)
        m[i] = elements[i];
}

Matrix44 Matrix44::transpose() const
{
    Matrix44 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            out.m[4 * r + c] = m[4 * c + r];
    return out;
}

Matrix44 Matrix44::operator*(float s) const
{
    Matrix44 out;
    for (int i = 0; i < 16; ++i)
        out.m[i] = m[i] * s;
    return out;
}

Matrix44 Matrix44::operator/(float s) const
{
    if (s == 0.0f || s == 1.0f)
        return *this;
    return *this * (1.0f / s);
}

float Matrix44::cofactor(int r, int c) const
{
    // The 3x3 minor left after striking row r and column c.
    int rows[3], cols[3];
    for (int i = 0, k = 0; i < 4; ++i)
        if (i != r)
            rows[k++] = i;
    for (int i = 0, k = 0; i < 4; ++i)
        if (i != c)
            cols[k++] = i;
    const auto e = [&](int i, int j) { return at(rows[i], cols[j]); };
    const float minor = e(0, 0) * (e(1, 1) * e(2, 2) - e(1, 2) * e(2, 1)) -
                        e(0, 1) * (e(1, 0) * e(2, 2) - e(1, 2) * e(2, 0)) +
                        e(0, 2) * (e(1, 0) * e(2, 1) - e(1, 1) * e(2, 0));
    return (r + c) % 2 == 0 ? minor : -minor;
}

Matrix44 Matrix44::cofactorInverse() const
{
    Matrix44 cof;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            cof.m[4 * r + c] = cofactor(r, c);
    const float d = at(0, 0) * cof.m[0] + at(0, 1) * cof.m[1] + at(0, 2) * cof.m[2] + at(0, 3) * cof.m[3];
    if (d == 0.0f)
        return Matrix44();
    for (float& v : cof.m)
        v /= d;
    return cof;
}

bool Matrix44::operator==(const Matrix44& o) const
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != o.m[i])
            return false;
    return true;
}
