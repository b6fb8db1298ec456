#include "toolkit/ground_grid.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(GroundGrid, TwoByTwoIsTheFourCornersWithRepeatedTexture)
{
    const GroundGrid g(2, 2, 15.0f, 4.0f, -0.5f);
    ASSERT_EQ(g.getVertices().size(), 4u);
    EXPECT_EQ(g.getVertices()[0], Vector3(-15, -0.5f, -15));
    EXPECT_EQ(g.getVertices()[1], Vector3(15, -0.5f, -15)); // columns run along x
    EXPECT_EQ(g.getVertices()[2], Vector3(-15, -0.5f, 15)); // rows along z
    EXPECT_EQ(g.getVertices()[3], Vector3(15, -0.5f, 15));
    const float expected[4][2] = {{0, 0}, {4, 0}, {0, 4}, {4, 4}};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(g.getTexCoords()[k].s, expected[k][0]) << k;
        EXPECT_EQ(g.getTexCoords()[k].t, expected[k][1]) << k;
    }
    EXPECT_FALSE(g.shaded);
    EXPECT_TRUE(g.getShade().empty());
}

TEST(GroundGrid, ShadeFallsFromTheCentreToTheRadius)
{
    GroundGrid linear(51, 51, 15.0f, 4.0f, 0.0f);
    linear.computeShade(1.0f, 1.0f);
    EXPECT_TRUE(linear.shaded);
    const std::vector<float>& s = linear.getShade();
    EXPECT_FLOAT_EQ(s[25 * 51 + 25], 1.0f);  // centre
    EXPECT_FLOAT_EQ(s[0], 0.0f);              // corner, beyond the radius
    EXPECT_FLOAT_EQ(s[25 * 51 + 50], 0.0f);   // edge midpoint, exactly on the radius
    EXPECT_NEAR(s[25 * 51 + 38], 1.0f - 7.8f / 15.0f, 1e-5f);

    // The exponent shapes the fall, the radius factor moves its end (the fish floor's 0.35).
    GroundGrid shaped(51, 51, 15.0f, 4.0f, 0.0f);
    shaped.computeShade(2.0f, 0.35f);
    const float r = 0.35f * 15.0f;
    EXPECT_NEAR(shaped.getShade()[25 * 51 + 30], std::pow(1.0f - 3.0f / r, 2.0f), 1e-5f);
    EXPECT_FLOAT_EQ(shaped.getShade()[25 * 51 + 38], 0.0f);
}

TEST(GroundGrid, ShadeMeasuresTheHeightToo)
{
    GroundGrid raised(3, 3, 1.0f, 1.0f, 0.5f);
    raised.computeShade(1.0f, 1.0f);
    EXPECT_FLOAT_EQ(raised.getShade()[4], 0.5f); // the centre vertex is 0.5 above the origin
}

TEST(GroundGrid, DegenerateSizesGiveNoNaNAndNoVertices)
{
    const GroundGrid line(4, 1, 2.0f, 3.0f, 0.0f); // one row: nothing to draw, but no NaN
    ASSERT_EQ(line.getVertices().size(), 4u);
    for (const Vector3& v : line.getVertices())
        EXPECT_FALSE(std::isnan(v.x) || std::isnan(v.z));
    EXPECT_EQ(line.getTexCoords()[3].t, 0.0f);

    GroundGrid none(-3, 5, 2.0f, 3.0f, 0.0f);
    none.computeShade(1.0f, 1.0f);
    EXPECT_TRUE(none.getVertices().empty());
    EXPECT_TRUE(none.getShade().empty());
}

} // namespace
