// The reduction of supersampled and motion-blurred frames: what comes out of one plain frame, of
// an N x N block, of several sub-frames, and why the average is taken in linear light.
#include "tools/capture/frame_reducer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

std::vector<uint8_t> filled(int width, int height, uint8_t r, uint8_t g, uint8_t b, uint8_t a)
{
    std::vector<uint8_t> rgba;
    for (int i = 0; i < width * height; ++i)
        rgba.insert(rgba.end(), {r, g, b, a});
    return rgba;
}

TEST(FrameReducer, OneSubFrameAtItsOwnSizeComesBackByteForByteInEitherAverage)
{
    // Every stored value in every channel, in one 256 x 1 picture.
    std::vector<uint8_t> picture;
    for (int v = 0; v < 256; ++v)
        picture.insert(picture.end(), {uint8_t(v), uint8_t(255 - v), uint8_t(v ^ 0x5a), uint8_t(v)});
    for (AverageIn averageIn : {AverageIn::LinearLight, AverageIn::StoredValues}) {
        FrameReducer reducer(256, 1, 1, averageIn);
        reducer.addRows(0, 1, picture.data());
        reducer.endSubFrame();
        std::vector<uint8_t> out;
        reducer.finish(out);
        EXPECT_EQ(out, picture) << averageInName(averageIn);
    }
}

TEST(FrameReducer, EachBlockBecomesOnePixelAndBandsMayComeInAnyOrder)
{
    // 4 x 2 written from 8 x 4: the left block half white and half black (by columns), the
    // right block all one grey; the two bands added bottom first.
    const int n = 2;
    std::vector<uint8_t> big(8 * 4 * 4, 0);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 8; ++x) {
            uint8_t* p = big.data() + (y * 8 + x) * 4;
            const uint8_t v = x < 2 ? (x == 0 ? 255 : 0) : 90;
            p[0] = p[1] = p[2] = v;
            p[3] = x == 0 ? 255 : 0;
        }
    for (AverageIn averageIn : {AverageIn::LinearLight, AverageIn::StoredValues}) {
        FrameReducer reducer(4, 2, n, averageIn);
        reducer.addRows(2, 2, big.data() + 2 * 8 * 4);
        reducer.addRows(0, 2, big.data());
        reducer.endSubFrame();
        std::vector<uint8_t> out;
        reducer.finish(out);
        ASSERT_EQ(out.size(), 4u * 2 * 4);
        // Half the light of white is stored as 188; half the stored value, 128.
        EXPECT_EQ(out[0], averageIn == AverageIn::LinearLight ? 188 : 128) << averageInName(averageIn);
        EXPECT_EQ(out[3], 128) << "alpha is coverage, averaged as it is";
        EXPECT_EQ(out[4], 90) << "a flat block keeps its value";
        EXPECT_EQ(out[(4 + 0) * 4], out[0]) << "the second row of blocks";
    }
}

TEST(FrameReducer, SubFramesWeighEquallyAndEachFrameStartsAfresh)
{
    FrameReducer reducer(2, 2, 1, AverageIn::StoredValues);
    for (uint8_t v : {10, 20, 60}) {
        const std::vector<uint8_t> sub = filled(2, 2, v, v, v, 255);
        reducer.addRows(0, 2, sub.data());
        reducer.endSubFrame();
    }
    EXPECT_EQ(reducer.subFramesAdded(), 3);
    std::vector<uint8_t> out;
    reducer.finish(out);
    EXPECT_EQ(out[0], 30);
    EXPECT_EQ(reducer.subFramesAdded(), 0);
    const std::vector<uint8_t> next = filled(2, 2, 7, 7, 7, 7);
    reducer.addRows(0, 2, next.data());
    reducer.endSubFrame();
    reducer.finish(out);
    EXPECT_EQ(out, next) << "nothing of the last frame is left in the sums";
}

// A bright line one written pixel wide slides across the pixels in steps of a quarter pixel,
// drawn four times larger. Averaged as light, the picture always holds the line's whole light;
// averaged as stored values, the line dims where it straddles two pixels and brightens where it
// fills one: it would shimmer as it moves. This is why linear light is the default.
TEST(FrameReducer, InLinearLightAMovingLineKeepsItsLight)
{
    const int n = 4, width = 8;
    auto lightOf = [&](AverageIn averageIn, int offset) {
        std::vector<uint8_t> big(width * n * n * 4, 0);
        for (int y = 0; y < n; ++y)
            for (int x = 3 * n + offset; x < 4 * n + offset; ++x)
                for (int c = 0; c < 3; ++c)
                    big[(y * width * n + x) * 4 + c] = 200;
        FrameReducer reducer(width, 1, n, averageIn);
        reducer.addRows(0, n, big.data());
        reducer.endSubFrame();
        std::vector<uint8_t> out;
        reducer.finish(out);
        double light = 0.0;
        for (int x = 0; x < width; ++x)
            light += FrameReducer::toLinear(out[x * 4]);
        return light;
    };
    const double whole = FrameReducer::toLinear(200);
    for (int offset = 0; offset < n; ++offset) {
        EXPECT_NEAR(lightOf(AverageIn::LinearLight, offset), whole, 0.01 * whole) << offset;
        if (offset > 0) {
            EXPECT_LT(lightOf(AverageIn::StoredValues, offset), 0.8 * whole) << offset;
        }
    }
}

TEST(FrameReducer, LightAndStoredValuesFollowSrgb)
{
    EXPECT_EQ(FrameReducer::toLinear(0), 0.0f);
    EXPECT_EQ(FrameReducer::toLinear(255), 1.0f);
    EXPECT_NEAR(FrameReducer::toLinear(10), 10.0 / 255.0 / 12.92, 1e-7) << "the straight part near black";
    EXPECT_NEAR(FrameReducer::toLinear(128), 0.2158605, 1e-6);
    EXPECT_EQ(FrameReducer::fromLinear(0.5f), 188);
    EXPECT_EQ(FrameReducer::fromLinear(-1.0f), 0);
    EXPECT_EQ(FrameReducer::fromLinear(2.0f), 255);
}

} // namespace
