// Many small primitives in one draw call. A scene writes vertices as it would between
// glBegin and glEnd (colour and texture coordinate first, then the vertex), ends each strip or
// loop with endPrimitive, and draw() submits them all from client arrays with one
// glMultiDrawArrays. The rasterised picture is the same as the immediate-mode blocks would give.
//
// Vertices before a batch's first colour or texture coordinate take GL's current one, exactly
// as in immediate mode, and attributes a batch never receives are not sent at all. After draw()
// the current colour and texture coordinate are the last ones given, as after glEnd. Keep a
// batch from frame to frame: its memory is reused. Between vertex() and draw() make no other GL
// call that changes state the primitives depend on.
#pragma once

#include "runtime/dms.h"

#include <GL/gl.h>

#include <cstddef>
#include <vector>

class VertexBatch {
public:
    explicit VertexBatch(GLenum mode) : mode(mode) {}

    void color(float r, float g, float b, float a = 1.0f)
    {
        currentColor[0] = r;
        currentColor[1] = g;
        currentColor[2] = b;
        currentColor[3] = a;
        hasColor = true;
    }
    // A colour given outside glBegin/glEnd, before a block. Immediate mode hands such a colour to
    // the first block after a state change as a constant, and to the blocks after it per vertex
    // (the driver moves it into the vertex format once vertices are waiting); the two round
    // differently when interpolated under perspective. So the vertices up to the second such
    // colour are drawn with their colour current, the rest with the colour array. Draw the batch
    // wherever the immediate-mode code changed state between blocks.
    void colorOutside(float r, float g, float b, float a = 1.0f)
    {
        if (used == 0)
            constantLead = true;
        else if (constantLead && leadEnd < 0)
            leadEnd = static_cast<GLint>(vertexCount());
        color(r, g, b, a);
    }
    void texCoord(float s, float t)
    {
        currentTexCoord[0] = s;
        currentTexCoord[1] = t;
        hasTexCoord = true;
    }
    void vertex(float x, float y, float z);
    void vertex(const Vector3& p) { vertex(p.x, p.y, p.z); }

    // Closes the current strip, fan or loop; the next vertex starts a new one. Separate
    // primitives of GL_POINTS, GL_LINES, GL_TRIANGLES and GL_QUADS need no call.
    void endPrimitive();
    // Submits everything collected and empties the batch (its memory is kept for the next frame).
    // With keep, the vertices stay for another draw, under another matrix say.
    void draw(bool keep = false);

    bool empty() const { return used == 0; }
    std::size_t vertexCount() const { return used; }

private:
    GLenum mode;
    float currentColor[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    float currentTexCoord[2] = {0.0f, 0.0f};
    bool hasColor = false, hasTexCoord = false;
    // Sized for at least the vertices written, which are the first `used`; they only grow.
    std::vector<float> positions, colors, texCoords;
    std::size_t used = 0;
    std::vector<GLint> firsts;
    std::vector<GLsizei> counts;
    GLint primitiveStart = 0;
    bool constantLead = false; // the first vertices take their colour as a constant
    GLint leadEnd = -1;        // where the colour array takes over; -1: not yet known

    void submit(GLint from, GLint to, bool colorArray);
};
