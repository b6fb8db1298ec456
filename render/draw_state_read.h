// Reading the GL state a draw is made in.
#pragma once

#include "render/draw_state.h"

// The current GL state for a draw of this primitive and layout.
GlDrawState readDrawState(GLenum mode, unsigned layout);

// The texture units this driver has, up to the ones a state records.
int drawStateUnitsHere();
