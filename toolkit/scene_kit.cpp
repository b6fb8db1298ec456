#include "toolkit/scene_kit.h"

#include "toolkit/vertex_batch.h"

#include <GL/gl.h>

float sceneTime(const Base& effect)
{
    return (effect.currentTime - static_cast<float>(effect.startTime)) /
           static_cast<float>(effect.endTime - effect.startTime);
}

void bindArchiveTexture(const char* name)
{
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(dmsGetTexture(name)->getID()));
}

void getCameraAxes(Vector3& right, Vector3& up, Vector3& back)
{
    float m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    // Column-major: the rows of the rotation part are the eye's axes.
    right = Vector3(m[0], m[4], m[8]);
    up = Vector3(m[1], m[5], m[9]);
    back = Vector3(m[2], m[6], m[10]);
}

namespace {

// Hands the quad's four corners with their texture coordinates to emit(s, t, corner), in order.
template <class Emit>
void quadCorners(const Vector3& centre, const Vector3& right, const Vector3& up, float halfSize, int quarterTurns,
                 bool flipV, Emit emit)
{
    static const float ring[4][2] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    const Vector3 r = right * halfSize;
    const Vector3 u = up * halfSize;
    const Vector3 corners[4] = {centre - r - u, centre + r - u, centre + r + u, centre - r + u};
    for (int k = 0; k < 4; ++k) {
        const float* tc = ring[(k + quarterTurns) % 4];
        emit(tc[0], flipV ? 1.0f - tc[1] : tc[1], corners[k]);
    }
}

} // namespace

void billboardQuad(const Vector3& centre, const Vector3& right, const Vector3& up, float halfSize, int quarterTurns,
                   bool flipV)
{
    quadCorners(centre, right, up, halfSize, quarterTurns, flipV, [](float s, float t, const Vector3& p) {
        glTexCoord2f(s, t);
        glVertex3f(p.x, p.y, p.z);
    });
}

void billboardQuad(VertexBatch& batch, const Vector3& centre, const Vector3& right, const Vector3& up,
                   float halfSize, int quarterTurns, bool flipV)
{
    quadCorners(centre, right, up, halfSize, quarterTurns, flipV, [&batch](float s, float t, const Vector3& p) {
        batch.texCoord(s, t);
        batch.vertex(p);
    });
}
