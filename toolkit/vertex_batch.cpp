#include "toolkit/vertex_batch.h"

#include "platform/win32.h"

#include <GL/glext.h>

namespace {

// GL 1.4; fetched once by name like every entry point past GL 1.1. Without it each primitive
// is drawn on its own, with the same result.
PFNGLMULTIDRAWARRAYSPROC multiDrawArrays()
{
    static const auto pointer = reinterpret_cast<PFNGLMULTIDRAWARRAYSPROC>(wglGetProcAddress("glMultiDrawArrays"));
    return pointer;
}

} // namespace

void VertexBatch::vertex(float x, float y, float z)
{
    // Until a colour or texture coordinate is given, vertices take GL's current one, as they
    // would in immediate mode.
    if (positions.empty()) {
        if (!hasColor)
            glGetFloatv(GL_CURRENT_COLOR, currentColor);
        if (!hasTexCoord) {
            float st[4];
            glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st);
            currentTexCoord[0] = st[0];
            currentTexCoord[1] = st[1];
        }
    }
    positions.insert(positions.end(), {x, y, z});
    colors.insert(colors.end(), currentColor, currentColor + 4);
    texCoords.insert(texCoords.end(), currentTexCoord, currentTexCoord + 2);
}

void VertexBatch::endPrimitive()
{
    const GLint end = static_cast<GLint>(vertexCount());
    if (end > primitiveStart) {
        firsts.push_back(primitiveStart);
        counts.push_back(end - primitiveStart);
    }
    primitiveStart = end;
}

void VertexBatch::draw()
{
    endPrimitive();
    if (!firsts.empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        if (hasColor) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_FLOAT, 0, colors.data());
        }
        if (hasTexCoord) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
        }
        if (PFNGLMULTIDRAWARRAYSPROC multiDraw = multiDrawArrays())
            multiDraw(mode, firsts.data(), counts.data(), static_cast<GLsizei>(firsts.size()));
        else
            for (std::size_t i = 0; i < firsts.size(); ++i)
                glDrawArrays(mode, firsts[i], counts[i]);
        glDisableClientState(GL_VERTEX_ARRAY);
        if (hasColor)
            glDisableClientState(GL_COLOR_ARRAY);
        if (hasTexCoord)
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    // As after glEnd: the current attributes are the last ones given.
    if (hasColor)
        glColor4fv(currentColor);
    if (hasTexCoord)
        glTexCoord2fv(currentTexCoord);
    positions.clear();
    colors.clear();
    texCoords.clear();
    firsts.clear();
    counts.clear();
    primitiveStart = 0;
    hasColor = hasTexCoord = false;
}
