// The water colour every frame is cleared to; scenes set it for the next clear.
#pragma once

#include "runtime/dms.h"

extern Vector fogColor;
// The same colour for the ground program, which fades the floor into it.
extern Vector3 groundMinColor;

// A negative red component stands for the default deep-water colour (0.01, 0.01, 0.03).
void setFogColor(Vector3 color);
