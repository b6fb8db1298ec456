// Supersampled and motion-blurred frames reduced to the picture that is written: every N x N
// block of a sub-frame drawn N times larger each way, over every sub-frame of the frame, averaged
// with equal weights (a box in space and in time) into one pixel, in floating point, and rounded
// to 8 bits once at the end.
//
// In linear light (the default) the stored sRGB values are decoded to light before they are
// averaged and encoded after, so that a pixel half covered by a line gives half the line's light,
// and a point keeps its brightness as it moves across pixel boundaries. The stored values can be
// averaged as they are instead, as the show's own blending does.
#pragma once

#include "tools/capture/options.h"

#include <cstdint>
#include <vector>

class FrameReducer {
public:
    // Pictures of width x height written, from sub-frames `supersample` times larger each way (the
    // runtime's dmsSupersampling(), at least 1).
    FrameReducer(int width, int height, int supersample, AverageIn averageIn);

    // Rows of the sub-frame drawn at supersampled size, RGBA, top row first: `rows` of them from
    // row `top` (both multiples of the supersampling; bands may come in any order).
    void addRows(int top, int rows, const uint8_t* rgba);
    // The sub-frame whose rows were added is complete.
    void endSubFrame() { ++subFrames; }
    // The average of the sub-frames since the last call, as RGBA of width x height, top row first;
    // starts the next frame. With no complete sub-frame the picture is black.
    void finish(std::vector<uint8_t>& rgba);

    int subFramesAdded() const { return subFrames; }
    // Rows of the sub-frame worth reading at once: a few megabytes, a multiple of the supersampling.
    int bandRows() const;

    // The light of a stored sRGB value (0..1), and the stored value nearest to an amount of light.
    static float toLinear(uint8_t stored);
    static uint8_t fromLinear(float light);

private:
    int width, height, supersample;
    AverageIn averageIn;
    int subFrames = 0;
    std::vector<float> sums; // RGBA per written pixel, summed over the block and sub-frames
    float decode[256];       // stored value -> what is summed
};
