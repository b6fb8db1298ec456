// A square integer height field that spreads ripples from random drops, turned into an RGBA
// normal map on the graphics card. The credits and the greetings read that map as the "water"
// texture of the "greetwater" program, so their pictures wobble as if seen through the surface.
//
// Cell (row, col) is at row * size + col. Only rows and columns 1 .. size - 3 are ever computed:
// row and column 0 and the last two stay as the drops left them. Sizes below 4 have no such
// cells and are refused, so no loop bound can wrap.
#pragma once

#include "toolkit/step_timer.h"

#include <cstdint>
#include <vector>

class WaterRipple {
public:
    static constexpr uint32_t minSize = 4;
    static constexpr uint32_t maxSize = 4096; // keeps the five arrays and the textures sane

    uint32_t size = 0;                         // 0 until a successful init or resize
    std::vector<int32_t> heights;              // the newest state
    std::vector<int32_t> previousHeights;      // one step older; drops land here
    std::vector<uint8_t> displacementPixels;   // RGBA, built from previousHeights
    std::vector<uint8_t> normalPixels;         // RGBA, built from previousHeights
    uint32_t displacementTexture = 0;          // GL names, 0 until init
    uint32_t normalTexture = 0;                // the one the scenes bind

    // Zeroed arrays of size x size and the two textures (linear, clamped) holding zeros. False,
    // and nothing allocated, for a size outside minSize .. maxSize.
    bool init(uint32_t size);
    // The arrays alone, zeroed, without GL. False for a size outside minSize .. maxSize.
    bool resize(uint32_t size);

    // previousHeights at (row, col) = 255, the row drawn first, then the column. Nothing is
    // drawn from the generator while the field is empty.
    void dropRandom();
    // One step of the wave: each inner cell from its eight neighbours and its older self,
    // slightly damped; then the two states change places.
    void step();
    // Pixels from previousHeights, then uploaded into their texture (nothing while empty).
    void buildNormalMap();
    void updateNormalMap();
    void buildDisplacement();
    void updateDisplacement();

    // The scenes' frame: for each step the timer owes, three drops and a step; then, only if a
    // step ran, the normal map and the displacement are uploaded. Returns the steps run.
    int advance(StepTimer& timer);

    int32_t heightAt(uint32_t row, uint32_t col) const { return heights[row * size + col]; }
    int32_t previousAt(uint32_t row, uint32_t col) const { return previousHeights[row * size + col]; }
};
