#include "render/warm_up.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"

#include <GL/gl.h>

namespace {

// One quad with every attribute a program may read; the empty scissor box keeps its pixels out.
void warmUpQuad(GLenum mode)
{
    glBegin(mode);
    for (int i = 0; i < 4; ++i) {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        glNormal3f(0.0f, 0.0f, 1.0f);
        gl::glMultiTexCoord2fARB(GL_TEXTURE1_ARB, 0.0f, 0.0f);
        glTexCoord2f(static_cast<float>(i & 1), static_cast<float>(i >> 1));
        glVertex3f(static_cast<float>(i & 1) * 0.5f, static_cast<float>(i >> 1) * 0.5f, 0.0f);
    }
    glEnd();
}

struct Blending {
    bool on;
    GLenum source, destination;
};
// The blendings the scenes draw with.
constexpr Blending blendings[] = {
    {false, GL_ONE, GL_ZERO},
    {true, GL_ONE, GL_ONE},
    {true, GL_SRC_ALPHA, GL_ONE},
    {true, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA},
};

void setBlending(const Blending& b)
{
    if (b.on)
        glEnable(GL_BLEND);
    else
        glDisable(GL_BLEND);
    glBlendFunc(b.source, b.destination);
}

// A 2x2 texture of the given format (archive pictures are RGB or RGBA, targets RGBA), mipmapped
// like the smoke when asked.
GLuint scratchTexture(GLint internalFormat, GLenum format, bool mipmapped)
{
    static const unsigned char texels[2 * 2 * 4] = {};
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, mipmapped ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, internalFormat, 2, 2, 0, format, GL_UNSIGNED_BYTE, texels);
    if (mipmapped)
        glTexImage2D(GL_TEXTURE_2D, 1, internalFormat, 1, 1, 0, format, GL_UNSIGNED_BYTE, texels);
    return texture;
}

void bindOnUnits(GLuint texture, int units)
{
    for (int unit = units - 1; unit >= 0; --unit) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit));
        glBindTexture(GL_TEXTURE_2D, texture);
    }
}

// The fixed-function pipeline in one blending, untextured and with each kind of texture.
void warmUpBlending(const Blending& b)
{
    const GLuint textures[3] = {scratchTexture(GL_RGB8, GL_RGB, false), scratchTexture(GL_RGBA8, GL_RGBA, false),
                                scratchTexture(GL_RGB8, GL_RGB, true)};
    setBlending(b);
    glDisable(GL_TEXTURE_2D);
    warmUpQuad(GL_QUADS);
    glEnable(GL_TEXTURE_2D);
    for (GLuint texture : textures) {
        glBindTexture(GL_TEXTURE_2D, texture);
        warmUpQuad(GL_QUADS);
    }
    glDeleteTextures(3, textures);
}

// The smoothed lines and points, which the driver draws through programs of its own.
void warmUpLinesAndPoints()
{
    glDisable(GL_TEXTURE_2D);
    setBlending(blendings[2]);
    glEnable(GL_LINE_SMOOTH);
    warmUpQuad(GL_LINE_STRIP);
    glDisable(GL_LINE_SMOOTH);
    warmUpQuad(GL_LINE_STRIP);
    glEnable(GL_POINT_SMOOTH);
    warmUpQuad(GL_POINTS);
    glDisable(GL_POINT_SMOOTH);
    warmUpQuad(GL_POINTS);
}

// One program, additive, over target-like textures on the first four units (what the
// full-screen passes and most scene programs sample).
void warmUpProgram(ShaderProgram& program)
{
    bindOnUnits(renderTargets.tex1024b, 4);
    setBlending(blendings[1]);
    glEnable(GL_TEXTURE_2D);
    program.bind();
    warmUpQuad(GL_QUADS);
    ShaderProgram::unbind();
    bindOnUnits(0, 4);
}

// Binds each target once with its first texture and takes its attachments off again after, as
// they were before any binding.
void warmUpTargets()
{
    const RenderTargets& t = renderTargets;
    const struct {
        void (*bind)(GLuint);
        GLuint fbo, texture;
    } targets[] = {{bindTextureFBO1024, t.fbo1024, t.tex1024a},
                   {bindTextureFBO512, t.fbo512, t.tex512a},
                   {bindTextureFBO256, t.fbo256, t.tex256a},
                   {bindTextureFBO128, t.fbo128, t.tex128a}};
    for (const auto& target : targets) {
        target.bind(target.texture);
        glScissor(0, 0, 0, 0);
        warmUpQuad(GL_QUADS);
        gl::glFramebufferTexture2DEXT(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_TEXTURE_2D, 0, 0);
        gl::glFramebufferRenderbufferEXT(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, 0);
    }
    bindDepthFBO();
    glScissor(0, 0, 0, 0);
    warmUpQuad(GL_QUADS);
    unbindFBO();
}

// Runs one piece of warm-up with every GL state it touches put back: the attribute stacks hold
// the fixed state (scissor, blending, enables, texture bindings and units, colour, viewport), the
// matrices are pushed, and the program and frame buffer go back to what they were.
template <typename Piece>
void isolated(const Piece& piece)
{
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glPushAttrib(GL_ALL_ATTRIB_BITS);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glEnable(GL_SCISSOR_TEST);
    glScissor(0, 0, 0, 0);
    piece();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    glPopAttrib();
    gl::glUseProgramObjectARB(static_cast<GLhandleARB>(program));
    glFinish(); // the compiling is done here, not in a later frame
}

constexpr int blendingCount = static_cast<int>(sizeof blendings / sizeof blendings[0]);

} // namespace

bool warmUpGlStep()
{
    static int next = 0;
    const int programCount = shaderManager ? static_cast<int>(shaderManager->registry.size()) : 0;
    const int piece = next++;
    if (piece < blendingCount) {
        isolated([&] { warmUpBlending(blendings[piece]); });
    } else if (piece == blendingCount) {
        isolated(warmUpLinesAndPoints);
    } else if (piece == blendingCount + 1) {
        isolated(warmUpTargets);
    } else if (piece < blendingCount + 2 + programCount) {
        ShaderProgram* program = shaderManager->registry[static_cast<size_t>(piece - blendingCount - 2)].program.get();
        if (program && program->program)
            isolated([&] { warmUpProgram(*program); });
    } else {
        next = piece; // done; stays done
        return false;
    }
    return true;
}
