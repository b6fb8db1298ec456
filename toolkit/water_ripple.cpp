#include "toolkit/water_ripple.h"

#include "maths/random.h"

#include <GL/gl.h>

#include <cmath>
#include <utility>

namespace {

constexpr int32_t dropHeight = 255;
constexpr int dropsPerStep = 3;

GLuint makeTexture(uint32_t size, const std::vector<uint8_t>& zeros)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    const GLsizei n = static_cast<GLsizei>(size);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, n, n, 0, GL_RGBA, GL_UNSIGNED_BYTE, zeros.data());
    return name;
}

void upload(uint32_t texture, uint32_t size, const std::vector<uint8_t>& pixels)
{
    if (texture == 0) // a field made by resize alone has no textures
        return;
    glBindTexture(GL_TEXTURE_2D, texture);
    const GLsizei n = static_cast<GLsizei>(size);
    glTexImage2D(GL_TEXTURE_2D, 0, 4, n, n, 0, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
}

uint8_t lowByte(int32_t v) { return static_cast<uint8_t>(static_cast<uint32_t>(v) & 0xFFu); }

// Every cell whose 3x3 neighbourhood lies inside the n x n grid, by its index (the last row and
// column inside are left out too, as they always were).
template <typename Cell>
void forInnerCells(size_t n, const Cell& cell)
{
    for (size_t row = 1; row + 3 <= n; ++row)
        for (size_t col = 1; col + 3 <= n; ++col)
            cell(row * n + col);
}

} // namespace

// -------------------------------------------------------------------------------------------------
// Set-up

bool WaterRipple::resize(uint32_t n)
{
    if (n < minSize || n > maxSize) {
        *this = WaterRipple();
        return false;
    }
    size = n;
    const size_t cells = static_cast<size_t>(n) * n;
    heights.assign(cells, 0);
    previousHeights.assign(cells, 0);
    displacementPixels.assign(cells * 4, 0);
    normalPixels.assign(cells * 4, 0);
    return true;
}

bool WaterRipple::init(uint32_t n)
{
    if (!resize(n))
        return false;
    displacementTexture = makeTexture(size, displacementPixels);
    normalTexture = makeTexture(size, normalPixels);
    return true;
}

// -------------------------------------------------------------------------------------------------
// Simulation step

void WaterRipple::dropRandom()
{
    if (size < minSize)
        return;
    const uint32_t row = static_cast<uint32_t>(nextRandom()) % size;
    const uint32_t col = static_cast<uint32_t>(nextRandom()) % size;
    previousHeights[row * size + col] = dropHeight;
}

void WaterRipple::step()
{
    if (size < minSize)
        return;
    const size_t n = size;
    const int32_t* c = heights.data();
    int32_t* p = previousHeights.data();
    for (size_t row = 1; row + 3 <= n; ++row) {
        for (size_t col = 1; col + 3 <= n; ++col) {
            const size_t i = row * n + col;
            const int32_t diagonal = c[i + n + 1] + c[i - n + 1] + c[i + n - 1] + c[i - n - 1];
            const int32_t straight = c[i + 1] + c[i - 1] + c[i + n] + c[i - n];
            const float v = (0.1f * static_cast<float>(diagonal) + 0.9f * static_cast<float>(straight)) * 0.5f -
                            static_cast<float>(p[i]);
            int32_t h = static_cast<int32_t>(v);
            h -= h >> 12; // arithmetic shift: a small negative height still loses one
            p[i] = h;
        }
    }
    // The newest state becomes the older one; the computed cells are the newest now.
    std::swap(heights, previousHeights);
}

int WaterRipple::advance(StepTimer& timer)
{
    timer.update();
    int steps = 0;
    while (timer.hasStep()) {
        for (int d = 0; d < dropsPerStep; ++d)
            dropRandom();
        step();
        timer.consumeStep();
        ++steps;
    }
    if (steps > 0) {
        updateNormalMap();
        updateDisplacement();
    }
    return steps;
}

// -------------------------------------------------------------------------------------------------
// Textures

void WaterRipple::buildNormalMap()
{
    if (size < minSize)
        return;
    const size_t n = size;
    const int32_t* h = previousHeights.data();
    forInnerCells(n, [&](size_t i) {
        // Sobel slopes; in float, so tall crests cannot overflow the squares.
        const float gy = static_cast<float>((h[i - n - 1] + 2 * h[i - n] + h[i - n + 1]) -
                                            (h[i + n - 1] + 2 * h[i + n] + h[i + n + 1]));
        const float gx = static_cast<float>((h[i - n - 1] + 2 * h[i - 1] + h[i + n - 1]) -
                                            (h[i - n + 1] + 2 * h[i + 1] + h[i + n + 1]));
        const float r = 1.0f / std::sqrt(gx * gx + gy * gy + 65025.0f);
        uint8_t* px = &normalPixels[i * 4];
        px[0] = static_cast<uint8_t>(static_cast<int>(gy * r * 127.0f + 128.0f));
        px[1] = static_cast<uint8_t>(static_cast<int>(gx * r * 127.0f + 128.0f));
        px[2] = static_cast<uint8_t>(static_cast<int>(255.0f * r * 127.0f + 128.0f));
        px[3] = 255;
    });
}

void WaterRipple::buildDisplacement()
{
    if (size < minSize)
        return;
    const size_t n = size;
    const int32_t* h = previousHeights.data();
    forInnerCells(n, [&](size_t i) {
        uint8_t* px = &displacementPixels[i * 4];
        px[0] = static_cast<uint8_t>(lowByte(h[i - n]) - lowByte(h[i + n]));
        px[1] = static_cast<uint8_t>(lowByte(h[i - 1]) - lowByte(h[i + 1]));
        px[2] = lowByte(h[i]);
        px[3] = 255;
    });
}

void WaterRipple::updateNormalMap()
{
    if (size < minSize)
        return;
    buildNormalMap();
    upload(normalTexture, size, normalPixels);
}

void WaterRipple::updateDisplacement()
{
    if (size < minSize)
        return;
    buildDisplacement();
    upload(displacementTexture, size, displacementPixels);
}
