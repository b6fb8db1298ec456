// The camera-facing quad of scene_kit's billboardQuad, written into a GL_QUADS vertex batch
// instead of an open glBegin block: the same corners, texture corners and arithmetic, so the
// batch draws the same pixels. The colour is whatever the batch was last given.
#pragma once

#include "runtime/dms.h"
#include "toolkit/vertex_batch.h"

void billboardQuad(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                   float halfSize, int quarterTurns = 0, bool flipV = false);
