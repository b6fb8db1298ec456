// Recording every draw state a run draws in, for the warm-up's table.
#pragma once

#include "render/draw_state.h"

#include <vector>

// Records every distinct state drawn in, in the order first seen, until stopped; then writes them
// to the file, one per line (whole or not at all), and says how many are not among `known` (the
// warm-up's). False when the file cannot be written.
void startRecordingDrawStates();
bool stopRecordingDrawStates(const char* path, const std::vector<GlDrawState>& known, int* unknown);
