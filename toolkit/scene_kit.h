// What every scene needs and none should write again: its relative time, the archive texture
// bind, the eye's axes and the camera-facing quad built from them.
#pragma once

#include "runtime/dms.h"

class VertexBatch;

// The scene's relative time: 0 at its start time, 1 at its end time, beyond either outside.
float sceneTime(const Base& effect);

// Binds the archive texture of that name to texture unit 0's 2D target.
void bindArchiveTexture(const char* name);

// The eye's x, y and z axes in object space, read from the current GL modelview matrix.
void getCameraAxes(Vector3& right, Vector3& up, Vector3& back);

// One camera-facing quad, between glBegin(GL_QUADS) and glEnd: with r = right * halfSize and
// u = up * halfSize, the corners centre - r - u, + r - u, + r + u, - r + u in that order.
// Corner k takes texture corner (k + quarterTurns) % 4 of (0,0), (1,0), (1,1), (0,1); flipV
// mirrors the picture vertically (v becomes 1 - v).
void billboardQuad(const Vector3& centre, const Vector3& right, const Vector3& up, float halfSize,
                   int quarterTurns = 0, bool flipV = false);
// The same quad written into a GL_QUADS batch.
void billboardQuad(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                   float halfSize, int quarterTurns = 0, bool flipV = false);
