#include "render/draw_state_replay.h"

#include "render/draw_state_read.h"
#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"

#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// Points the bound program's samplers at the recorded units; returns what they read before.
std::vector<std::pair<GLint, GLint>> pointSamplers(GLuint program, const std::string& samplers)
{
    std::vector<std::pair<GLint, GLint>> before;
    std::istringstream list(samplers);
    std::string entry;
    while (std::getline(list, entry, ',')) {
        const std::size_t colon = entry.rfind(':');
        if (colon == std::string::npos)
            continue;
        const GLint location = gl::glGetUniformLocationARB(program, entry.substr(0, colon).c_str());
        if (location < 0)
            continue;
        GLint unit = 0;
        gl::glGetUniformivARB(program, location, &unit);
        before.emplace_back(location, unit);
        gl::glUniform1i(location, std::atoi(entry.c_str() + colon + 1));
    }
    return before;
}

// Stand-in textures, one per unit, format, size class and mip chain (each unit sets its own
// sampling on its own), kept for the process.
struct StandIn {
    int unit, internalFormat, powerOfTwo, mipmapped;
    GLuint texture;
};
std::vector<StandIn> standIns;

GLenum uploadFormat(int internalFormat)
{
    switch (internalFormat) {
    case GL_DEPTH_COMPONENT:
    case GL_DEPTH_COMPONENT16:
    case GL_DEPTH_COMPONENT24:
    case GL_DEPTH_COMPONENT32:
        return GL_DEPTH_COMPONENT;
    case GL_LUMINANCE:
    case GL_LUMINANCE8:
        return GL_LUMINANCE;
    case GL_ALPHA:
    case GL_ALPHA8:
        return GL_ALPHA;
    case 3:
    case GL_RGB:
    case GL_RGB8:
        return GL_RGB;
    default:
        return GL_RGBA;
    }
}

GLuint standIn(int unit, const TextureUnitState& t)
{
    for (const StandIn& s : standIns)
        if (s.unit == unit && s.internalFormat == t.internalFormat && s.powerOfTwo == t.powerOfTwo &&
            s.mipmapped == t.mipmapped)
            return s.texture;
    // Bytes, as every texture of the show is given: the driver picks its format by the upload's too.
    static const GLubyte texels[3 * 3 * 4] = {};
    const GLenum format = uploadFormat(t.internalFormat);
    const GLenum type = GL_UNSIGNED_BYTE;
    const GLsizei size = t.powerOfTwo ? 2 : 3;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // The filter before the upload, as the show's textures have it: the driver sizes the
    // storage's mip chain by it, and compiles for that.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, t.internalFormat, size, size, 0, format, type, texels);
    if (t.mipmapped)
        glTexImage2D(GL_TEXTURE_2D, 1, t.internalFormat, 1, 1, 0, format, type, texels);
    standIns.push_back({unit, t.internalFormat, t.powerOfTwo, t.mipmapped, texture});
    return texture;
}

void setEnabled(GLenum capability, int on)
{
    if (on)
        glEnable(capability);
    else
        glDisable(capability);
}

void bindFramebuffer(int framebuffer)
{
    const RenderTargets& t = renderTargets;
    switch (framebuffer) {
    case 1024:
        bindTextureFBO1024(t.tex1024a);
        break;
    case 512:
        bindTextureFBO512(t.tex512a);
        break;
    case 256:
        bindTextureFBO256(t.tex256a);
        break;
    case 128:
        bindTextureFBO128(t.tex128a);
        break;
    case -1:
        bindDepthFBO();
        break;
    default:
        break;
    }
}

int verticesOf(int mode)
{
    switch (mode) {
    case GL_POINTS:
        return 1;
    case GL_LINES:
    case GL_LINE_STRIP:
    case GL_LINE_LOOP:
        return 2;
    case GL_QUADS:
    case GL_QUAD_STRIP:
        return 4;
    default:
        return 3;
    }
}

void drawPrimitive(int mode, unsigned layout)
{
    static const GLfloat positions[4 * 3] = {0, 0, 0, 0.5f, 0, 0, 0.5f, 0.5f, 0, 0, 0.5f, 0};
    static const GLfloat positions2[4 * 2] = {0, 0, 0.5f, 0, 0.5f, 0.5f, 0, 0.5f};
    static const GLfloat colors[4 * 4] = {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    static const GLfloat texCoords[4 * 2] = {0, 0, 1, 0, 1, 1, 0, 1};
    static const GLfloat normals[4 * 3] = {0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1};
    const int count = verticesOf(mode);
    const bool flat = layout & layoutPosition2;
    if (layout & layoutArrays) {
        glEnableClientState(GL_VERTEX_ARRAY);
        glVertexPointer(flat ? 2 : 3, GL_FLOAT, 0, flat ? positions2 : positions);
        if (layout & layoutColor) {
            glEnableClientState(GL_COLOR_ARRAY);
            glColorPointer(4, GL_FLOAT, 0, colors);
        }
        if (layout & layoutTexCoord) {
            glEnableClientState(GL_TEXTURE_COORD_ARRAY);
            glTexCoordPointer(2, GL_FLOAT, 0, texCoords);
        }
        if (layout & layoutNormal) {
            glEnableClientState(GL_NORMAL_ARRAY);
            glNormalPointer(GL_FLOAT, 0, normals);
        }
        glDrawArrays(static_cast<GLenum>(mode), 0, count);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_COLOR_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        return;
    }
    glBegin(static_cast<GLenum>(mode));
    for (int i = 0; i < count; ++i) {
        if (layout & layoutColor)
            glColor4fv(colors + 4 * i);
        if (layout & layoutNormal)
            glNormal3fv(normals + 3 * i);
        for (int unit = 0; unit < drawStateUnits; ++unit)
            if (layout & (layoutTexCoord << unit))
                gl::glMultiTexCoord2fARB(static_cast<GLenum>(GL_TEXTURE0_ARB + unit), texCoords[2 * i],
                                         texCoords[2 * i + 1]);
        if (flat)
            glVertex2fv(positions2 + 2 * i);
        else
            glVertex3fv(positions + 3 * i);
    }
    glEnd();
}

} // namespace

DrawStateScope::DrawStateScope(const GlDrawState& state) : state(state), units(drawStateUnitsHere())
{
    if (!state.program.empty() && shaderManager)
        for (const ShaderNode& node : shaderManager->registry)
            if (node.program && state.program == node.program->name)
                program = node.program.get();
    if (!state.program.empty() && (!program || !program->program))
        return; // a program this build does not have: nothing to warm

    const GlDrawState& s = state;
    bindFramebuffer(s.framebuffer);
    setEnabled(GL_BLEND, s.blend);
    glBlendFunc(static_cast<GLenum>(s.blendSource), static_cast<GLenum>(s.blendDestination));
    setEnabled(GL_DEPTH_TEST, s.depthTest);
    glDepthFunc(static_cast<GLenum>(s.depthFunc));
    glDepthMask(s.depthMask ? GL_TRUE : GL_FALSE);
    setEnabled(GL_ALPHA_TEST, s.alphaTest);
    glAlphaFunc(static_cast<GLenum>(s.alphaFunc), 0.5f);
    glColorMask(s.colorMask & 1, (s.colorMask >> 1) & 1, (s.colorMask >> 2) & 1, (s.colorMask >> 3) & 1);
    setEnabled(GL_CULL_FACE, s.cullFace);
    glCullFace(static_cast<GLenum>(s.cullFaceMode));
    setEnabled(GL_POLYGON_OFFSET_FILL, s.polygonOffsetFill);
    glPolygonOffset(static_cast<float>(s.offsetFactor10) / 10.0f, static_cast<float>(s.offsetUnits10) / 10.0f);
    setEnabled(GL_CLIP_PLANE0, s.clipPlane0);
    setEnabled(GL_LINE_SMOOTH, s.lineSmooth);
    setEnabled(GL_POINT_SMOOTH, s.pointSmooth);
    glLineWidth(static_cast<float>(s.lineWidth10) / 10.0f);
    glPointSize(static_cast<float>(s.pointSize10) / 10.0f);
    setEnabled(GL_FOG, s.fog);
    if (s.fog)
        glFogi(GL_FOG_MODE, s.fogMode);
    glShadeModel(static_cast<GLenum>(s.shadeModel));

    for (int u = units - 1; u >= 0; --u) {
        const TextureUnitState& t = s.units[u];
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + u));
        glMatrixMode(GL_TEXTURE);
        glPushMatrix();
        glLoadIdentity();
        if (t.textureMatrix)
            glScalef(2.0f, 2.0f, 1.0f);
        setEnabled(GL_TEXTURE_2D, t.enabled);
        if (t.envMode)
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, t.envMode);
        if (t.internalFormat == 0) {
            glBindTexture(GL_TEXTURE_2D, 0);
            continue;
        }
        glBindTexture(GL_TEXTURE_2D, standIn(u, t));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, t.minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, t.magFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, t.wrapS);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, t.wrapT);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, t.compareMode);
    }
    glMatrixMode(GL_MODELVIEW);
    if (program) {
        program->bind();
        samplersBefore = pointSamplers(program->program, s.samplers);
    }
    applied = true;
}

DrawStateScope::~DrawStateScope()
{
    if (!applied)
        return;
    // The scenes find their programs' samplers as they left them.
    for (const auto& [location, unit] : samplersBefore)
        gl::glUniform1i(location, unit);
    if (program)
        ShaderProgram::unbind();
    for (int u = units - 1; u >= 0; --u) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + u));
        glMatrixMode(GL_TEXTURE);
        glPopMatrix();
    }
    glMatrixMode(GL_MODELVIEW);
    if (state.framebuffer != 0)
        unbindFBO();
}

void drawInState(const GlDrawState& state)
{
    const DrawStateScope scope(state);
    if (scope.ready())
        drawPrimitive(state.mode, state.layout);
}
