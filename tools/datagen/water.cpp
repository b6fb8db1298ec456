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
        {1.15f, 0.95f, 1.2f, 0.35f, 0.6f, 404},
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
            // Domain warp: the noise is sampled where a second noise pushes it, which curls it
            // into billows; thin strands follow the folds of the warped field.
            const float s = 1.5f;
            const float wx = fbm2(px * s, py * s, 3, 0.5f, shape.seed);
            const float wy = fbm2(px * s + 5.2f, py * s + 1.3f, 3, 0.5f, shape.seed + 7);
            const float qx = px * s + 1.8f * wx, qy = py * s + 1.8f * wy;
            const float body = fbm2(qx, qy, 5, 0.5f, shape.seed + 13);
            const float fold = fbm2(qx * 1.7f + 3.0f, qy * 1.7f, 4, 0.45f, shape.seed + 29);
            const float strands = std::pow(1.0f - std::min(1.0f, std::fabs(fold) * 2.2f), 8.0f);
            // A ragged outline, kept well inside the square.
            const float angle = std::atan2(ry, rx);
            const float outline = 0.66f + shape.lobes * fbm2(std::cos(angle) * 1.4f + wx * 0.5f, std::sin(angle) * 1.4f + wy * 0.5f,
                                                             3, 0.5f, shape.seed + 41);
            const float r = std::sqrt(rx * rx + ry * ry) / std::max(outline, 0.2f);
            const float core = std::exp(-r * r * 2.2f);
            const float mask = 1.0f - smoothstep(0.2f, 1.0f, r);
            const float billow = smoothstep(-0.35f, 0.55f, body);
            // Hard limit so nothing reaches the border even where the outline bulges.
            const float border = 1.0f - smoothstep(0.72f, 0.94f, std::sqrt(px * px + py * py));
            density.at(x, y) = (core * 0.35f + billow * mask * 0.55f + strands * shape.wispiness * mask * (0.4f + billow)) * border;
        }
    blurClamped(density, 1.1f);
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

namespace {

// One travelling wave of the surface that focuses the caustics: a whole number of crests
// across the tile (so it tiles) and a whole number of periods over the loop (so it loops).
struct SurfaceWave {
    int kx, ky;
    int cycles;
    float amplitude;
    float phase;
};

std::vector<SurfaceWave> causticWaves()
{
    Rng rng(0xCA05);
    std::vector<SurfaceWave> waves;
    while (waves.size() < 34) {
        const int kx = rng.below(19) - 9, ky = rng.below(19) - 9;
        const float k = std::sqrt(float(kx * kx + ky * ky));
        if (k < 2.5f || k > 8.5f)
            continue;
        // Most waves run one period per loop, as slow as a loop allows, so neighbouring frames
        // blend smoothly; the longest run two.
        int cycles = k < 3.2f ? 2 : 1;
        if (rng.unit() < 0.5f)
            cycles = -cycles;
        waves.push_back({kx, ky, cycles, std::pow(k, -1.6f) * rng.range(0.6f, 1.0f), rng.range(0.0f, twoPi)});
    }
    return waves;
}

// The surface's height at one moment on an n x n grid, as sums of separable cosine tables.
Field surfaceHeight(const std::vector<SurfaceWave>& waves, float time, int n)
{
    Field height(n, n);
    const size_t count = static_cast<size_t>(n);
    std::vector<float> cx(count), sx(count), cy(count), sy(count);
    for (const SurfaceWave& w : waves) {
        const float phase = w.phase + twoPi * float(w.cycles) * time;
        for (int i = 0; i < n; ++i) {
            const float t = float(i) / float(n);
            cx[size_t(i)] = std::cos(twoPi * float(w.kx) * t);
            sx[size_t(i)] = std::sin(twoPi * float(w.kx) * t);
            cy[size_t(i)] = std::cos(twoPi * float(w.ky) * t + phase);
            sy[size_t(i)] = std::sin(twoPi * float(w.ky) * t + phase);
        }
        for (int y = 0; y < n; ++y)
            for (int x = 0; x < n; ++x)
                height.at(x, y) += w.amplitude * (cx[size_t(x)] * cy[size_t(y)] - sx[size_t(x)] * sy[size_t(y)]);
    }
    return height;
}

} // namespace

Image makeCausticFrame(int frame)
{
    static const std::vector<SurfaceWave> waves = causticWaves();
    const int n = causticSize;
    const float time = float(frame) / float(causticFrameCount);
    const Field height = surfaceHeight(waves, time, n);

    // Light enters straight down, bends at the surface and lands displaced by the slope times
    // the depth; where rays crowd together the floor is bright.
    const int raysPerSide = 4;
    const int rays = n * raysPerSide;
    const float depth = 1.45f * float(n);
    Field light(n, n);
    for (int j = 0; j < rays; ++j)
        for (int i = 0; i < rays; ++i) {
            const float x = (float(i) + 0.5f) / float(raysPerSide), y = (float(j) + 0.5f) / float(raysPerSide);
            const float gx = (height.sampleWrapped(x + 0.5f, y) - height.sampleWrapped(x - 0.5f, y));
            const float gy = (height.sampleWrapped(x, y + 0.5f) - height.sampleWrapped(x, y - 0.5f));
            const float lx = x - gx * depth - 0.5f, ly = y - gy * depth - 0.5f;
            const float fx = std::floor(lx), fy = std::floor(ly);
            const int ix = int(fx), iy = int(fy);
            const float tx = lx - fx, ty = ly - fy;
            const auto add = [&](int px, int py, float w) {
                px %= n;
                py %= n;
                light.at(px < 0 ? px + n : px, py < 0 ? py + n : py) += w;
            };
            add(ix, iy, (1 - tx) * (1 - ty));
            add(ix + 1, iy, tx * (1 - ty));
            add(ix, iy + 1, (1 - tx) * ty);
            add(ix + 1, iy + 1, tx * ty);
        }
    blurWrapped(light, 0.6f);
    Image image(n, n);
    const float mean = float(raysPerSide * raysPerSide);
    for (size_t k = 0; k < light.values.size(); ++k) {
        const float v = light.values[k] / mean;
        // Dark water between the lines, the focused lines saturating softly.
        const float level = 1.0f - std::exp(-0.12f * std::pow(v, 2.2f));
        image.pixels[k] = rgb(level * 0.94f, level, level * 0.98f);
    }
    return image;
}

Image makeWaterNormalMap()
{
    // Small wind waves: crossing ridged swells with a fine chop on top, tileable.
    const int n = 256;
    Field height(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = float(x) / float(n), v = float(y) / float(n);
            const float swell = tileableRidged(u, v, 4, 3, 0.5f, 501);
            const float cross = tileableRidged(u + 0.37f, v + 0.11f, 6, 2, 0.5f, 502);
            const float chop = tileableFbm(u, v, 16, 2, 0.5f, 503);
            height.at(x, y) = swell * 0.6f + cross * 0.3f + chop * 0.12f;
        }
    return normalMapFromHeight(height, 14.0f);
}

Image makeWaterDistortion()
{
    // Two independent smooth noises as offsets around the middle value.
    const int n = 256;
    Image image(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = float(x) / float(n), v = float(y) / float(n);
            const float du = tileableFbm(u, v, 4, 3, 0.5f, 601);
            const float dv = tileableFbm(u, v, 4, 3, 0.5f, 602);
            image.at(x, y) = rgb(0.5f + du * 0.42f, 0.5f + dv * 0.42f, 0.0f);
        }
    return image;
}

Image makeEnvironmentMask()
{
    // Bright in the middle of the view, falling off softly towards the corners.
    const int n = 256;
    Image image(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float dx = (float(x) + 0.5f) / float(n) * 2.0f - 1.0f;
            const float dy = (float(y) + 0.5f) / float(n) * 2.0f - 1.0f;
            const float r = std::sqrt(dx * dx + dy * dy) / 1.41421356f;
            const float mask = std::pow(std::cos(std::min(r, 1.0f) * pi * 0.5f), 1.8f);
            image.at(x, y) = rgb(mask, 0.0f, 0.0f);
        }
    return image;
}
