// Screen helpers.
#pragma once

// A flat, untextured colour over the whole screen. The caller's blend state decides how it lands;
// depth test and texturing are left off, the 3D projection is back and the modelview is identity.
void drawScreenQuad(float r, float g, float b, float a);
// The square (0,0)-(1,1) as one GL_QUADS primitive, in the current colour and state.
void drawUnitSquare();
