// Drawing in the browser's OpenGL 1.x: glBegin/glEnd and client arrays gather vertices, which go
// to WebGL in one buffer per draw. GL_QUADS become indexed triangles, quad strips triangle strips
// and polygons fans; wide or smooth lines become quads two pixels of which fade at the edges;
// smooth points are cut round. Without a program of the show's, a generated program stands in for
// the fixed-function pipeline the show uses: colour, two texture units with their environment
// modes, the texture matrices, fog, the clip plane and the alpha test. Lighting is left to the
// show's own programs, which read light 0 and the material (gl_programs.cpp).
#include "platform/web/gl_context.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>

namespace webgl {

namespace {

// One vertex as the buffer holds it.
struct Vertex {
    float position[4];
    float color[4];
    float normal[3];
    float texCoord[vertexTexCoordUnits][4];
    float other[4]; // wide lines: the other end of the segment
    float side;     // wide lines: -1 or +1
};

constexpr int fixedUnits = 2; // the texture units the fixed-function stand-in combines

std::vector<Vertex>& begun()
{
    static std::vector<Vertex> vertices;
    return vertices;
}
GLenum beginMode = GL_POINTS;

Vertex currentVertex(float x, float y, float z, float w)
{
    const FixedState& s = context().state;
    Vertex v;
    v.position[0] = x, v.position[1] = y, v.position[2] = z, v.position[3] = w;
    std::memcpy(v.color, s.color, sizeof v.color);
    std::memcpy(v.normal, s.normal, sizeof v.normal);
    std::memcpy(v.texCoord, s.texCoord, sizeof v.texCoord);
    std::memset(v.other, 0, sizeof v.other);
    v.side = 0;
    return v;
}

// ---- the fixed-function stand-in ------------------------------------------------------------

enum class Primitive { Triangles, Points, Lines, WideLines };

struct FixedKey {
    int stage[fixedUnits] = {}; // 0 off, else the environment mode
    int format[fixedUnits] = {}; // 0 has alpha, 1 has none (RGB, luminance), 2 alpha only
    int fog = 0;                 // 0 off, else the mode
    bool clip = false, alphaTest = false, smooth = false;
    Primitive primitive = Primitive::Triangles;
    auto tied() const
    {
        return std::tie(stage[0], stage[1], format[0], format[1], fog, clip, alphaTest, smooth, primitive);
    }
    bool operator<(const FixedKey& o) const { return tied() < o.tied(); }
};

struct FixedProgram {
    GLuint program = 0;
    GLint modelview = -1, projection = -1, texMatrix[fixedUnits] = {-1, -1}, sampler[fixedUnits] = {-1, -1};
    GLint pointSize = -1, lineWidth = -1, viewport = -1, clipPlane = -1;
    GLint fogColor = -1, fogParams = -1, alphaFunc = -1, alphaRef = -1;
};

std::string fixedVertexShader(const FixedKey& k)
{
    std::string s = "#version 300 es\nprecision highp float;\n"
                    "in vec4 aVertex; in vec4 aColor; in vec4 aTex0; in vec4 aTex1; in vec4 aOther; in float aSide;\n"
                    "uniform mat4 uModelview, uProjection, uTexMatrix0, uTexMatrix1;\n"
                    "uniform float uPointSize, uLineWidth; uniform vec2 uViewport; uniform vec4 uClipPlane;\n"
                    "out vec4 vColor; out vec4 vTex0; out vec4 vTex1; out float vFog; out float vClip; out float vSide;\n"
                    "void main()\n{\n"
                    "    vec4 eye = uModelview * aVertex;\n"
                    "    gl_Position = uProjection * eye;\n";
    if (k.primitive == Primitive::WideLines)
        s += "    vec4 other = uProjection * (uModelview * aOther);\n"
             "    vec2 half_ = uViewport * 0.5;\n"
             "    vec2 d = (other.xy / other.w - gl_Position.xy / gl_Position.w) * half_;\n"
             "    d = length(d) > 1e-6 ? normalize(d) : vec2(1.0, 0.0);\n"
             "    float extent = uLineWidth * 0.5 + (" + std::string(k.smooth ? "0.5" : "0.0") + ");\n"
             "    gl_Position.xy += vec2(-d.y, d.x) * aSide * extent / half_ * gl_Position.w;\n"
             "    vSide = aSide * extent;\n";
    else
        s += "    vSide = 0.0;\n";
    s += std::string("    gl_PointSize = uPointSize") + (k.smooth ? " + 1.0" : "") + ";\n" +
         "    vColor = aColor;\n"
         "    vTex0 = uTexMatrix0 * aTex0;\n"
         "    vTex1 = uTexMatrix1 * aTex1;\n"
         "    vFog = abs(eye.z);\n"
         "    vClip = dot(eye, uClipPlane);\n"
         "}\n";
    return s;
}

// The texture environment of one unit applied to `c`, for the texel `t`.
std::string stageCode(int unit, int mode, int format)
{
    const std::string t = "t" + std::to_string(unit);
    std::string s = "    vec4 " + t + " = textureProj(uTex" + std::to_string(unit) + ", vTex" + std::to_string(unit) + ");\n";
    const bool alphaOnly = format == 2, noAlpha = format == 1;
    switch (mode) {
    case GL_REPLACE:
        if (alphaOnly)
            s += "    c.a = " + t + ".a;\n";
        else if (noAlpha)
            s += "    c.rgb = " + t + ".rgb;\n";
        else
            s += "    c = " + t + ";\n";
        break;
    case GL_ADD:
        if (!alphaOnly)
            s += "    c.rgb = min(c.rgb + " + t + ".rgb, 1.0);\n";
        s += "    c.a *= " + t + ".a;\n";
        break;
    case GL_DECAL:
        if (noAlpha)
            s += "    c.rgb = " + t + ".rgb;\n";
        else if (!alphaOnly)
            s += "    c.rgb = mix(c.rgb, " + t + ".rgb, " + t + ".a);\n";
        break;
    default: // GL_MODULATE
        if (alphaOnly)
            s += "    c.a *= " + t + ".a;\n";
        else
            s += "    c *= " + t + ";\n";
        break;
    }
    return s;
}

std::string fixedFragmentShader(const FixedKey& k)
{
    std::string s = "#version 300 es\nprecision highp float;\n"
                    "in vec4 vColor; in vec4 vTex0; in vec4 vTex1; in float vFog; in float vClip; in float vSide;\n"
                    "uniform sampler2D uTex0, uTex1; uniform vec4 uFogColor; uniform vec3 uFogParams;\n"
                    "uniform int uAlphaFunc; uniform float uAlphaRef, uPointSize, uLineWidth;\n"
                    "out vec4 fragColor;\n"
                    "void main()\n{\n";
    if (k.clip)
        s += "    if (vClip < 0.0) discard;\n";
    s += "    vec4 c = vColor;\n";
    for (int unit = 0; unit < fixedUnits; ++unit)
        if (k.stage[unit])
            s += stageCode(unit, k.stage[unit], k.format[unit]);
    if (k.primitive == Primitive::Points && k.smooth)
        s += "    float r = length(gl_PointCoord - 0.5) * (uPointSize + 1.0);\n"
             "    c.a *= clamp(uPointSize * 0.5 + 0.5 - r, 0.0, 1.0);\n";
    if (k.primitive == Primitive::WideLines && k.smooth)
        s += "    float extent = uLineWidth * 0.5 + 0.5;\n"
             "    c.a *= clamp(extent - abs(vSide), 0.0, 1.0);\n";
    if (k.alphaTest)
        s += "    bool pass = uAlphaFunc == 0x0207 || (uAlphaFunc == 0x0201 && c.a < uAlphaRef) ||\n"
             "        (uAlphaFunc == 0x0202 && c.a == uAlphaRef) || (uAlphaFunc == 0x0203 && c.a <= uAlphaRef) ||\n"
             "        (uAlphaFunc == 0x0204 && c.a > uAlphaRef) || (uAlphaFunc == 0x0205 && c.a != uAlphaRef) ||\n"
             "        (uAlphaFunc == 0x0206 && c.a >= uAlphaRef);\n"
             "    if (!pass) discard;\n";
    if (k.fog == GL_LINEAR)
        s += "    float f = clamp((uFogParams.y - vFog) / (uFogParams.y - uFogParams.x), 0.0, 1.0);\n";
    else if (k.fog == GL_EXP)
        s += "    float f = clamp(exp(-uFogParams.z * vFog), 0.0, 1.0);\n";
    else if (k.fog == GL_EXP2)
        s += "    float f = clamp(exp(-(uFogParams.z * vFog) * (uFogParams.z * vFog)), 0.0, 1.0);\n";
    if (k.fog)
        s += "    c.rgb = mix(uFogColor.rgb, c.rgb, f);\n";
    s += "    fragColor = c;\n}\n";
    return s;
}

GLuint compile(GLenum type, const std::string& source)
{
    const GLuint shader = emscripten_glCreateShader(type);
    const char* text = source.c_str();
    emscripten_glShaderSource(shader, 1, &text, nullptr);
    emscripten_glCompileShader(shader);
    GLint ok = 0;
    emscripten_glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    if (!ok) {
        char log[2048] = {};
        emscripten_glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "The fixed-function stand-in does not compile: %s\n%s\n", log, source.c_str());
    }
    return shader;
}

const FixedProgram& fixedProgram(const FixedKey& key)
{
    static std::map<FixedKey, FixedProgram> programs;
    auto found = programs.find(key);
    if (found != programs.end())
        return found->second;
    FixedProgram p;
    p.program = emscripten_glCreateProgram();
    const GLuint vs = compile(GL_VERTEX_SHADER, fixedVertexShader(key));
    const GLuint fs = compile(GL_FRAGMENT_SHADER, fixedFragmentShader(key));
    emscripten_glAttachShader(p.program, vs);
    emscripten_glAttachShader(p.program, fs);
    static const char* const names[] = {"aVertex", "aColor", nullptr, "aTex0", "aTex1", nullptr, nullptr, "aOther", "aSide"};
    for (GLuint i = 0; i < 9; ++i)
        if (names[i])
            emscripten_glBindAttribLocation(p.program, i, names[i]);
    emscripten_glLinkProgram(p.program);
    emscripten_glDeleteShader(vs);
    emscripten_glDeleteShader(fs);
    auto at = [&](const char* name) { return emscripten_glGetUniformLocation(p.program, name); };
    p.modelview = at("uModelview");
    p.projection = at("uProjection");
    p.texMatrix[0] = at("uTexMatrix0");
    p.texMatrix[1] = at("uTexMatrix1");
    p.sampler[0] = at("uTex0");
    p.sampler[1] = at("uTex1");
    p.pointSize = at("uPointSize");
    p.lineWidth = at("uLineWidth");
    p.viewport = at("uViewport");
    p.clipPlane = at("uClipPlane");
    p.fogColor = at("uFogColor");
    p.fogParams = at("uFogParams");
    p.alphaFunc = at("uAlphaFunc");
    p.alphaRef = at("uAlphaRef");
    return programs.emplace(key, p).first->second;
}

int formatClass(GLuint texture)
{
    if (!texture)
        return 0;
    switch (textureInfo(texture).baseFormat) {
    case GL_RGB:
    case GL_LUMINANCE:
    case GL_DEPTH_COMPONENT: return 1;
    case GL_ALPHA: return 2;
    default: return 0;
    }
}

void useFixedProgram(Primitive primitive)
{
    const Context& c = context();
    const FixedState& s = c.state;
    FixedKey key;
    for (int unit = 0; unit < fixedUnits; ++unit)
        if (s.texture2D[unit] && s.boundTexture[unit]) {
            key.stage[unit] = static_cast<int>(s.envMode[unit]);
            key.format[unit] = formatClass(s.boundTexture[unit]);
        }
    key.fog = s.fog ? static_cast<int>(s.fogMode) : 0;
    key.clip = s.clipPlane0;
    key.alphaTest = s.alphaTest && s.alphaFunc != GL_ALWAYS;
    key.primitive = primitive;
    key.smooth = (primitive == Primitive::Points && s.pointSmooth) || (primitive == Primitive::WideLines && s.lineSmooth);
    const FixedProgram& p = fixedProgram(key);
    useProgram(p.program);
    sendUniformMatrix(p.modelview, c.modelview.top().m, 4);
    sendUniformMatrix(p.projection, c.projection.top().m, 4);
    for (int unit = 0; unit < fixedUnits; ++unit) {
        sendUniformMatrix(p.texMatrix[unit], c.texture[unit].top().m, 4);
        sendUniformInt(p.sampler[unit], unit);
    }
    sendUniformFloats(p.pointSize, &s.pointSize, 1);
    sendUniformFloats(p.lineWidth, &s.lineWidth, 1);
    const float viewport[2] = {static_cast<float>(s.viewport[2]), static_cast<float>(s.viewport[3])};
    sendUniformFloats(p.viewport, viewport, 2);
    sendUniformFloats(p.clipPlane, s.clipPlane, 4);
    sendUniformFloats(p.fogColor, s.fogColor, 4);
    const float fog[3] = {s.fogStart, s.fogEnd, s.fogDensity};
    sendUniformFloats(p.fogParams, fog, 3);
    sendUniformInt(p.alphaFunc, static_cast<GLint>(s.alphaFunc));
    sendUniformFloats(p.alphaRef, &s.alphaRef, 1);
}

// ---- buffers --------------------------------------------------------------------------------

struct Buffers {
    GLuint vertexArray = 0, vertices = 0;
};

Buffers& buffers()
{
    static Buffers b;
    if (b.vertexArray)
        return b;
    emscripten_glGenVertexArrays(1, &b.vertexArray);
    emscripten_glGenBuffers(1, &b.vertices);
    // The one vertex array the layer draws with stays bound from here on; the element buffer
    // binding is its own (a new array has none).
    emscripten_glBindVertexArray(b.vertexArray);
    shadow().elementBuffer.forget();
    sendBindBuffer(GL_ARRAY_BUFFER, b.vertices);
    const auto stride = static_cast<GLsizei>(sizeof(Vertex));
    auto attribute = [&](GLuint index, int size, size_t offset) {
        emscripten_glEnableVertexAttribArray(index);
        emscripten_glVertexAttribPointer(index, size, GL_FLOAT, GL_FALSE, stride, reinterpret_cast<const void*>(offset));
    };
    attribute(attribVertex, 4, offsetof(Vertex, position));
    attribute(attribColor, 4, offsetof(Vertex, color));
    attribute(attribNormal, 3, offsetof(Vertex, normal));
    for (int unit = 0; unit < vertexTexCoordUnits; ++unit)
        attribute(attribTexCoord0 + unit, 4, offsetof(Vertex, texCoord) + unit * 4 * sizeof(float));
    attribute(attribOther, 4, offsetof(Vertex, other));
    attribute(attribSide, 1, offsetof(Vertex, side));
    return b;
}

// Segments of a line primitive as quads: each end twice, on both sides, facing the other end.
// Indices that repeat one pattern every four vertices (a quad as two triangles, a wide line's
// segment as a quad), in a buffer of their own that only grows: uploaded once, not with each draw.
struct PatternIndices {
    uint32_t pattern[6];
    GLuint buffer = 0;
    size_t groups = 0;
};
PatternIndices quadIndices{{0, 1, 2, 0, 2, 3}}, segmentIndices{{0, 1, 2, 2, 1, 3}};

// Binds `p`'s buffer (to the layer's vertex array), holding at least `groups` groups of four.
void bindPattern(PatternIndices& p, size_t groups)
{
    if (!p.buffer)
        emscripten_glGenBuffers(1, &p.buffer);
    sendBindBuffer(GL_ELEMENT_ARRAY_BUFFER, p.buffer);
    if (groups <= p.groups)
        return;
    const size_t grown = std::max({groups, p.groups * 2, size_t{1024}});
    std::vector<uint32_t> indices;
    indices.reserve(grown * 6);
    for (size_t g = 0; g < grown; ++g)
        for (uint32_t i : p.pattern)
            indices.push_back(static_cast<uint32_t>(g * 4) + i);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices.size() * sizeof(uint32_t)),
                            indices.data(), GL_STATIC_DRAW);
    p.groups = grown;
}

void lineQuads(GLenum mode, const std::vector<Vertex>& in, std::vector<Vertex>& out)
{
    auto segment = [&](const Vertex& a, const Vertex& b) {
        for (const Vertex* end : {&a, &b})
            for (float side : {-1.0f, 1.0f}) {
                Vertex v = *end;
                const Vertex& other = end == &a ? b : a;
                std::memcpy(v.other, other.position, sizeof v.other);
                // The far end sees the segment turned round: its sides swap.
                v.side = end == &a ? side : -side;
                out.push_back(v);
            }
    };
    const size_t n = in.size();
    if (mode == GL_LINES) {
        for (size_t i = 0; i + 1 < n; i += 2)
            segment(in[i], in[i + 1]);
        return;
    }
    for (size_t i = 0; i + 1 < n; ++i)
        segment(in[i], in[i + 1]);
    if (mode == GL_LINE_LOOP && n > 2)
        segment(in[n - 1], in[0]);
}

void submit(GLenum mode, const std::vector<Vertex>& vertices)
{
    if (vertices.empty())
        return;
    const Context& c = context();
    const FixedState& s = c.state;
    const bool line = mode == GL_LINES || mode == GL_LINE_STRIP || mode == GL_LINE_LOOP;
    const bool wide = line && !c.program && (s.lineWidth > 1.0f || s.lineSmooth);

    static std::vector<Vertex> expanded;
    expanded.clear();
    const std::vector<Vertex>* data = &vertices;
    GLenum drawMode = mode;
    size_t count = vertices.size();
    PatternIndices* pattern = nullptr; // indexed by groups of four vertices
    if (wide) {
        lineQuads(mode, vertices, expanded);
        data = &expanded;
        drawMode = GL_TRIANGLES;
        pattern = &segmentIndices;
        count = expanded.size() / 4;
    } else if (mode == GL_QUADS) {
        // A quad short of its four vertices draws nothing, as in GL.
        drawMode = GL_TRIANGLES;
        pattern = &quadIndices;
        count /= 4;
    } else if (mode == GL_QUAD_STRIP) {
        // Quad strips and triangle strips share their vertex order.
        drawMode = GL_TRIANGLE_STRIP;
        count &= ~size_t{1};
    } else if (mode == GL_POLYGON) {
        drawMode = GL_TRIANGLE_FAN;
    }
    if (data->empty() || count == 0)
        return;

    if (c.program) {
        if (!prepareShowProgram(c.program))
            return;
    } else {
        const Primitive primitive = mode == GL_POINTS ? Primitive::Points
                                    : wide            ? Primitive::WideLines
                                    : line            ? Primitive::Lines
                                                      : Primitive::Triangles;
        useFixedProgram(primitive);
    }
    const Buffers& b = buffers();
    sendBindBuffer(GL_ARRAY_BUFFER, b.vertices);
    emscripten_glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(data->size() * sizeof(Vertex)), data->data(),
                            GL_STREAM_DRAW);
    if (pattern) {
        bindPattern(*pattern, count);
        emscripten_glDrawElements(drawMode, static_cast<GLsizei>(count * 6), GL_UNSIGNED_INT, nullptr);
    } else {
        emscripten_glDrawArrays(drawMode, 0, static_cast<GLsizei>(count));
    }
}

// Reads component `i` of element `index` of a client array, or `fallback` past its size.
float arrayValue(const ClientArray& a, int index, int i, float fallback)
{
    if (i >= a.size)
        return fallback;
    const int typeSize = a.type == GL_FLOAT ? 4 : a.type == GL_UNSIGNED_BYTE ? 1 : a.type == GL_DOUBLE ? 8 : 4;
    const int stride = a.stride ? a.stride : a.size * typeSize;
    const auto* base = static_cast<const uint8_t*>(a.pointer) + static_cast<size_t>(index) * stride;
    switch (a.type) {
    case GL_UNSIGNED_BYTE: return base[i] / 255.0f;
    case GL_DOUBLE: {
        double d;
        std::memcpy(&d, base + i * 8, 8);
        return static_cast<float>(d);
    }
    case GL_INT: {
        int32_t v;
        std::memcpy(&v, base + i * 4, 4);
        return static_cast<float>(v);
    }
    default: {
        float f;
        std::memcpy(&f, base + i * 4, 4);
        return f;
    }
    }
}

} // namespace

void drawClientArrays(GLenum mode, int first, int count)
{
    const ClientState& client = context().client;
    if (!client.vertex.enabled || !client.vertex.pointer || count <= 0)
        return;
    static std::vector<Vertex> vertices;
    vertices.clear();
    for (int i = first; i < first + count; ++i) {
        const ClientArray& p = client.vertex;
        Vertex v = currentVertex(arrayValue(p, i, 0, 0), arrayValue(p, i, 1, 0), arrayValue(p, i, 2, 0), arrayValue(p, i, 3, 1));
        if (client.color.enabled && client.color.pointer)
            for (int k = 0; k < 4; ++k)
                v.color[k] = arrayValue(client.color, i, k, 1.0f);
        if (client.normal.enabled && client.normal.pointer)
            for (int k = 0; k < 3; ++k)
                v.normal[k] = arrayValue(client.normal, i, k, 0.0f);
        for (int unit = 0; unit < vertexTexCoordUnits; ++unit) {
            const ClientArray& t = client.texCoord[unit];
            if (t.enabled && t.pointer)
                for (int k = 0; k < 4; ++k)
                    v.texCoord[unit][k] = arrayValue(t, i, k, k == 3 ? 1.0f : 0.0f);
        }
        vertices.push_back(v);
    }
    submit(mode, vertices);
}

} // namespace webgl

using namespace webgl;

extern "C" {

void glBegin(GLenum mode)
{
    begun().clear();
    beginMode = mode;
    context().inBegin = true;
}

void glEnd()
{
    context().inBegin = false;
    submit(beginMode, begun());
    begun().clear();
}

void glVertex4f(GLfloat x, GLfloat y, GLfloat z, GLfloat w) { begun().push_back(currentVertex(x, y, z, w)); }
void glVertex3f(GLfloat x, GLfloat y, GLfloat z) { glVertex4f(x, y, z, 1.0f); }
void glVertex2f(GLfloat x, GLfloat y) { glVertex4f(x, y, 0.0f, 1.0f); }
void glVertex2i(GLint x, GLint y) { glVertex4f(static_cast<float>(x), static_cast<float>(y), 0.0f, 1.0f); }
void glVertex3fv(const GLfloat* v) { glVertex4f(v[0], v[1], v[2], 1.0f); }
void glVertex2fv(const GLfloat* v) { glVertex4f(v[0], v[1], 0.0f, 1.0f); }

void glEnableClientState(GLenum array)
{
    ClientState& c = context().client;
    switch (array) {
    case GL_VERTEX_ARRAY: c.vertex.enabled = true; break;
    case GL_COLOR_ARRAY: c.color.enabled = true; break;
    case GL_NORMAL_ARRAY: c.normal.enabled = true; break;
    case GL_TEXTURE_COORD_ARRAY: c.texCoord[c.clientActiveUnit].enabled = true; break;
    default: break;
    }
}

void glDisableClientState(GLenum array)
{
    ClientState& c = context().client;
    switch (array) {
    case GL_VERTEX_ARRAY: c.vertex.enabled = false; break;
    case GL_COLOR_ARRAY: c.color.enabled = false; break;
    case GL_NORMAL_ARRAY: c.normal.enabled = false; break;
    case GL_TEXTURE_COORD_ARRAY: c.texCoord[c.clientActiveUnit].enabled = false; break;
    default: break;
    }
}

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    context().client.vertex = {context().client.vertex.enabled, size, type, stride, pointer};
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    context().client.color = {context().client.color.enabled, size, type, stride, pointer};
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer)
{
    context().client.normal = {context().client.normal.enabled, 3, type, stride, pointer};
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer)
{
    ClientState& c = context().client;
    ClientArray& a = c.texCoord[c.clientActiveUnit];
    a = {a.enabled, size, type, stride, pointer};
}

void glDrawArrays(GLenum mode, GLint first, GLsizei count) { drawClientArrays(mode, first, count); }

void glMultiDrawArrays(GLenum mode, const GLint* first, const GLsizei* count, GLsizei drawCount)
{
    for (GLsizei i = 0; i < drawCount; ++i)
        drawClientArrays(mode, first[i], count[i]);
}

} // extern "C"
