// The open water: smoke puffs over the surface, the surface's wave and distortion maps, its
// environment mask, and the caustic loop that lights the deeper scenes.
#include "tools/datagen/generators.h"

#include <algorithm>
#include <cmath>

namespace {

struct SmokeShape {
    float stretchX, stretchY; // outline of the puff
    float rotation;
    float lobes;              // how much the outline bulges
    float wispiness;          // weight of the thin curling strands
    uint32_t seed;
};

} // namespace

Image makeSmoke(int variant)
{
    static const SmokeShape shapes[] = {
        {1.00f, 1.00f, 0.0f, 0.22f, 0.55f, 101},
        {1.25f, 0.80f, 0.5f, 0.30f, 0.75f, 202},
        {0.85f, 1.15f, -0.4f, 0.18f, 0.65f, 303},
        {1.15f, 0.95f, 1.2f, 0.35f, 0.85f, 404},
    };
    const SmokeShape& shape = shapes[variant & 3];
    const int size = 256;
    const float cosR = std::cos(shape.rotation), sinR = std::sin(shape.rotation);
    Field density(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float px = (float(x) + 0.5f) / float(size) * 2.0f - 1.0f;
            const float py = (float(y) + 0.5f) / float(size) * 2.0f - 1.0f;
            const float rx = (px * cosR - py * sinR) / shape.stretchX;
            const float ry = (px * sinR + py * cosR) / shape.stretchY;
            // Domain warp: the noise is sampled where a second noise pushes it, which curls it.
            const float s = 2.2f;
            const float wx = fbm2(px * s, py * s, 4, 0.5f, shape.seed);
            const float wy = fbm2(px * s + 5.2f, py * s + 1.3f, 4, 0.5f, shape.seed + 7);
            const float body = fbm2(px * s + 2.4f * wx, py * s + 2.4f * wy, 5, 0.55f, shape.seed + 13);
            const float strands = 1.0f - std::fabs(fbm2(px * 3.1f + 3.0f * wx, py * 3.1f + 3.0f * wy, 5, 0.5f, shape.seed + 29));
            // A ragged outline, kept well inside the square.
            const float angle = std::atan2(ry, rx);
            const float outline = 0.62f + shape.lobes * fbm2(std::cos(angle) * 1.6f, std::sin(angle) * 1.6f, 3, 0.5f,
                                                               shape.seed + 41);
            const float r = std::sqrt(rx * rx + ry * ry) / std::max(outline, 0.2f);
            const float mask = 1.0f - smoothstep(0.25f, 1.0f, r);
            const float fog = clamp01(0.55f + body * 0.9f);
            const float wisps = std::pow(clamp01(strands), 6.0f) * shape.wispiness;
            // Hard limit so nothing reaches the border even where the outline bulges.
            const float border = 1.0f - smoothstep(0.72f, 0.94f, std::sqrt(px * px + py * py));
            density.at(x, y) = (fog * fog * 0.75f + wisps) * mask * border;
        }
    blurClamped(density, 0.7f);
    Image image(size, size);
    float peak = 0.0f;
    for (float v : density.values)
        peak = std::max(peak, v);
    for (size_t i = 0; i < density.values.size(); ++i) {
        const float v = density.values[i] / std::max(peak, 1e-4f);
        image.pixels[i] = grey(std::pow(v, 1.15f) * 0.95f);
    }
    return image;
}
