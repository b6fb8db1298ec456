// The fish's shadow matrix needs the camera's inverse: cofactorInverse must give the transpose
// of the inverse in GL's element order, and nothing at all for a singular camera.
#include "maths/matrix44.h"

#include <gtest/gtest.h>

namespace {

Matrix44 product(const Matrix44& a, const Matrix44& b)
{
    Matrix44 out;
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a.at(r, k) * b.at(k, c);
            out.m[4 * r + c] = sum;
        }
    return out;
}

void expectIdentity(const Matrix44& m, float tolerance)
{
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_NEAR(m.at(r, c), r == c ? 1.0f : 0.0f, tolerance) << r << "," << c;
}

TEST(Matrix44, StartsZeroAndKeepsTheGivenOrder)
{
    EXPECT_EQ(Matrix44(), Matrix44(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0));
    const Matrix44 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ(m.at(1, 2), 7.0f);
    const Matrix44 t = m.transpose();
    EXPECT_EQ(t.at(2, 1), 7.0f);
    EXPECT_EQ(t.at(0, 3), 13.0f);
    EXPECT_EQ(t.transpose(), m);
}

TEST(Matrix44, ScaleAndDivideLeaveZeroAndOneDivisorsAlone)
{
    const Matrix44 m(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16);
    EXPECT_EQ((m * 2.0f).at(3, 3), 32.0f);
    EXPECT_EQ(m / 0.0f, m); // no division by zero, no infinities
    EXPECT_EQ(m / 1.0f, m);
    EXPECT_FLOAT_EQ((m / 4.0f).at(0, 1), 0.5f);
}

TEST(Matrix44, CofactorInverseOfAKnownMatrixIsTheTransposedInverse)
{
    // A diagonal-with-translation matrix whose inverse is known exactly.
    const Matrix44 m(2, 0, 0, 0, 0, 4, 0, 0, 0, 0, 8, 0, 3, 5, 7, 1);
    const Matrix44 inverse = m.cofactorInverse().transpose();
    const Matrix44 expected(0.5f, 0, 0, 0, 0, 0.25f, 0, 0, 0, 0, 0.125f, 0, -1.5f, -1.25f, -0.875f, 1);
    for (int i = 0; i < 16; ++i)
        EXPECT_FLOAT_EQ(inverse.m[i], expected.m[i]) << i;

    // A full matrix, as gluLookAt builds them: inverse times matrix is the identity both ways.
    const Matrix44 view(0.8f, 0.36f, -0.48f, 0, 0, 0.8f, 0.6f, 0, 0.6f, -0.48f, 0.64f, 0, -0.1f, 0.2f, -0.35f, 1);
    const Matrix44 viewInverse = view.cofactorInverse().transpose();
    expectIdentity(product(view, viewInverse), 1e-5f);
    expectIdentity(product(viewInverse, view), 1e-5f);
}

TEST(Matrix44, SingularMatrixGivesTheZeroMatrix)
{
    // The third row repeats the first: determinant 0.
    const Matrix44 m(1, 2, 3, 4, 0, 1, 0, 0, 1, 2, 3, 4, 0, 0, 0, 1);
    EXPECT_EQ(m.cofactorInverse(), Matrix44());
    EXPECT_EQ(Matrix44().cofactorInverse(), Matrix44());
}

} // namespace
