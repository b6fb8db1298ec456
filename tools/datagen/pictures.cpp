// The credits and the three greeting cards: light text with a soft glow, on transparency.
// They are shown on a square stretched to the window's width, so the letters are drawn
// narrower than usual and come out in proportion on a wide screen.
#include "tools/datagen/generators.h"
#include "tools/datagen/text.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int pictureSize = 512;
constexpr float wideScreen = 0.66f;

TextStyle serif(float size, float tracking = 0.0f) { return {"DejaVuSerif.ttf", size, tracking, wideScreen}; }
TextStyle sans(float size, float tracking = 0.0f) { return {"DejaVuSans.ttf", size, tracking, wideScreen}; }
TextStyle light(float size, float tracking = 0.0f) { return {"DejaVuSans-ExtraLight.ttf", size, tracking, wideScreen}; }
// The greeted names: a greeting is on screen for a few seconds, fading and seen through water,
// and thin strokes went grey and broke up in it.
TextStyle bold(float size, float tracking = 0.0f) { return {"DejaVuSerif-Bold.ttf", size, tracking, wideScreen}; }

// A hairline that fades out at both ends.
void rule(Field& mask, float x0, float x1, float y, float strength)
{
    for (int x = int(x0); x <= int(x1); ++x) {
        const float t = (float(x) - x0) / (x1 - x0);
        const float fade = std::sin(t * pi);
        for (int dy = -1; dy <= 1; ++dy) {
            const int py = int(y) + dy;
            if (x < 0 || py < 0 || x >= mask.width || py >= mask.height)
                continue;
            const float w = dy == 0 ? 1.0f : 0.25f;
            mask.at(x, py) = std::max(mask.at(x, py), fade * strength * w);
        }
    }
}

// A few tiny rising bubbles as ornament.
void bubbles(Field& mask, Rng& rng, float x, float y, int count)
{
    for (int i = 0; i < count; ++i) {
        const float r = rng.range(1.5f, 4.5f);
        const float bx = x + rng.range(-14.0f, 14.0f), by = y - float(i) * 14.0f - rng.range(0.0f, 8.0f);
        for (int py = int(by - r - 2); py <= int(by + r + 2); ++py)
            for (int px = int(bx - r - 2); px <= int(bx + r + 2); ++px) {
                if (px < 0 || py < 0 || px >= mask.width || py >= mask.height)
                    continue;
                const float d = std::fabs(std::hypot(float(px) + 0.5f - bx, float(py) + 0.5f - by) - r);
                mask.at(px, py) = std::max(mask.at(px, py), clamp01(1.0f - d) * 0.7f);
            }
    }
}

// Letters in `ink`, surrounded by a glow of `glowColour`; the alpha holds both.
Image glowing(const Field& mask, float glowSigma, float glowStrength, Color ink, Color glowColour)
{
    Field glow = mask;
    blurClamped(glow, glowSigma);
    Image image(mask.width, mask.height);
    for (size_t i = 0; i < mask.values.size(); ++i) {
        const float m = clamp01(mask.values[i]);
        const float g = clamp01(glow.values[i] * glowStrength) * (1.0f - m);
        const float a = clamp01(m + g);
        Color c = a > 0.0f ? (ink * m + glowColour * g) * (1.0f / a) : glowColour;
        c.a = a;
        image.pixels[i] = c;
    }
    return image;
}

const Color ink = rgb(0.96f, 0.99f, 1.0f);
const Color aqua = rgb(0.55f, 0.85f, 0.95f);

} // namespace

Image makeCredits()
{
    Field mask(pictureSize, pictureSize);
    const float mid = pictureSize * 0.5f;
    drawTextCentred(mask, serif(104.0f, 4.0f), "Orvalune", mid, 150.0f);
    rule(mask, 120.0f, 392.0f, 176.0f, 0.8f);
    drawTextCentred(mask, sans(30.0f, 3.0f), "Velmora & Quillon", mid, 218.0f);
    struct Credit {
        const char* role;
        const char* names;
    };
    const Credit credits[] = {
        {"code", "Velmora"},
        {"music", "Quillon"},
        {"graphics", "Velmora & Quillon"},
        {"design", "Quillon & Velmora"},
    };
    // Two by two: each role in light small letters over its names.
    for (int i = 0; i < 4; ++i) {
        const float x = mid + (i % 2 == 0 ? -118.0f : 118.0f);
        const float y = 308.0f + float(i / 2) * 102.0f;
        drawTextCentred(mask, light(22.0f, 6.0f), credits[i].role, x, y);
        drawTextCentred(mask, serif(31.0f, 1.0f), credits[i].names, x, y + 40.0f);
    }
    return glowing(mask, 7.0f, 0.9f, ink, aqua);
}

Image makeGreeting(int card)
{
    Field mask(pictureSize, pictureSize);
    Rng rng(700 + uint64_t(card));
    const float mid = pictureSize * 0.5f;
    if (card == 0) {
        // A centred column under a heading, like a message in a bottle.
        drawTextCentred(mask, light(34.0f, 10.0f), "greetings to", mid, 96.0f);
        rule(mask, 150.0f, 362.0f, 116.0f, 0.7f);
        const char* names[] = {"Brinefall", "Tidewrights", "Saltmarrow", "Driftlantern"};
        float y = 190.0f;
        for (const char* name : names) {
            drawTextCentred(mask, bold(52.0f, 1.0f), name, mid, y);
            y += 76.0f;
        }
        bubbles(mask, rng, 70.0f, 470.0f, 6);
        bubbles(mask, rng, 440.0f, 430.0f, 5);
        return glowing(mask, 6.0f, 0.85f, ink, aqua);
    }
    if (card == 1) {
        // Names set around a ring, the heading in its middle.
        drawTextCentred(mask, light(30.0f, 8.0f), "hello", mid, 248.0f);
        drawTextCentred(mask, light(30.0f, 8.0f), "down there", mid, 286.0f);
        const char* names[] = {"Lanternfin Crew", "Silt Sirens", "Polyp Parade", "Coldvent Choir", "Murk & Mirror"};
        const float places[5][2] = {{mid, 98.0f}, {392.0f, 212.0f}, {366.0f, 448.0f}, {146.0f, 420.0f}, {122.0f, 212.0f}};
        for (int i = 0; i < 5; ++i)
            drawTextCentred(mask, bold(34.0f, 0.5f), names[i], places[i][0], places[i][1]);
        // The ring itself, dotted.
        for (int k = 0; k < 90; ++k) {
            const float a = twoPi * float(k) / 90.0f;
            const float x = mid + std::cos(a) * 110.0f, y = 262.0f + std::sin(a) * 112.0f;
            const int px = int(x), py = int(y);
            for (int dy = -1; dy <= 1; ++dy)
                for (int dx = -1; dx <= 1; ++dx)
                    mask.at(px + dx, py + dy) = std::max(mask.at(px + dx, py + dy), (dx == 0 && dy == 0) ? 0.9f : 0.3f);
        }
        return glowing(mask, 6.0f, 0.85f, ink, rgb(0.65f, 0.75f, 1.0f));
    }
    // Two left-aligned columns under a heading at the top left, with a rule down the middle.
    drawText(mask, light(40.0f, 8.0f), "and also", 48.0f, 92.0f);
    rule(mask, 48.0f, 300.0f, 112.0f, 0.7f);
    const char* left[] = {"Glasswort Guild", "Benthos Bakery", "Undertow Union"};
    const char* right[] = {"Kelpwork", "Ribbonweed", "Abyssal Quilters"};
    for (int i = 0; i < 3; ++i) {
        const float y = 196.0f + float(i) * 92.0f;
        drawText(mask, bold(36.0f, 0.5f), left[i], 48.0f, y);
        drawText(mask, bold(36.0f, 0.5f), right[i], 292.0f, y + 44.0f);
    }
    bubbles(mask, rng, 460.0f, 110.0f, 4);
    return glowing(mask, 6.0f, 0.85f, ink, rgb(0.6f, 0.95f, 0.85f));
}
