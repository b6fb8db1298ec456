// The GL state a draw is made in, as far as it decides the machine code a software renderer
// compiles for it: the program, blending, depth, the bound textures' formats and sampling, the
// frame buffer drawn into, the primitive and how its vertices arrive. The renderer compiles at
// the first draw of each combination, so the warm-up draws, early in the show, every combination
// a run of the whole show was seen to reach (warm_up_states.inc), and no scene waits for the
// compiler at its first frame.
//
// Recording: with a listener set, every draw site reports its primitive and vertex layout
// through noteDraw, and the listener reads the rest of the state from GL.
//
// The jobs on this state each have their own file: reading it from GL (draw_state_read.h), its
// text form (draw_state_text.h), setting it up again for a draw (draw_state_replay.h), and
// recording what a run draws in (draw_state_recorder.h).
#pragma once

#include <GL/gl.h>

#include <string>

// How a draw's vertices arrive; the renderer compiles the vertex fetch per layout.
enum VertexLayout : unsigned {
    layoutArrays = 1u << 0,    // client arrays; otherwise between glBegin and glEnd
    layoutColor = 1u << 1,     // a colour per vertex
    layoutNormal = 1u << 2,    // a normal per vertex
    layoutPosition2 = 1u << 3, // x and y only
    layoutTexCoord = 1u << 4,  // a texture coordinate per vertex on unit 0; the next bits, units 1..
};

constexpr int drawStateUnits = 6;

// Texture coordinates per vertex on units 0 .. units - 1.
constexpr unsigned layoutTexCoords(int units) { return ((1u << units) - 1u) * layoutTexCoord; }

struct TextureUnitState {
    int internalFormat = 0; // as requested at upload; 0: nothing bound (or, fixed function, disabled)
    int powerOfTwo = 1;
    int mipmapped = 0;
    int minFilter = 0, magFilter = 0, wrapS = 0, wrapT = 0;
    int compareMode = 0;
    int enabled = 0;       // GL_TEXTURE_2D on this unit (fixed function)
    int envMode = 0;       // fixed function
    int textureMatrix = 0; // not the identity (fixed function)

    bool operator==(const TextureUnitState&) const = default;
};

struct GlDrawState {
    int mode = GL_TRIANGLES;
    unsigned layout = 0;
    std::string program; // catalogue name; empty for the fixed-function pipeline
    // The program's samplers and the units they read, "name:unit,..." by name: the renderer
    // compiles for the textures each sampler reads, which a program's defaults (all unit 0) miss.
    std::string samplers;
    int framebuffer = 0; // 0: the window; 1024, 512, 256, 128: that target; -1: the depth target
    int blend = 0, blendSource = GL_ONE, blendDestination = GL_ZERO;
    int depthTest = 0, depthFunc = GL_LESS, depthMask = 1;
    int alphaTest = 0, alphaFunc = GL_ALWAYS;
    int colorMask = 15;
    int cullFace = 0, cullFaceMode = GL_BACK, polygonOffsetFill = 0, clipPlane0 = 0;
    int offsetFactor10 = 0, offsetUnits10 = 0;
    int lineSmooth = 0, pointSmooth = 0, lineWidth10 = 10, pointSize10 = 10;
    int fog = 0, fogMode = GL_EXP;
    int shadeModel = GL_SMOOTH;
    TextureUnitState units[drawStateUnits];

    bool operator==(const GlDrawState&) const = default;
};

// Called by every draw site with its primitive and VertexLayout bits, before drawing; costs a
// branch unless a recorder listens.
using DrawListener = void (*)(GLenum mode, unsigned layout);
extern DrawListener drawListener;
inline void noteDraw(GLenum mode, unsigned layout)
{
    if (drawListener)
        drawListener(mode, layout);
}
