// The generator's drawing kit: float images, a local random generator, tileable noise, blurs,
// normal maps and the PNG/JPEG encoders. Everything here is deterministic: the same calls give
// the same bytes on every machine.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct Color {
    float r = 0.0f, g = 0.0f, b = 0.0f, a = 0.0f;

    Color operator+(const Color& o) const { return {r + o.r, g + o.g, b + o.b, a + o.a}; }
    Color operator-(const Color& o) const { return {r - o.r, g - o.g, b - o.b, a - o.a}; }
    Color operator*(float s) const { return {r * s, g * s, b * s, a * s}; }
    Color& operator+=(const Color& o)
    {
        r += o.r; g += o.g; b += o.b; a += o.a;
        return *this;
    }
};

inline Color rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }
inline Color grey(float v) { return {v, v, v, 1.0f}; }

// RGBA in 0..1, rows top first (the order the runtime uploads them).
struct Image {
    int width = 0, height = 0;
    std::vector<Color> pixels;

    Image() = default;
    Image(int w, int h, Color fill = {});
    Color& at(int x, int y) { return pixels[size_t(y) * width + x]; }
    const Color& at(int x, int y) const { return pixels[size_t(y) * width + x]; }
};

// One float per pixel: heights, masks, densities.
struct Field {
    int width = 0, height = 0;
    std::vector<float> values;

    Field() = default;
    Field(int w, int h, float fill = 0.0f);
    float& at(int x, int y) { return values[size_t(y) * width + x]; }
    float at(int x, int y) const { return values[size_t(y) * width + x]; }
    float wrapped(int x, int y) const;
    float clamped(int x, int y) const;
    // Bilinear, in pixel units, wrapping at the edges.
    float sampleWrapped(float x, float y) const;
    float sampleClamped(float x, float y) const;
};

// The generator's own random numbers (PCG32): one per asset, each with a fixed seed.
class Rng {
public:
    explicit Rng(uint64_t seed);
    uint32_t next();
    float unit(); // [0, 1)
    float range(float lo, float hi) { return lo + (hi - lo) * unit(); }
    int below(int n) { return int(next() % uint32_t(n)); }

private:
    uint64_t state = 0;
};

constexpr float pi = 3.14159265358979f;
constexpr float twoPi = 6.28318530717959f;

float clamp01(float v);
float smoothstep(float e0, float e1, float v);
float mix(float a, float b, float t);
Color mix(const Color& a, const Color& b, float t);
uint32_t hash32(uint32_t x);
uint32_t hash3(int32_t x, int32_t y, uint32_t seed);

// Gradient noise in about [-1, 1] that repeats every `period` lattice cells in x and y.
float periodicNoise(float x, float y, int period, uint32_t seed);
// Sum of octaves over the unit square (u, v in [0, 1)), tileable: the first octave has
// `period` cells, each further one twice as many at `gain` times the weight.
float tileableFbm(float u, float v, int period, int octaves, float gain, uint32_t seed);
// The same sum, each octave folded to |noise|, inverted and squared: sharp creases.
float tileableRidged(float u, float v, int period, int octaves, float gain, uint32_t seed);
// Non-tiling noise for shapes drawn once (sprites, puffs).
float noise2(float x, float y, uint32_t seed);
float fbm2(float x, float y, int octaves, float gain, uint32_t seed);

// Gaussian blur with the given standard deviation in pixels, wrapping or clamping at the edges.
void blurWrapped(Field& field, float sigma);
void blurClamped(Field& field, float sigma);
void blurClamped(Image& image, float sigma);
// Rescales so the values span [0, 1].
void normalize(Field& field);

// Tangent-space normals of a height field that wraps: x along the texture's s, y along t,
// z up; flat ground is (128, 128, 255).
Image normalMapFromHeight(const Field& height, float strength);

// Adds a soft round dab of `value` (gaussian of the given radius) to a field, wrapping.
void splatWrapped(Field& field, float x, float y, float radius, float value);
void splatClamped(Field& field, float x, float y, float radius, float value);

Image resizeBox(const Image& image, int width, int height);

// Encoding. Values are rounded with a little fixed dither so dark gradients do not band.
std::vector<uint8_t> encodePng(const Image& image, bool withAlpha);
std::vector<uint8_t> encodeJpeg(const Image& image, int quality = 92);
// Decoding, for the contact sheet and the tests: RGBA 8-bit rows; false when undecodable.
bool decodeImage(const std::vector<uint8_t>& bytes, int& width, int& height, std::vector<uint8_t>& rgba);
