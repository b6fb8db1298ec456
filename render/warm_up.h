// The first use of every draw state and render target, before and over the show's first frames.
// The driver compiles a program's machine code for each combination of state at its first draw,
// not at link time, and a frame buffer's storage is set up at its first binding: without this the
// first frame of every scene waits for both. Done all at once it would take over a second at
// start-up on a software renderer (cold shader cache); so start-up warms what the first frames
// draw, within a budget, and one piece a frame follows during the opening, each costing that
// frame less than its own drawing. Everything is ready long before the second scene.
#pragma once

#include "render/draw_state.h"

#include <vector>

// Draws the next piece (the first binding of every target, then one recorded draw state a
// piece) through an empty scissor box: no pixel is written, and every GL state it touches is put
// back as it was. False once everything has been drawn.
bool warmUpGlStep();

// Pieces one after another until the budget is spent or all is warm: at start-up, for what the
// first frames draw.
void warmUpGlFor(int budgetMs);

// The recorded draw states the warm-up goes through, in order.
const std::vector<GlDrawState>& warmUpDrawStates();

// For frames without a deadline (a capture to files): every state is then compiled at its first
// draw, where it costs the same, and the warm-up's own draws would only add work. Call before the
// start-up; the warm-up then does nothing.
void skipGlWarmUp();
