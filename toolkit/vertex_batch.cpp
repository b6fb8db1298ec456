#include "toolkit/vertex_batch.h"

#include "platform/win32.h"
#include "render/draw_state.h"

#include <GL/glext.h>

#include <algorithm>

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
    if (used == 0) {
        if (!hasColor)
            glGetFloatv(GL_CURRENT_COLOR, currentColor);
        if (!hasTexCoord) {
            float st[4];
            glGetFloatv(GL_CURRENT_TEXTURE_COORDS, st);
            currentTexCoord[0] = st[0];
            currentTexCoord[1] = st[1];
        }
    }
    // Stores into storage kept from frame to frame; it grows by doubling when full.
    if (used * 3 == positions.size()) {
        const std::size_t room = used < 256 ? 256 : used * 2;
        positions.resize(room * 3);
        colors.resize(room * 4);
        texCoords.resize(room * 2);
    }
    float* position = &positions[used * 3];
    position[0] = x;
    position[1] = y;
    position[2] = z;
    std::copy(currentColor, currentColor + 4, &colors[used * 4]);
    std::copy(currentTexCoord, currentTexCoord + 2, &texCoords[used * 2]);
    ++used;
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

void VertexBatch::submit(GLint from, GLint to, bool colorArray)
{
    if (colorArray) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(4, GL_FLOAT, 0, colors.data());
    } else if (hasColor) {
        glColor4fv(&colors[static_cast<std::size_t>(from) * 4]);
    }
    // The primitives starting in [from, to); a lead always ends between primitives.
    std::size_t begin = 0, end = firsts.size();
    while (begin < end && firsts[begin] < from)
        ++begin;
    std::size_t last = begin;
    while (last < end && firsts[last] < to)
        ++last;
    if (last > begin) {
        noteDraw(mode, layoutArrays | (colorArray ? layoutColor : 0u) | (hasTexCoord ? layoutTexCoord : 0u));
        if (PFNGLMULTIDRAWARRAYSPROC multiDraw = multiDrawArrays())
            multiDraw(mode, firsts.data() + begin, counts.data() + begin, static_cast<GLsizei>(last - begin));
        else
            for (std::size_t i = begin; i < last; ++i)
                glDrawArrays(mode, firsts[i], counts[i]);
    }
    if (colorArray)
        glDisableClientState(GL_COLOR_ARRAY);
}

void VertexBatch::draw(bool keep)
{
    endPrimitive();
    if (!firsts.empty()) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(3, GL_FLOAT, 0, positions.data());
        if (hasTexCoord) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
        }
        const GLint end = static_cast<GLint>(vertexCount());
        // Separate primitives of one block each are cut where the lead ends.
        const bool separate = mode == GL_POINTS || mode == GL_LINES || mode == GL_TRIANGLES || mode == GL_QUADS;
        const GLint lead = constantLead ? (leadEnd < 0 ? end : leadEnd) : 0;
        if (separate && lead > 0 && lead < end) {
            firsts.assign({0, lead});
            counts.assign({lead, end - lead});
        }
        if (lead > 0)
            submit(0, lead, false);
        if (lead < end)
            submit(lead, end, hasColor);
        glDisableClientState(GL_VERTEX_ARRAY);
        if (hasTexCoord)
            glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    // As after glEnd: the current attributes are the last ones given.
    if (hasColor)
        glColor4fv(currentColor);
    if (hasTexCoord)
        glTexCoord2fv(currentTexCoord);
    if (keep)
        return;
    used = 0;
    firsts.clear();
    counts.clear();
    primitiveStart = 0;
    hasColor = hasTexCoord = false;
    constantLead = false;
    leadEnd = -1;
}
