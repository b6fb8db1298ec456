#include "render/draw_state.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "render/shader_manager.h"
#include "render/warm_up.h"
#include "platform/win32.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <utility>
#include <vector>

DrawListener drawListener = nullptr;

namespace {

// Every number of a state with its name in the text form, in a fixed order.
std::vector<std::pair<std::string, int*>> numbers(GlDrawState& s)
{
    std::vector<std::pair<std::string, int*>> n = {
        {"mode", &s.mode},
        {"fb", &s.framebuffer},
        {"blend", &s.blend},
        {"src", &s.blendSource},
        {"dst", &s.blendDestination},
        {"depth", &s.depthTest},
        {"depthFunc", &s.depthFunc},
        {"depthMask", &s.depthMask},
        {"alpha", &s.alphaTest},
        {"alphaFunc", &s.alphaFunc},
        {"colorMask", &s.colorMask},
        {"cull", &s.cullFace},
        {"cullMode", &s.cullFaceMode},
        {"offset", &s.polygonOffsetFill},
        {"offsetFactor10", &s.offsetFactor10},
        {"offsetUnits10", &s.offsetUnits10},
        {"clip0", &s.clipPlane0},
        {"lineSmooth", &s.lineSmooth},
        {"pointSmooth", &s.pointSmooth},
        {"lineWidth10", &s.lineWidth10},
        {"pointSize10", &s.pointSize10},
        {"fog", &s.fog},
        {"fogMode", &s.fogMode},
        {"shade", &s.shadeModel},
    };
    for (int u = 0; u < drawStateUnits; ++u) {
        TextureUnitState& t = s.units[u];
        const char prefix[4] = {'u', static_cast<char>('0' + u), '.', '\0'};
        for (auto [name, value] : std::initializer_list<std::pair<const char*, int*>>{
                 {"format", &t.internalFormat},
                 {"pot", &t.powerOfTwo},
                 {"mip", &t.mipmapped},
                 {"min", &t.minFilter},
                 {"mag", &t.magFilter},
                 {"wrapS", &t.wrapS},
                 {"wrapT", &t.wrapT},
                 {"compare", &t.compareMode},
                 {"on", &t.enabled},
                 {"env", &t.envMode},
                 {"texMatrix", &t.textureMatrix}})
            n.emplace_back(std::string(prefix).append(name), value);
    }
    return n;
}

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

// The units this driver has, up to the ones a state records.
int unitsToRead()
{
    return std::min(drawStateUnits, std::max(1, integer(GL_MAX_TEXTURE_UNITS_ARB)));
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

// The recorder's distinct states, in the order first seen.
std::vector<GlDrawState>* recorded = nullptr;

void recordDraw(GLenum mode, unsigned layout)
{
    GlDrawState state = readDrawState(mode, layout);
    if (std::find(recorded->begin(), recorded->end(), state) == recorded->end())
        recorded->push_back(std::move(state));
}

} // namespace

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
    for (int u = 0; u < unitsToRead(); ++u) {
        gl::glActiveTextureARB(static_cast<GLenum>(GL_TEXTURE0_ARB + u));
        readUnit(s.units[u], fixedFunction);
    }
    gl::glActiveTextureARB(static_cast<GLenum>(active));
    return s;
}

std::string formatDrawState(const GlDrawState& state)
{
    GlDrawState s = state, defaults;
    std::string line = "program=" + (s.program.empty() ? std::string("-") : s.program);
    line += " layout=" + std::to_string(s.layout);
    if (!s.samplers.empty())
        line += " samplers=" + s.samplers;
    const auto defaultNumbers = numbers(defaults);
    const auto stateNumbers = numbers(s);
    for (std::size_t i = 0; i < stateNumbers.size(); ++i)
        if (*stateNumbers[i].second != *defaultNumbers[i].second)
            line += " " + stateNumbers[i].first + "=" + std::to_string(*stateNumbers[i].second);
    return line;
}

bool parseDrawState(const std::string& line, GlDrawState& state)
{
    GlDrawState s;
    auto fields = numbers(s);
    std::istringstream words(line);
    std::string word;
    bool programSeen = false, layoutSeen = false;
    while (words >> word) {
        const std::size_t eq = word.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == word.size())
            return false;
        const std::string name = word.substr(0, eq), value = word.substr(eq + 1);
        if (name == "program") {
            s.program = value == "-" ? "" : value;
            programSeen = true;
            continue;
        }
        if (name == "samplers") {
            s.samplers = value;
            continue;
        }
        char* end = nullptr;
        const long number = std::strtol(value.c_str(), &end, 10);
        if (*end != '\0' || number < -(1L << 30) || number > (1L << 30))
            return false;
        if (name == "layout") {
            s.layout = static_cast<unsigned>(number);
            layoutSeen = true;
            continue;
        }
        auto field = std::find_if(fields.begin(), fields.end(), [&](const auto& f) { return f.first == name; });
        if (field == fields.end())
            return false;
        *field->second = static_cast<int>(number);
    }
    if (!programSeen || !layoutSeen)
        return false;
    state = std::move(s);
    return true;
}

DrawStateScope::DrawStateScope(const GlDrawState& state) : state(state), units(unitsToRead())
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

void startRecordingDrawStates()
{
    static std::vector<GlDrawState> states;
    states.clear();
    recorded = &states;
    drawListener = recordDraw;
}

bool stopRecordingDrawStates(const char* path, int* unknownToWarmUp)
{
    drawListener = nullptr;
    if (!recorded)
        return false;
    const std::vector<GlDrawState>& known = warmUpDrawStates();
    int unknown = 0;
    std::string text;
    for (const GlDrawState& s : *recorded) {
        text += formatDrawState(s) + "\n";
        unknown += std::find(known.begin(), known.end(), s) == known.end();
    }
    recorded = nullptr;
    if (unknownToWarmUp)
        *unknownToWarmUp = unknown;
    // Written beside and renamed, so the file is either whole or not there.
    const std::string partial = std::string(path) + ".partial";
    std::FILE* file = std::fopen(partial.c_str(), "w");
    if (!file)
        return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (std::fclose(file) != 0 || !written || std::rename(partial.c_str(), path) != 0) {
        std::remove(partial.c_str());
        return false;
    }
    return true;
}
