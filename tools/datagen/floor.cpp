// The sea floors: silt and sand with wave ripples and pebbles, tileable, and normal maps made
// from the very height fields that shade their colours.
#include "tools/datagen/generators.h"

#include <algorithm>
#include <cmath>

namespace {

struct FloorRecipe {
    int size;
    int rippleX, rippleY;         // ripple crests across the tile (whole numbers keep it tileable)
    float rippleWarp;             // how far the crests wander, in ripple wavelengths
    int fineX, fineY;             // a second, finer set of ripples
    int pebbles;
    float pebbleMin, pebbleMax;   // radii in pixels
    Color siltA, siltB;           // the two tones the floor drifts between
    Color pebbleTone;
    float normalStrength;
    uint32_t seed;
};

struct Pebble {
    float x, y, rx, ry, angle, height;
    Color tone;
};

// Ripple height along a wavy crest line: steep lee side, gentle stoss side.
float rippleProfile(float phase)
{
    const float s = 0.5f + 0.5f * std::sin(phase);
    return std::pow(s, 2.4f);
}

FloorMaps buildFloor(const FloorRecipe& r)
{
    const int n = r.size;
    Rng rng(r.seed);
    Field height(n, n), tone(n, n), grain(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float u = float(x) / float(n), v = float(y) / float(n);
            const float warp = tileableFbm(u, v, 3, 3, 0.5f, r.seed + 1) * r.rippleWarp * twoPi;
            const float strength = 0.45f + 0.55f * clamp01(0.5f + tileableFbm(u, v, 2, 3, 0.5f, r.seed + 2));
            const float ripple = 1.4f * rippleProfile(twoPi * (float(r.rippleX) * u + float(r.rippleY) * v) + warp) * strength;
            const float fineWarp = tileableFbm(u, v, 5, 2, 0.5f, r.seed + 3) * 3.0f;
            const float fine = rippleProfile(twoPi * (float(r.fineX) * u + float(r.fineY) * v) + fineWarp) * 0.18f;
            const float mounds = tileableFbm(u, v, 2, 4, 0.5f, r.seed + 4) * 0.8f;
            height.at(x, y) = ripple + fine + mounds;
            tone.at(x, y) = clamp01(0.5f + tileableFbm(u, v, 3, 4, 0.55f, r.seed + 5) * 1.2f);
            grain.at(x, y) = tileableFbm(u, v, 64, 2, 0.6f, r.seed + 6);
        }

    // Pebbles, wrapped across the edges so the tile repeats without seams.
    std::vector<Pebble> pebbles;
    for (int i = 0; i < r.pebbles; ++i) {
        Pebble p;
        p.x = rng.range(0.0f, float(n));
        p.y = rng.range(0.0f, float(n));
        const float radius = mix(r.pebbleMin, r.pebbleMax, std::pow(rng.unit(), 2.5f));
        p.rx = radius * rng.range(0.8f, 1.25f);
        p.ry = radius * rng.range(0.6f, 0.95f);
        p.angle = rng.range(0.0f, pi);
        p.height = radius * 0.09f;
        const float shade = rng.range(0.7f, 1.25f);
        const float warmth = rng.range(-0.03f, 0.03f);
        p.tone = r.pebbleTone * shade + Color{warmth, 0.0f, -warmth, 0.0f};
        pebbles.push_back(p);
    }
    Field pebbleCover(n, n);
    std::vector<Color> pebbleColour(size_t(n) * n);
    for (const Pebble& p : pebbles) {
        const int reach = int(std::ceil(std::max(p.rx, p.ry))) + 2;
        const float c = std::cos(p.angle), s = std::sin(p.angle);
        for (int j = -reach; j <= reach; ++j)
            for (int i = -reach; i <= reach; ++i) {
                const float dx = float(i) + 0.5f - (p.x - std::floor(p.x)), dy = float(j) + 0.5f - (p.y - std::floor(p.y));
                const float ex = (dx * c + dy * s) / p.rx, ey = (-dx * s + dy * c) / p.ry;
                const float d2 = ex * ex + ey * ey;
                if (d2 >= 1.0f)
                    continue;
                const int px = ((int(std::floor(p.x)) + i) % n + n) % n, py = ((int(std::floor(p.y)) + j) % n + n) % n;
                const float dome = std::sqrt(1.0f - d2);
                const float cover = smoothstep(1.0f, 0.8f, d2);
                height.at(px, py) += cover * (0.2f + p.height * dome);
                if (cover > pebbleCover.at(px, py)) {
                    pebbleCover.at(px, py) = cover;
                    pebbleColour[size_t(py) * n + px] = p.tone * (0.8f + 0.3f * dome);
                }
            }
    }

    // Hollows collect dark detritus; crests and pebble tops catch light.
    Field smooth = height;
    blurWrapped(smooth, float(n) / 64.0f);
    FloorMaps maps;
    const float scale = 256.0f / float(n);
    maps.normals = normalMapFromHeight(height, r.normalStrength * scale);
    // A little of the relief is baked into the colour, lit from one side, so the floor reads
    // even where the light of a scene is flat.
    const float lx = -0.45f, ly = -0.55f, lz = 0.70f;
    maps.colour = Image(n, n);
    for (int y = 0; y < n; ++y)
        for (int x = 0; x < n; ++x) {
            const float h = height.at(x, y);
            const float cavity = clamp01((smooth.at(x, y) - h) * 1.6f);
            const Color& nm = maps.normals.at(x, y);
            const float lit = (nm.r * 2.0f - 1.0f) * lx + (nm.g * 2.0f - 1.0f) * ly + (nm.b * 2.0f - 1.0f) * lz;
            Color c = mix(r.siltA, r.siltB, tone.at(x, y));
            c = c * (0.9f + 0.22f * grain.at(x, y));
            const float cover = pebbleCover.at(x, y);
            if (cover > 0.0f)
                c = mix(c, pebbleColour[size_t(y) * n + x], cover);
            c = c * ((0.25f + 0.75f * std::clamp(lit / lz, 0.0f, 1.6f)) * (1.0f - 0.4f * cavity));
            c.a = 1.0f;
            maps.colour.at(x, y) = c;
        }
    return maps;
}

} // namespace

FloorMaps makeSiltFloor()
{
    FloorRecipe r;
    r.size = 512;
    r.rippleX = 9;
    r.rippleY = 4;
    r.rippleWarp = 0.9f;
    r.fineX = -7;
    r.fineY = 19;
    r.pebbles = 90;
    r.pebbleMin = 2.0f;
    r.pebbleMax = 11.0f;
    r.siltA = rgb(0.34f, 0.33f, 0.29f);
    r.siltB = rgb(0.27f, 0.31f, 0.30f);
    r.pebbleTone = rgb(0.40f, 0.38f, 0.35f);
    r.normalStrength = 9.0f;
    r.seed = 2002;
    return buildFloor(r);
}

FloorMaps makeSandFloor()
{
    FloorRecipe r;
    r.size = 512;
    r.rippleX = 5;
    r.rippleY = -2;
    r.rippleWarp = 0.7f;
    r.fineX = 11;
    r.fineY = 14;
    r.pebbles = 40;
    r.pebbleMin = 1.5f;
    r.pebbleMax = 8.0f;
    r.siltA = rgb(0.55f, 0.51f, 0.43f);
    r.siltB = rgb(0.47f, 0.46f, 0.41f);
    r.pebbleTone = rgb(0.46f, 0.44f, 0.42f);
    r.normalStrength = 11.0f;
    r.seed = 3003;
    return buildFloor(r);
}
