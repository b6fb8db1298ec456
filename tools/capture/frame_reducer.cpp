#include "tools/capture/frame_reducer.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

// sRGB's transfer function, both ways, in double precision.
double decodeSrgb(double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); }
double encodeSrgb(double l) { return l <= 0.0031308 ? l * 12.92 : 1.055 * std::pow(l, 1.0 / 2.4) - 0.055; }

// Light to stored value through a table 65536 steps fine: a step moves the stored value by at
// most 0.025 of a level (at the dark end, where sRGB is steepest), so every stored value comes
// back from its own light exactly.
constexpr int encodeSteps = 65536;

const std::array<uint8_t, encodeSteps + 1>& encodeTable()
{
    static const std::array<uint8_t, encodeSteps + 1> table = [] {
        std::array<uint8_t, encodeSteps + 1> t{};
        for (int i = 0; i <= encodeSteps; ++i)
            t[static_cast<size_t>(i)] =
                static_cast<uint8_t>(std::lround(encodeSrgb(static_cast<double>(i) / encodeSteps) * 255.0));
        return t;
    }();
    return table;
}

uint8_t roundedLevel(float value) { return static_cast<uint8_t>(std::clamp(value + 0.5f, 0.0f, 255.0f)); }

uint8_t encoded(const std::array<uint8_t, encodeSteps + 1>& table, float light)
{
    return table[static_cast<size_t>(std::clamp(light, 0.0f, 1.0f) * encodeSteps + 0.5f)];
}

} // namespace

float FrameReducer::toLinear(uint8_t stored) { return static_cast<float>(decodeSrgb(stored / 255.0)); }

uint8_t FrameReducer::fromLinear(float light) { return encoded(encodeTable(), light); }

FrameReducer::FrameReducer(int width_, int height_, int supersample_, AverageIn averageIn_)
    : width(width_), height(height_), supersample(supersample_), averageIn(averageIn_),
      sums(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4, 0.0f)
{
    for (int v = 0; v < 256; ++v)
        decode[v] = averageIn == AverageIn::LinearLight ? toLinear(static_cast<uint8_t>(v)) : static_cast<float>(v);
}

int FrameReducer::bandRows() const
{
    const long long rowBytes = static_cast<long long>(width) * supersample * 4;
    const long long rows = std::max<long long>(1, (4 << 20) / rowBytes / supersample) * supersample;
    return static_cast<int>(std::min<long long>(rows, static_cast<long long>(height) * supersample));
}

void FrameReducer::addRows(int top, int rows, const uint8_t* rgba)
{
    const int n = supersample;
    const size_t sourceStride = static_cast<size_t>(width) * n * 4;
    // Alpha is coverage, not light: averaged as a fraction in either case.
    const float alphaScale = averageIn == AverageIn::LinearLight ? 1.0f / 255.0f : 1.0f;
    for (int r = 0; r < rows; ++r) {
        const int y = (top + r) / n;
        if (y < 0 || y >= height)
            continue;
        const uint8_t* source = rgba + static_cast<size_t>(r) * sourceStride;
        float* sum = sums.data() + static_cast<size_t>(y) * width * 4;
        for (int x = 0; x < width; ++x, sum += 4)
            for (int k = 0; k < n; ++k, source += 4) {
                sum[0] += decode[source[0]];
                sum[1] += decode[source[1]];
                sum[2] += decode[source[2]];
                sum[3] += static_cast<float>(source[3]) * alphaScale;
            }
    }
}

void FrameReducer::finish(std::vector<uint8_t>& rgba)
{
    rgba.resize(sums.size());
    const float weight = subFrames > 0 ? 1.0f / static_cast<float>(subFrames * supersample * supersample) : 0.0f;
    const bool linear = averageIn == AverageIn::LinearLight;
    const auto& table = encodeTable();
    for (size_t i = 0; i < sums.size(); i += 4) {
        for (size_t c = 0; c < 3; ++c)
            rgba[i + c] = linear ? encoded(table, sums[i + c] * weight) : roundedLevel(sums[i + c] * weight);
        rgba[i + 3] = roundedLevel(sums[i + 3] * weight * (linear ? 255.0f : 1.0f));
    }
    std::fill(sums.begin(), sums.end(), 0.0f);
    subFrames = 0;
}
