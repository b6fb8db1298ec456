// The ripple field without GL: how one drop spreads and dies down, drops at the edges and
// corners, the sizes that have no inner cells, and the pixels of both maps.
#include "toolkit/water_ripple.h"

#include "maths/random.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

WaterRipple field(uint32_t n)
{
    WaterRipple ripple;
    EXPECT_TRUE(ripple.resize(n));
    return ripple;
}

void dropAt(WaterRipple& r, uint32_t row, uint32_t col) { r.previousHeights[row * r.size + col] = 255; }

long long energy(const WaterRipple& r)
{
    long long sum = 0;
    for (int32_t h : r.heights)
        sum += std::llabs(h);
    for (int32_t h : r.previousHeights)
        sum += std::llabs(h);
    return sum;
}

TEST(WaterRippleSpread, ADropSinksThenRingsOutToItsNeighbours)
{
    WaterRipple r = field(16);
    dropAt(r, 6, 7);
    r.step();
    // -255, then damped by -255 >> 12 = -1: -254. The neighbours wait for the next step.
    EXPECT_EQ(r.heightAt(6, 7), -254);
    for (int dr = -1; dr <= 1; ++dr)
        for (int dc = -1; dc <= 1; ++dc)
            if (dr || dc) {
                EXPECT_EQ(r.heightAt(6 + dr, 7 + dc), 0);
            }
    EXPECT_EQ(r.previousAt(6, 7), 0) << "the states changed places";

    r.step();
    // Straight neighbours: 0.9 * -254 * 0.5 = -114.3 -> -114 -> -113; diagonals -12.7 -> -12 -> -11.
    EXPECT_EQ(r.heightAt(5, 7), -113);
    EXPECT_EQ(r.heightAt(7, 7), -113);
    EXPECT_EQ(r.heightAt(6, 6), -113);
    EXPECT_EQ(r.heightAt(6, 8), -113);
    EXPECT_EQ(r.heightAt(5, 6), -11);
    EXPECT_EQ(r.heightAt(7, 8), -11);
    EXPECT_EQ(r.heightAt(4, 7), 0) << "one ring per step";

    // The ring keeps its symmetry as it spreads.
    for (int i = 0; i < 3; ++i)
        r.step();
    EXPECT_NE(r.heightAt(6, 10), 0);
    EXPECT_EQ(r.heightAt(6, 10), r.heightAt(6, 4));
    EXPECT_EQ(r.heightAt(3, 7), r.heightAt(9, 7));
    EXPECT_EQ(r.heightAt(6, 12), 0);
}

TEST(WaterRippleSpread, WithoutNewDropsTheSurfaceComesToRest)
{
    WaterRipple r = field(64);
    dropAt(r, 30, 30);
    dropAt(r, 10, 50);
    auto moving = [&] { return std::count_if(r.heights.begin(), r.heights.end(), [](int32_t h) { return h != 0; }); };
    r.step();
    const auto first = moving();
    for (int i = 0; i < 10; ++i)
        r.step();
    EXPECT_GT(moving(), first * 20) << "the rings spread";
    EXPECT_GT(energy(r), 0);
    for (int i = 0; i < 1000; ++i)
        r.step();
    EXPECT_EQ(energy(r), 0) << "damping and truncation towards zero calm it completely";
}

TEST(WaterRippleEdges, DropsOnTheOuterRowsAndColumnsStayPutAndNothingIsTouchedOutside)
{
    const uint32_t n = 12;
    WaterRipple r = field(n);
    // Corners and edges: row and column 0 are read but never written, the last two are never
    // updated; a drop there only moves between the two states at each exchange.
    const uint32_t spots[][2] = {{0, 0}, {0, n - 1}, {n - 1, 0}, {n - 1, n - 1}, {n - 2, 5}, {5, n - 2}, {0, 5}};
    for (const auto& s : spots)
        dropAt(r, s[0], s[1]);
    r.step();
    for (const auto& s : spots) {
        EXPECT_EQ(r.heightAt(s[0], s[1]), 255) << s[0] << "," << s[1];
        EXPECT_EQ(r.previousAt(s[0], s[1]), 0);
    }
    r.step();
    for (const auto& s : spots)
        EXPECT_EQ(r.previousAt(s[0], s[1]), 255) << s[0] << "," << s[1];
    // The inner cells beside them have felt them.
    EXPECT_NE(r.heightAt(1, 1), 0);
    EXPECT_NE(r.heightAt(n - 3, 5), 0);
    EXPECT_EQ(r.heights.size(), static_cast<size_t>(n * n));
}

TEST(WaterRippleEdges, RandomDropsDrawTheRowFirstAndLandAnywhereInside)
{
    WaterRipple r = field(256);
    seedRandom(1);
    r.dropRandom(); // draws 41 then 18467
    EXPECT_EQ(r.previousAt(41, 18467 % 256), 255);

    // Every cell of a small field is hit, the last row and column included, and none outside.
    WaterRipple small = field(5);
    std::vector<int> hits(25, 0);
    seedRandom(77);
    for (int i = 0; i < 2000; ++i) {
        std::fill(small.previousHeights.begin(), small.previousHeights.end(), 0);
        small.dropRandom();
        for (size_t c = 0; c < 25; ++c)
            hits[c] += small.previousHeights[c] == 255;
    }
    for (size_t c = 0; c < 25; ++c)
        EXPECT_GT(hits[c], 20) << "cell " << c;
    EXPECT_EQ(small.previousHeights.size(), 25u);
}

TEST(WaterRippleSize, SizesWithoutInnerCellsAreRefusedAndDrawNothing)
{
    for (uint32_t n : {0u, 1u, 2u, 3u, WaterRipple::maxSize + 1}) {
        WaterRipple r;
        EXPECT_FALSE(r.resize(n)) << n;
        EXPECT_EQ(r.size, 0u);
        EXPECT_TRUE(r.heights.empty());
        seedRandom(9);
        r.dropRandom();
        r.step();
        r.buildNormalMap();
        r.buildDisplacement();
        const int after = nextRandom();
        seedRandom(9);
        EXPECT_EQ(after, nextRandom()) << "no draw while the field is empty";
    }
    // Four is the smallest with an inner cell: (1, 1), which a drop there turns over.
    WaterRipple four = field(4);
    dropAt(four, 1, 1);
    four.step();
    EXPECT_EQ(four.heightAt(1, 1), -254);
    EXPECT_EQ(four.heightAt(2, 2), 0);
}

TEST(WaterRippleMaps, FlatWaterIsStraightUpInsideAndEmptyOnTheBorder)
{
    const uint32_t n = 8;
    WaterRipple r = field(n);
    r.buildNormalMap();
    auto pixel = [&](const std::vector<uint8_t>& px, uint32_t row, uint32_t col) { return &px[(row * n + col) * 4]; };
    for (uint32_t row = 0; row < n; ++row)
        for (uint32_t col = 0; col < n; ++col) {
            const uint8_t* p = pixel(r.normalPixels, row, col);
            const bool inner = row >= 1 && row <= n - 3 && col >= 1 && col <= n - 3;
            EXPECT_EQ(p[0], inner ? 128 : 0);
            EXPECT_EQ(p[1], inner ? 128 : 0);
            EXPECT_EQ(p[2], inner ? 255 : 0);
            EXPECT_EQ(p[3], inner ? 255 : 0);
        }

    // A crest tilts the normals away from it: red (rows) below 128 above it and over 128 below,
    // green likewise across the columns.
    dropAt(r, 4, 3);
    r.buildNormalMap();
    EXPECT_LT(pixel(r.normalPixels, 3, 3)[0], 128);
    EXPECT_GT(pixel(r.normalPixels, 5, 3)[0], 128);
    EXPECT_NEAR(pixel(r.normalPixels, 3, 3)[0] + pixel(r.normalPixels, 5, 3)[0], 256, 1);
    EXPECT_LT(pixel(r.normalPixels, 4, 2)[1], 128);
    EXPECT_GT(pixel(r.normalPixels, 4, 4)[1], 128);
    EXPECT_LT(pixel(r.normalPixels, 3, 3)[2], 255);

    // Displacement: low bytes, differences modulo 256.
    r.previousHeights[(4 * n) + 4] = -254; // low byte 2
    r.buildDisplacement();
    EXPECT_EQ(pixel(r.displacementPixels, 4, 3)[2], 255);
    EXPECT_EQ(pixel(r.displacementPixels, 3, 3)[0], static_cast<uint8_t>(0 - 255));
    EXPECT_EQ(pixel(r.displacementPixels, 4, 3)[1], static_cast<uint8_t>(0 - 2));
    EXPECT_EQ(pixel(r.displacementPixels, 4, 4)[2], 2);
    EXPECT_EQ(pixel(r.displacementPixels, 0, 0)[3], 0);
}

TEST(WaterRippleFrame, ThreeDropsPerStepAndTheCappedBurstFirst)
{
    WaterRipple r = field(64);
    StepTimer timer(50, 5);
    seedRandom(3);
    dmsSetPositionForTest(346000);
    EXPECT_EQ(r.advance(timer), 4) << "the first frame runs the capped burst";
    EXPECT_EQ(r.advance(timer), 0) << "50 ms in hand is not more than a step";
    dmsSetPositionForTest(346001);
    EXPECT_EQ(r.advance(timer), 1);
    // Five steps of three drops: thirty draws.
    const int next = nextRandom();
    seedRandom(3);
    for (int i = 0; i < 30; ++i)
        nextRandom();
    EXPECT_EQ(next, nextRandom());
}

} // namespace
