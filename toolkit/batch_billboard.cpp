#include "toolkit/batch_billboard.h"

void billboardQuad(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                   float halfSize, int quarterTurns, bool flipV)
{
    static const float ring[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    const Vector3 r = right * halfSize;
    const Vector3 u = up * halfSize;
    const Vector3 corners[4] = {centre - r - u, centre + r - u, centre + r + u, centre - r + u};
    for (int k = 0; k < 4; ++k) {
        const float* tc = ring[(k + quarterTurns) % 4];
        batch.texCoord(tc[0], flipV ? 1.0f - tc[1] : tc[1]);
        batch.vertex(corners[k]);
    }
}
