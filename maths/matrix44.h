// A 4x4 matrix of 16 floats in the element order glGetFloatv returns and glMultMatrixf takes.
// Pure arithmetic, no GL: the fish scene reads matrices from GL into it and hands them back.
#pragma once

class Matrix44 {
public:
    float m[16] = {}; // all zero by default

    Matrix44() = default;
    Matrix44(float m0, float m1, float m2, float m3, float m4, float m5, float m6, float m7, float m8, float m9,
             float m10, float m11, float m12, float m13, float m14, float m15);
    explicit Matrix44(const float (&elements)[16]);

    // Element (r, c) is m[4r + c].
    float at(int r, int c) const { return m[4 * r + c]; }

    // Element (r, c) of the result is element (c, r) of this one.
    Matrix44 transpose() const;
    Matrix44 operator*(float s) const;
    // Every element times 1 / s; an unchanged copy when s is 0 (nothing to divide by) or 1.
    Matrix44 operator/(float s) const;
    // The signed 3x3 minors divided by the determinant, each in its own position: the transpose
    // of the inverse. The zero matrix when the determinant is 0.
    Matrix44 cofactorInverse() const;
    // The signed 3x3 minor of element (r, c).
    float cofactor(int r, int c) const;

    bool operator==(const Matrix44& o) const;
};
