#include "tools/datagen/image.h"

#include <stb/stb_image.h>
#include <stb/stb_image_write.h>

#include <algorithm>
#include <cmath>

Image::Image(int w, int h, Color fill) : width(w), height(h), pixels(size_t(w) * h, fill) {}

Field::Field(int w, int h, float fill) : width(w), height(h), values(size_t(w) * h, fill) {}

namespace {
int wrapIndex(int i, int n)
{
    i %= n;
    return i < 0 ? i + n : i;
}
} // namespace

float Field::wrapped(int x, int y) const { return at(wrapIndex(x, width), wrapIndex(y, height)); }

float Field::clamped(int x, int y) const { return at(std::clamp(x, 0, width - 1), std::clamp(y, 0, height - 1)); }

namespace {
template <typename Fetch>
float bilinear(float x, float y, Fetch fetch)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    const float tx = x - fx, ty = y - fy;
    const float top = mix(fetch(ix, iy), fetch(ix + 1, iy), tx);
    const float bottom = mix(fetch(ix, iy + 1), fetch(ix + 1, iy + 1), tx);
    return mix(top, bottom, ty);
}
} // namespace

float Field::sampleWrapped(float x, float y) const
{
    return bilinear(x, y, [this](int i, int j) { return wrapped(i, j); });
}

float Field::sampleClamped(float x, float y) const
{
    return bilinear(x, y, [this](int i, int j) { return clamped(i, j); });
}

Rng::Rng(uint64_t seed)
{
    state = 0;
    next();
    state += seed * 0x9E3779B97F4A7C15ull + 0x853C49E6748FEA9Bull;
    next();
}

uint32_t Rng::next()
{
    const uint64_t old = state;
    state = old * 6364136223846793005ull + 1442695040888963407ull;
    const uint32_t shifted = uint32_t(((old >> 18u) ^ old) >> 27u);
    const uint32_t rot = uint32_t(old >> 59u);
    return (shifted >> rot) | (shifted << ((32 - rot) & 31));
}

float Rng::unit() { return float(next() >> 8) * (1.0f / 16777216.0f); }

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float v)
{
    const float t = clamp01((v - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

float mix(float a, float b, float t) { return a + (b - a) * t; }

Color mix(const Color& a, const Color& b, float t) { return a + (b - a) * t; }

uint32_t hash32(uint32_t x)
{
    x ^= x >> 16;
    x *= 0x7FEB352Du;
    x ^= x >> 15;
    x *= 0x846CA68Bu;
    x ^= x >> 16;
    return x;
}

uint32_t hash3(int32_t x, int32_t y, uint32_t seed)
{
    return hash32(uint32_t(x) * 0x8DA6B343u ^ hash32(uint32_t(y) * 0xD8163841u ^ hash32(seed + 0x9E3779B9u)));
}

namespace {

float fade(float t) { return t * t * t * (t * (t * 6.0f - 15.0f) + 10.0f); }

// Gradient at a lattice point, from 16 evenly spaced directions.
float gradientDot(int ix, int iy, uint32_t seed, float dx, float dy)
{
    const float angle = float(hash3(ix, iy, seed) & 255u) * (twoPi / 256.0f);
    return std::cos(angle) * dx + std::sin(angle) * dy;
}

float latticeNoise(float x, float y, int period, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    const float dx = x - fx, dy = y - fy;
    int ix1 = ix + 1, iy1 = iy + 1;
    if (period > 0) {
        ix = wrapIndex(ix, period);
        iy = wrapIndex(iy, period);
        ix1 = wrapIndex(ix1, period);
        iy1 = wrapIndex(iy1, period);
    }
    const float u = fade(dx), v = fade(dy);
    const float a = gradientDot(ix, iy, seed, dx, dy);
    const float b = gradientDot(ix1, iy, seed, dx - 1.0f, dy);
    const float c = gradientDot(ix, iy1, seed, dx, dy - 1.0f);
    const float d = gradientDot(ix1, iy1, seed, dx - 1.0f, dy - 1.0f);
    return mix(mix(a, b, u), mix(c, d, u), v) * 1.41421356f;
}

} // namespace

float periodicNoise(float x, float y, int period, uint32_t seed) { return latticeNoise(x, y, period, seed); }

float tileableFbm(float u, float v, int period, int octaves, float gain, uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const int p = period << o;
        sum += weight * latticeNoise(u * float(p), v * float(p), p, seed + uint32_t(o) * 1013u);
        total += weight;
        weight *= gain;
    }
    return sum / total;
}

float tileableRidged(float u, float v, int period, int octaves, float gain, uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        const int p = period << o;
        const float n = 1.0f - std::fabs(latticeNoise(u * float(p), v * float(p), p, seed + uint32_t(o) * 1013u));
        sum += weight * n * n;
        total += weight;
        weight *= gain;
    }
    return sum / total;
}

float noise2(float x, float y, uint32_t seed) { return latticeNoise(x, y, 0, seed); }

float fbm2(float x, float y, int octaves, float gain, uint32_t seed)
{
    float sum = 0.0f, weight = 1.0f, total = 0.0f, scale = 1.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += weight * latticeNoise(x * scale, y * scale, 0, seed + uint32_t(o) * 1013u);
        total += weight;
        weight *= gain;
        scale *= 2.0f;
    }
    return sum / total;
}

namespace {

std::vector<float> gaussianKernel(float sigma)
{
    const int radius = std::max(1, int(std::ceil(sigma * 3.0f)));
    std::vector<float> kernel(size_t(2 * radius + 1));
    float total = 0.0f;
    for (int i = -radius; i <= radius; ++i) {
        kernel[size_t(i + radius)] = std::exp(-0.5f * float(i * i) / (sigma * sigma));
        total += kernel[size_t(i + radius)];
    }
    for (float& k : kernel)
        k /= total;
    return kernel;
}

// One pass along rows of `count` lines of `length` samples spaced `stride` apart.
template <typename T>
void blurLines(T* data, int length, int count, size_t lineStep, size_t stride, const std::vector<float>& kernel,
               bool wrap)
{
    const int radius = int(kernel.size() / 2);
    std::vector<T> line(static_cast<size_t>(length));
    for (int l = 0; l < count; ++l) {
        T* base = data + size_t(l) * lineStep;
        for (int i = 0; i < length; ++i)
            line[size_t(i)] = base[size_t(i) * stride];
        for (int i = 0; i < length; ++i) {
            T sum{};
            for (int k = -radius; k <= radius; ++k) {
                const int j = wrap ? wrapIndex(i + k, length) : std::clamp(i + k, 0, length - 1);
                sum = sum + line[size_t(j)] * kernel[size_t(k + radius)];
            }
            base[size_t(i) * stride] = sum;
        }
    }
}

template <typename T>
void blur2d(T* data, int width, int height, float sigma, bool wrap)
{
    if (sigma <= 0.0f)
        return;
    const std::vector<float> kernel = gaussianKernel(sigma);
    blurLines(data, width, height, size_t(width), 1, kernel, wrap);
    blurLines(data, height, width, 1, size_t(width), kernel, wrap);
}

} // namespace

void blurWrapped(Field& field, float sigma) { blur2d(field.values.data(), field.width, field.height, sigma, true); }

void blurClamped(Field& field, float sigma) { blur2d(field.values.data(), field.width, field.height, sigma, false); }

void blurClamped(Image& image, float sigma) { blur2d(image.pixels.data(), image.width, image.height, sigma, false); }

void normalize(Field& field)
{
    const auto [lo, hi] = std::minmax_element(field.values.begin(), field.values.end());
    const float low = *lo, span = *hi - *lo;
    for (float& v : field.values)
        v = span > 0.0f ? (v - low) / span : 0.0f;
}

Image normalMapFromHeight(const Field& height, float strength)
{
    Image out(height.width, height.height);
    for (int y = 0; y < height.height; ++y)
        for (int x = 0; x < height.width; ++x) {
            const float dx = (height.wrapped(x + 1, y) - height.wrapped(x - 1, y)) * 0.5f * strength;
            const float dy = (height.wrapped(x, y + 1) - height.wrapped(x, y - 1)) * 0.5f * strength;
            const float len = std::sqrt(dx * dx + dy * dy + 1.0f);
            out.at(x, y) = {(-dx / len) * 0.5f + 0.5f, (-dy / len) * 0.5f + 0.5f, (1.0f / len) * 0.5f + 0.5f, 1.0f};
        }
    return out;
}

namespace {
template <bool Wrap>
void splat(Field& field, float x, float y, float radius, float value)
{
    const int reach = int(std::ceil(radius * 2.5f));
    const int cx = int(std::floor(x)), cy = int(std::floor(y));
    const float inv = 1.0f / (2.0f * radius * radius);
    for (int j = cy - reach; j <= cy + reach + 1; ++j)
        for (int i = cx - reach; i <= cx + reach + 1; ++i) {
            const float dx = float(i) + 0.5f - x, dy = float(j) + 0.5f - y;
            const float w = std::exp(-(dx * dx + dy * dy) * inv);
            if (w < 0.002f)
                continue;
            if (Wrap)
                field.at(wrapIndex(i, field.width), wrapIndex(j, field.height)) += value * w;
            else if (i >= 0 && j >= 0 && i < field.width && j < field.height)
                field.at(i, j) += value * w;
        }
}
} // namespace

void splatWrapped(Field& field, float x, float y, float radius, float value) { splat<true>(field, x, y, radius, value); }

void splatClamped(Field& field, float x, float y, float radius, float value) { splat<false>(field, x, y, radius, value); }

Image resizeBox(const Image& image, int width, int height)
{
    Image out(width, height);
    const float sx = float(image.width) / float(width), sy = float(image.height) / float(height);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const int x0 = int(float(x) * sx), x1 = std::max(x0 + 1, int(float(x + 1) * sx));
            const int y0 = int(float(y) * sy), y1 = std::max(y0 + 1, int(float(y + 1) * sy));
            Color sum;
            for (int j = y0; j < y1 && j < image.height; ++j)
                for (int i = x0; i < x1 && i < image.width; ++i)
                    sum += image.at(i, j);
            out.at(x, y) = sum * (1.0f / float((x1 - x0) * (y1 - y0)));
        }
    return out;
}

namespace {

uint8_t quantize(float v, int x, int y, int channel)
{
    // A triangular dither of about one step, from a hash of the pixel: fixed, so the bytes repeat.
    const uint32_t h = hash3(x, y, uint32_t(channel) * 7919u);
    const float d = (float(h & 0xFFFFu) + float(h >> 16)) * (1.0f / 65536.0f) - 1.0f;
    const float q = clamp01(v) * 255.0f + d * 0.5f;
    return uint8_t(std::clamp(int(std::lround(q)), 0, 255));
}

std::vector<uint8_t> toBytes(const Image& image, int channels)
{
    std::vector<uint8_t> bytes(size_t(image.width) * image.height * channels);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const Color& c = image.at(x, y);
            const float values[4] = {c.r, c.g, c.b, c.a};
            uint8_t* out = &bytes[(size_t(y) * image.width + x) * channels];
            for (int k = 0; k < channels; ++k)
                out[k] = quantize(values[k], x, y, k);
        }
    return bytes;
}

void appendBytes(void* context, void* data, int size)
{
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* bytes = static_cast<const uint8_t*>(data);
    out->insert(out->end(), bytes, bytes + size);
}

} // namespace

std::vector<uint8_t> encodePng(const Image& image, bool withAlpha)
{
    const int channels = withAlpha ? 4 : 3;
    const std::vector<uint8_t> bytes = toBytes(image, channels);
    std::vector<uint8_t> out;
    stbi_write_png_to_func(appendBytes, &out, image.width, image.height, channels, bytes.data(),
                           image.width * channels);
    return out;
}

std::vector<uint8_t> encodeJpeg(const Image& image, int quality)
{
    const std::vector<uint8_t> bytes = toBytes(image, 3);
    std::vector<uint8_t> out;
    stbi_write_jpg_to_func(appendBytes, &out, image.width, image.height, 3, bytes.data(), quality);
    return out;
}

bool decodeImage(const std::vector<uint8_t>& bytes, int& width, int& height, std::vector<uint8_t>& rgba)
{
    int channels = 0;
    unsigned char* data = stbi_load_from_memory(bytes.data(), int(bytes.size()), &width, &height, &channels, 4);
    if (!data)
        return false;
    rgba.assign(data, data + size_t(width) * height * 4);
    stbi_image_free(data);
    return true;
}
