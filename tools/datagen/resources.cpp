// The program's built-in pictures: the setup dialog's banner and the window icon.
#include "tools/datagen/assets.h"
#include "tools/datagen/generators.h"
#include "tools/datagen/text.h"

#include <algorithm>
#include <cmath>

namespace {

// Dark water lit from above: a blue-green gradient with slanting shafts of light and a few
// drifting specks, shared by the banner and the icon.
Image waterBackdrop(int width, int height, uint64_t seed)
{
    Image image(width, height);
    Rng rng(seed);
    const float aspect = float(width) / float(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const float u = (float(x) + 0.5f) / float(height), v = (float(y) + 0.5f) / float(height);
            const float depth = v;
            Color c = mix(rgb(0.05f, 0.24f, 0.32f), rgb(0.004f, 0.02f, 0.05f), std::pow(depth, 0.8f));
            // Shafts fan out from a point above the top edge.
            const float sx = u - aspect * 0.42f, sy = v + 0.6f;
            const float fan = std::atan2(sx, sy);
            const float shafts = std::pow(0.5f + 0.5f * fbm2(fan * 9.0f, 0.5f, 3, 0.55f, uint32_t(seed)), 3.0f);
            const float shaftFade = std::exp(-depth * 1.6f);
            c += rgb(0.20f, 0.42f, 0.46f) * (shafts * shaftFade * 0.55f);
            image.at(x, y) = c;
        }
    const int specks = width * height / 220;
    for (int i = 0; i < specks; ++i) {
        const float x = rng.range(0.0f, float(width)), y = rng.range(0.0f, float(height));
        const float strength = rng.range(0.05f, 0.45f) * rng.unit();
        const int ix = int(x), iy = int(y);
        for (int j = -1; j <= 1; ++j)
            for (int k = -1; k <= 1; ++k) {
                const int px = ix + k, py = iy + j;
                if (px < 0 || py < 0 || px >= width || py >= height)
                    continue;
                const float w = (j == 0 && k == 0) ? 1.0f : 0.25f;
                image.at(px, py) += rgb(0.6f, 0.85f, 0.9f) * (strength * w);
            }
    }
    return image;
}

// Lights a mask into the picture: a wide coloured glow, then the mask itself in `ink`.
void addGlowingMask(Image& image, const Field& mask, Color glowColour, float glowSigma, float glowGain, Color ink)
{
    Field glow = mask;
    blurClamped(glow, glowSigma);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            Color& c = image.at(x, y);
            const float a = c.a;
            c += glowColour * (glow.at(x, y) * glowGain);
            c = mix(c, ink, mask.at(x, y));
            c.a = a;
        }
}

std::vector<uint8_t> pngOf(const Image& image, bool alpha) { return encodePng(image, alpha); }

} // namespace

Image makeBanner()
{
    // 213 x 64 dialog units are 320 x 104 pixels with the dialog's 8-point font.
    const int width = 320, height = 104;
    Image image = waterBackdrop(width, height, 103);
    Field title(width, height);
    const TextStyle titleStyle{"DejaVuSerif.ttf", 46.0f, 3.0f};
    drawTextCentred(title, titleStyle, "Orvalune", float(width) * 0.5f, 60.0f);
    addGlowingMask(image, title, rgb(0.25f, 0.75f, 0.85f), 6.0f, 1.3f, rgb(0.93f, 0.98f, 1.0f));
    Field byline(width, height);
    const TextStyle bylineStyle{"DejaVuSans.ttf", 11.0f, 2.2f};
    drawTextCentred(byline, bylineStyle, "VELMORA & QUILLON", float(width) * 0.5f, 86.0f);
    addGlowingMask(image, byline, rgb(0.2f, 0.5f, 0.6f), 2.0f, 0.6f, rgb(0.62f, 0.82f, 0.86f));
    for (Color& c : image.pixels)
        c.a = 1.0f;
    return image;
}

Image makeIcon()
{
    const int size = 128;
    Image image = waterBackdrop(size, size, 113);
    // A small glowing medusa: a domed bell with a scalloped rim and trailing tentacles.
    Field shape(size, size);
    const float cx = 64.0f, rimY = 62.0f, bellW = 34.0f, bellH = 34.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float dx = (float(x) + 0.5f - cx) / bellW, dy = (rimY - float(y) - 0.5f) / bellH;
            if (dy < -0.12f)
                continue;
            const float r = std::sqrt(dx * dx + std::max(dy, 0.0f) * std::max(dy, 0.0f));
            const float scallop = 0.05f * std::cos(dx * 14.0f);
            const float inside = 1.0f - smoothstep(0.92f, 1.0f, r) - smoothstep(-0.02f + scallop, -0.1f + scallop, dy);
            const float shell = clamp01(inside);
            // Brighter at the edge of the dome, translucent inside.
            const float glowEdge = 0.45f + 0.55f * smoothstep(0.45f, 0.95f, r);
            shape.at(x, y) = shell * glowEdge;
        }
    for (int t = 0; t < 7; ++t) {
        const float baseX = cx + (float(t) - 3.0f) * 8.5f;
        for (int s = 0; s < 90; ++s) {
            const float k = float(s) / 89.0f;
            const float x = baseX + std::sin(k * 5.0f + float(t) * 1.3f) * 5.0f * k;
            const float y = rimY + 3.0f + k * 52.0f;
            splatClamped(shape, x, y, 0.9f, 0.22f * (1.0f - k * 0.8f));
        }
    }
    for (float& v : shape.values)
        v = clamp01(v);
    addGlowingMask(image, shape, rgb(0.3f, 0.8f, 0.95f), 5.0f, 1.1f, rgb(0.78f, 0.95f, 1.0f));
    // Round the corners so the icon sits well on any desktop.
    const float radius = 22.0f;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            const float qx = std::max(std::fabs(float(x) + 0.5f - 64.0f) - (64.0f - radius), 0.0f);
            const float qy = std::max(std::fabs(float(y) + 0.5f - 64.0f) - (64.0f - radius), 0.0f);
            const float d = std::sqrt(qx * qx + qy * qy) - radius;
            image.at(x, y).a = clamp01(0.5f - d);
        }
    return image;
}

std::vector<GeneratedResource> generateModuleResources()
{
    return {{103, pngOf(makeBanner(), false)}, {113, pngOf(makeIcon(), true)}};
}

namespace {

void appendLittle(std::vector<uint8_t>& out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

} // namespace

std::vector<std::vector<uint8_t>> iconPngs(const std::vector<int>& sizes)
{
    // Each the icon box-filtered to its size and rounded as the PNG resource is.
    const Image icon = makeIcon();
    std::vector<std::vector<uint8_t>> pngs;
    for (int size : sizes)
        pngs.push_back(encodePng(resizeBox(icon, size, size), true));
    return pngs;
}

std::vector<uint8_t> windowsIconFile()
{
    // Uncompressed 32-bit images: what every Windows version reads.
    const std::vector<int> sizes = {16, 32, 48, 128};
    const std::vector<std::vector<uint8_t>> pngs = iconPngs(sizes);
    std::vector<std::vector<uint8_t>> images;
    for (size_t i = 0; i < sizes.size(); ++i) {
        const int size = sizes[i];
        int w = 0, h = 0;
        std::vector<uint8_t> rgba;
        decodeImage(pngs[i], w, h, rgba);
        std::vector<uint8_t> dib;
        appendLittle(dib, 40, 4); // BITMAPINFOHEADER
        appendLittle(dib, uint32_t(size), 4);
        appendLittle(dib, uint32_t(size * 2), 4); // the colour rows, then the mask's
        appendLittle(dib, 1, 2);
        appendLittle(dib, 32, 2);
        for (int i = 0; i < 6; ++i)
            appendLittle(dib, 0, 4);
        for (int y = size - 1; y >= 0; --y) // bottom row first, blue green red alpha
            for (int x = 0; x < size; ++x) {
                const uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
                dib.insert(dib.end(), {p[2], p[1], p[0], p[3]});
            }
        // The mask is unused with an alpha channel: all clear, rows padded to 32 bits.
        dib.insert(dib.end(), size_t((size + 31) / 32 * 4) * size, 0);
        images.push_back(std::move(dib));
    }
    std::vector<uint8_t> out;
    appendLittle(out, 0, 2);
    appendLittle(out, 1, 2); // an icon
    appendLittle(out, uint32_t(images.size()), 2);
    uint32_t offset = uint32_t(6 + 16 * images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(sizes[i])); // 0 would mean 256
        out.push_back(uint8_t(sizes[i]));
        out.push_back(0); // no palette
        out.push_back(0);
        appendLittle(out, 1, 2);  // planes
        appendLittle(out, 32, 2); // bits per pixel
        appendLittle(out, uint32_t(images[i].size()), 4);
        appendLittle(out, offset, 4);
        offset += uint32_t(images[i].size());
    }
    for (const std::vector<uint8_t>& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}
