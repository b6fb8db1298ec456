// Glowing things drawn additively: the soft dot, the lens flares and the air bubbles.
#include "tools/datagen/generators.h"

#include <algorithm>
#include <cmath>

namespace {

// Position of pixel (x, y) relative to the centre, in units of the half size.
void centred(int x, int y, int size, float& dx, float& dy)
{
    const float half = float(size) * 0.5f;
    dx = (float(x) + 0.5f - half) / half;
    dy = (float(y) + 0.5f - half) / half;
}

// Black beyond radius 1 and a smooth shoulder before it, so additive quads show no edge.
float edgeWindow(float r, float start) { return 1.0f - smoothstep(start, 1.0f, r); }

// Smallest difference between two angles.
float angleGap(float a, float b)
{
    float d = std::fmod(std::fabs(a - b), twoPi);
    return d > pi ? twoPi - d : d;
}

struct FlareLook {
    Color tint;
    float haloWidth;
    int spikes;        // evenly spaced bright rays
    float spikeAngle;  // their orientation
    float ringRadius;  // a faint ring, 0 for none
    uint64_t seed;
};

} // namespace

// The soft dot of the spray, the push scene's specks and the fish scene's motes. Its body is
// full enough that the spray's dots add up to a backdrop the spray scene's black silhouette reads
// against; a thin, peaked dot leaves the spray too dim and gappy for that.
Image makeCircle()
{
    const int size = 128;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx, dy;
            centred(x, y, size, dx, dy);
            const float r2 = dx * dx + dy * dy;
            const float body = std::pow(std::max(0.0f, 1.0f - r2), 1.4f);
            const float core = std::exp(-r2 / 0.02f);
            image.at(x, y) = grey(std::min(1.0f, body * 0.88f + core * 0.18f));
        }
    return image;
}

Image makeFlare(FlareTint tint)
{
    static const FlareLook looks[] = {
        {{0.80f, 0.88f, 1.00f, 1}, 0.16f, 6, 0.26f, 0.0f, 11},
        {{1.00f, 0.26f, 0.12f, 1}, 0.20f, 4, 0.78f, 0.62f, 12},
        {{0.22f, 0.46f, 1.00f, 1}, 0.19f, 4, 0.0f, 0.0f, 13},
        {{1.00f, 0.36f, 0.74f, 1}, 0.21f, 6, 0.0f, 0.55f, 14},
        {{0.16f, 0.92f, 0.80f, 1}, 0.18f, 5, 0.4f, 0.0f, 15},
    };
    const FlareLook& look = looks[int(tint)];
    Rng rng(look.seed);

    // Faint random rays: angle, angular width and strength.
    struct Ray {
        float angle, width, strength;
    };
    std::vector<Ray> rays;
    for (int i = 0; i < 48; ++i)
        rays.push_back({rng.range(0.0f, twoPi), rng.range(0.004f, 0.02f), rng.range(0.05f, 0.3f)});

    const int size = 256;
    Image image(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx, dy;
            centred(x, y, size, dx, dy);
            const float r = std::sqrt(dx * dx + dy * dy);
            const float angle = std::atan2(dy, dx);
            const float core = std::exp(-r * r / (2.0f * 0.035f * 0.035f)) * 3.0f;
            const float halo = std::exp(-r / look.haloWidth) * 0.85f + std::exp(-r * r / 0.2f) * 0.12f;
            float streaks = 0.0f;
            for (int k = 0; k < look.spikes; ++k) {
                const float a = look.spikeAngle + float(k) * twoPi / float(look.spikes);
                const float gap = angleGap(angle, a) * std::max(r, 0.02f);
                streaks += std::exp(-gap * gap / (2.0f * 0.006f * 0.006f)) * 0.55f * std::exp(-r * 2.4f);
            }
            for (const Ray& ray : rays) {
                const float gap = angleGap(angle, ray.angle);
                streaks += std::exp(-gap * gap / (2.0f * ray.width * ray.width)) * ray.strength * 0.35f *
                           std::exp(-r * 3.2f);
            }
            float ring = 0.0f;
            if (look.ringRadius > 0.0f) {
                const float d = (r - look.ringRadius) / 0.035f;
                ring = std::exp(-d * d) * 0.07f;
            }
            const float window = edgeWindow(r, 0.6f);
            const float light = (halo + streaks + ring) * window;
            // Tone map each channel so the core burns to white while the halo keeps its hue.
            const float hot = core * window;
            auto channel = [&](float t) { return 1.0f - std::exp(-(light * t * 1.6f + hot)); };
            image.at(x, y) = rgb(channel(look.tint.r), channel(look.tint.g), channel(look.tint.b));
        }
    return image;
}

Image makeBubble(int variant)
{
    const int size = 128;
    Image image(size, size);
    // The second bubble is a little squashed and wobbly, as bigger bubbles are.
    const float squash = variant == 0 ? 1.0f : 1.08f;
    const float wobble = variant == 0 ? 0.0f : 0.025f;
    const float rimRadius = 0.86f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx, dy;
            centred(x, y, size, dx, dy);
            const float ex = dx / squash, ey = dy * squash;
            const float angle = std::atan2(ey, ex);
            const float r = std::sqrt(ex * ex + ey * ey) * (1.0f + wobble * std::sin(3.0f * angle + 0.7f));
            const float rimGap = (r - rimRadius) / 0.035f;
            const float rim = std::exp(-rimGap * rimGap);
            // Light gathers on the inner side of the rim (the glass-like film seen edge on).
            const float innerGap = std::max(0.0f, rimRadius - r);
            const float film = r < rimRadius ? std::exp(-innerGap / 0.09f) * 0.35f : 0.0f;
            // Main highlight up and to the left, a small reflected one low on the right.
            const float hx = dx + 0.36f, hy = dy + 0.40f;
            const float highlight = std::exp(-(hx * hx * 3.0f + hy * hy * 6.0f) / 0.035f);
            const float lx = dx - 0.42f, ly = dy - 0.46f;
            const float reflect = std::exp(-(lx * lx + ly * ly) / 0.006f) * 0.55f;
            // A faint crescent of the brighter water above, seen through the bottom of the film.
            const float crescent = std::max(0.0f, dy) * film * 0.8f;
            float alpha = rim * 0.95f + film + highlight + reflect + crescent;
            if (variant == 1) {
                const float second = (r - rimRadius * 0.93f) / 0.03f;
                alpha += std::exp(-second * second) * 0.25f;
            }
            alpha = clamp01(alpha) * edgeWindow(r, 0.93f);
            const float blue = 0.86f + 0.14f * highlight;
            image.at(x, y) = {blue, 0.95f + 0.05f * highlight, 1.0f, alpha};
        }
    return image;
}
