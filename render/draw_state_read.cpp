#include "render/draw_state_read.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "platform/win32.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace {

GLint integer(GLenum name)
{
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

int framebufferName(GLint fbo)
{
    const RenderTargets& t = renderTargets;
    if (fbo == 0 || !t.created)
        return 0;
    if (static_cast<GLuint>(fbo) == t.fbo1024)
        return 1024;
    if (static_cast<GLuint>(fbo) == t.fbo512)
        return 512;
    if (static_cast<GLuint>(fbo) == t.fbo256)
        return 256;
    if (static_cast<GLuint>(fbo) == t.fbo128)
        return 128;
    if (static_cast<GLuint>(fbo) == t.depthFbo)
        return -1;
    return 0; // the capture's own frame buffer stands for the window
}

bool isPowerOfTwo(GLint n) { return n > 0 && (n & (n - 1)) == 0; }

bool isMipmapFilter(GLint filter) { return filter != GL_NEAREST && filter != GL_LINEAR; }

bool isIdentity(const GLfloat m[16])
{
    for (int i = 0; i < 16; ++i)
        if (m[i] != ((i % 5 == 0) ? 1.0f : 0.0f))
            return false;
    return true;
}

int tenths(GLenum name)
{
    GLfloat value = 0.0f;
    glGetFloatv(name, &value);
    return static_cast<int>(std::lround(value * 10.0f));
}

void readUnit(TextureUnitState& t, bool fixedFunction)
{
    t.enabled = fixedFunction && glIsEnabled(GL_TEXTURE_2D);
    const GLint bound = integer(GL_TEXTURE_BINDING_2D);
    if (fixedFunction && !t.enabled)
        return;
    if (fixedFunction) {
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &t.envMode);
        GLfloat m[16];
        glGetFloatv(GL_TEXTURE_MATRIX, m);
        t.textureMatrix = !isIdentity(m);
    }
    if (bound == 0)
        return;
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_INTERNAL_FORMAT, &t.internalFormat);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    t.powerOfTwo = isPowerOfTwo(width) && isPowerOfTwo(height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &t.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &t.magFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &t.wrapS);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, &t.wrapT);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE_ARB, &t.compareMode);
    t.mipmapped = isMipmapFilter(t.minFilter);
}

bool isSampler(GLenum type)
{
    return (type >= GL_SAMPLER_1D_ARB && type <= GL_SAMPLER_2D_RECT_SHADOW_ARB);
}

// The program's samplers with their units, "name:unit,..." in name order.
std::string readSamplers(GLuint program)
{
    static const auto getActiveUniform =
        reinterpret_cast<PFNGLGETACTIVEUNIFORMARBPROC>(wglGetProcAddress("glGetActiveUniformARB"));
    if (!getActiveUniform || !gl::glGetObjectParameterivARB || !gl::glGetUniformivARB)
        return {};
    GLint count = 0;
    gl::glGetObjectParameterivARB(program, GL_OBJECT_ACTIVE_UNIFORMS_ARB, &count);
    std::vector<std::string> found;
    for (GLint i = 0; i < count; ++i) {
        GLcharARB name[128] = {};
        GLsizei length = 0;
        GLint size = 0;
        GLenum type = 0;
        getActiveUniform(program, static_cast<GLuint>(i), sizeof name, &length, &size, &type, name);
        if (!isSampler(type))
            continue;
        GLint unit = 0;
        gl::glGetUniformivARB(program, gl::glGetUniformLocationARB(program, name), &unit);
        found.push_back(std::string(name) + ":" + std::to_string(unit));
    }
    std::sort(found.begin(), found.end());
    std::string text;
    for (const std::string& f : found)
        text += (text.empty() ? "" : ",") + f;
    return text;
}

} // namespace

int drawStateUnitsHere()
{
    return std::min(drawStateUnits, std::max(1, integer(GL_MAX_TEXTURE_UNITS_ARB)));
}

GlDrawState readDrawState(GLenum mode, unsigned layout)
{
    GlDrawState s;
    s.mode = static_cast<int>(mode);
    s.layout = layout;
    const GLint program = integer(GL_CURRENT_PROGRAM);
    if (program != 0) {
        const char* name = "?"; // a program outside the catalogue
        if (shaderManager)
            for (const ShaderNode& node : shaderManager->registry)
                if (node.program && node.program->program == static_cast<GLuint>(program))
                    name = node.program->name;
        s.program = std::string(name);
        s.samplers = readSamplers(static_cast<GLuint>(program));
    }
    s.framebuffer = framebufferName(integer(GL_FRAMEBUFFER_BINDING_EXT));
    s.blend = glIsEnabled(GL_BLEND);
    s.blendSource = integer(GL_BLEND_SRC);
    s.blendDestination = integer(GL_BLEND_DST);
    s.depthTest = glIsEnabled(GL_DEPTH_TEST);
    s.depthFunc = integer(GL_DEPTH_FUNC);
    GLboolean mask[4] = {};
    glGetBooleanv(GL_DEPTH_WRITEMASK, mask);
    s.depthMask = mask[0];
    s.alphaTest = glIsEnabled(GL_ALPHA_TEST);
    s.alphaFunc = integer(GL_ALPHA_TEST_FUNC);
    glGetBooleanv(GL_COLOR_WRITEMASK, mask);
    s.colorMask = mask[0] | mask[1] << 1 | mask[2] << 2 | mask[3] << 3;
    s.cullFace = glIsEnabled(GL_CULL_FACE);
    s.cullFaceMode = integer(GL_CULL_FACE_MODE);
    s.polygonOffsetFill = glIsEnabled(GL_POLYGON_OFFSET_FILL);
    s.offsetFactor10 = tenths(GL_POLYGON_OFFSET_FACTOR);
    s.offsetUnits10 = tenths(GL_POLYGON_OFFSET_UNITS);
    s.clipPlane0 = glIsEnabled(GL_CLIP_PLANE0);
    s.lineSmooth = glIsEnabled(GL_LINE_SMOOTH);
    s.pointSmooth = glIsEnabled(GL_POINT_SMOOTH);
    s.lineWidth10 = tenths(GL_LINE_WIDTH);
    s.pointSize10 = tenths(GL_POINT_SIZE);
    s.shadeModel = integer(GL_SHADE_MODEL);
    const bool fixedFunction = program == 0;
    if (fixedFunction) { // a program does its own fog
        s.fog = glIsEnabled(GL_FOG);
        if (s.fog)
            s.fogMode = integer(GL_FOG_MODE);
    }
    const GLint active = integer(GL_ACTIVE_TEXTURE_ARB);
    for (int u = 0; u < drawStateUnitsHere(); ++u) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + u));
        readUnit(s.units[u], fixedFunction);
    }
    gl::glActiveTextureARB(static_cast<GLenum>(active));
    return s;
}
