// The second set-up of a Swimmer: a grey speck in a taller box (y up to 8) that swims a little
// faster than the shared swimmers. It also raises ownCameraFlag, which lets the early creatures
// fly their own camera until the jellyfish scene takes the camera over.
#pragma once

#include "toolkit/swimmer.h"

// Nine random draws: z, y, x of the start, the two angles, speed, grey, phase, phase speed.
void initGreySwimmer(Swimmer& swimmer);
// The index-th speck of a crowd of grey swimmers: every sixth darts, at a random speed of 0.03 to
// 0.1 drawn after its set-up.
Swimmer greySpeck(int index);
// One vertex at the swimmer's position with its pulsing alpha, inside the caller's GL_POINTS.
void drawSwimmerPoint(const Swimmer& swimmer, float alpha);
// The same vertex written into a GL_POINTS batch.
void drawSwimmerPoint(VertexBatch& batch, const Swimmer& swimmer, float alpha);
