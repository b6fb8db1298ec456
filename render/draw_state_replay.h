// Setting a recorded draw state up again and drawing in it, for the warm-up.
#pragma once

#include "render/draw_state.h"

#include <utility>
#include <vector>

class ShaderProgram;

// Sets a state up for a draw, with stand-in textures of the same formats and sampling; on leaving
// it puts back what GL's attribute stacks do not hold (the program and its samplers, the texture
// matrices, the frame buffer). The caller pushes and pops the rest.
class DrawStateScope {
public:
    explicit DrawStateScope(const GlDrawState& state);
    ~DrawStateScope();
    DrawStateScope(const DrawStateScope&) = delete;
    DrawStateScope& operator=(const DrawStateScope&) = delete;
    // False, with nothing set, for a program this build does not have.
    bool ready() const { return applied; }

private:
    const GlDrawState& state;
    int units;
    ShaderProgram* program = nullptr;
    std::vector<std::pair<int, int>> samplersBefore; // location, unit
    bool applied = false;
};

// Draws one primitive of the state's kind and layout in it. The caller keeps the scissor box
// empty, so no pixel changes, and restores the attribute stacks.
void drawInState(const GlDrawState& state);
