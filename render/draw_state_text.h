// The text form of a draw state: the recorder writes it, the warm-up's table is made of it.
#pragma once

#include "render/draw_state.h"

#include <string>

// One line of "name=value" words, the program and layout always, the rest where they differ from
// GlDrawState's defaults; parseDrawState reads it back (false on anything malformed).
std::string formatDrawState(const GlDrawState& state);
bool parseDrawState(const std::string& line, GlDrawState& state);
