// The browser's OpenGL 1.x state calls: enables, per-fragment state, matrices, light, material,
// fog, the clip plane, textures, attribute stacks and queries. Fixed-function state is kept here
// and reaches WebGL when something is drawn; what WebGL has as it is goes to it at once too, so
// that clears and frame-buffer work see it.
#include "platform/web/gl_context.h"

#include <GL/glu.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>

namespace webgl {

namespace {

std::unordered_map<GLuint, TextureInfo>& textures()
{
    static std::unordered_map<GLuint, TextureInfo> map;
    return map;
}

bool* enableFlag(GLenum cap)
{
    FixedState& s = context().state;
    switch (cap) {
    case GL_BLEND: return &s.blend;
    case GL_DEPTH_TEST: return &s.depthTest;
    case GL_CULL_FACE: return &s.cullFace;
    case GL_SCISSOR_TEST: return &s.scissorTest;
    case GL_POLYGON_OFFSET_FILL: return &s.polygonOffsetFill;
    case GL_ALPHA_TEST: return &s.alphaTest;
    case GL_FOG: return &s.fog;
    case GL_CLIP_PLANE0: return &s.clipPlane0;
    case GL_LINE_SMOOTH: return &s.lineSmooth;
    case GL_POINT_SMOOTH: return &s.pointSmooth;
    case GL_LIGHTING: return &s.lighting;
    case GL_LIGHT0: return &s.light0;
    case GL_POINT_SPRITE_ARB: return &s.pointSprite;
    case GL_RASTERIZER_DISCARD: return &s.rasterizerDiscard;
    case GL_TEXTURE_2D: return &s.texture2D[s.activeUnit];
    default: return nullptr;
    }
}

// The enables WebGL has itself.
bool isWebGlCapability(GLenum cap)
{
    return cap == GL_BLEND || cap == GL_DEPTH_TEST || cap == GL_CULL_FACE || cap == GL_SCISSOR_TEST ||
           cap == GL_POLYGON_OFFSET_FILL || cap == GL_RASTERIZER_DISCARD;
}

void setEnabled(GLenum cap, bool on)
{
    bool* flag = enableFlag(cap);
    if (!flag)
        return; // hints of older drivers (GL_NORMALIZE, GL_COLOR_MATERIAL ...) change nothing drawn here
    *flag = on;
    if (isWebGlCapability(cap))
        sendEnable(cap, on);
}

void applyTextureFilters(const TextureInfo& info)
{
    // Depth textures cannot be filtered in WebGL without a comparison: read them as they are.
    if (info.baseFormat == GL_DEPTH_COMPONENT) {
        emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    }
}

void texParameter(GLenum target, GLenum name, GLint value)
{
    if (target != GL_TEXTURE_2D)
        return;
    TextureInfo* info = boundTextureInfo();
    switch (name) {
    case GL_GENERATE_MIPMAP:
        if (info)
            info->generateMipmap = value != 0;
        return;
    case GL_TEXTURE_WRAP_S:
    case GL_TEXTURE_WRAP_T:
        if (value == GL_CLAMP)
            value = GL_CLAMP_TO_EDGE;
        break;
    case GL_TEXTURE_MIN_FILTER:
    case GL_TEXTURE_MAG_FILTER:
        if (info && info->baseFormat == GL_DEPTH_COMPONENT)
            return;
        break;
    case GL_TEXTURE_COMPARE_MODE:
    case GL_TEXTURE_COMPARE_FUNC:
        break;
    default:
        return; // priorities, depth texture modes: nothing WebGL knows
    }
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

int bytesPerPixel(GLenum format)
{
    switch (format) {
    case GL_RGBA: return 4;
    case GL_RGB: return 3;
    case GL_LUMINANCE_ALPHA: return 2;
    default: return 1;
    }
}

GLenum baseFormatOf(GLint internalFormat, GLenum format)
{
    switch (internalFormat) {
    case 4: case GL_RGBA: case GL_RGBA8: return GL_RGBA;
    case 3: case GL_RGB: case GL_RGB8: return GL_RGB;
    case 1: case GL_LUMINANCE: case GL_LUMINANCE8: return GL_LUMINANCE;
    case 2: case GL_LUMINANCE_ALPHA: case GL_LUMINANCE8_ALPHA8: return GL_LUMINANCE_ALPHA;
    case GL_ALPHA: case GL_ALPHA8: return GL_ALPHA;
    case GL_DEPTH_COMPONENT: case GL_DEPTH_COMPONENT16: case GL_DEPTH_COMPONENT24: case GL_DEPTH_COMPONENT32:
        return GL_DEPTH_COMPONENT;
    default: return format;
    }
}

// One texel of `format` read as RGBA, the way GL widens client pixels.
void widen(const uint8_t* in, GLenum format, uint8_t out[4])
{
    switch (format) {
    case GL_RGBA: std::memcpy(out, in, 4); return;
    case GL_RGB: out[0] = in[0], out[1] = in[1], out[2] = in[2], out[3] = 255; return;
    case GL_LUMINANCE: out[0] = out[1] = out[2] = in[0], out[3] = 255; return;
    case GL_LUMINANCE_ALPHA: out[0] = out[1] = out[2] = in[0], out[3] = in[1]; return;
    case GL_ALPHA: out[0] = out[1] = out[2] = 0, out[3] = in[0]; return;
    default: out[0] = out[1] = out[2] = out[3] = 0; return;
    }
}

// Pixels of `format` rewritten as `base` (WebGL takes unsized formats only as their own).
std::vector<uint8_t> convertPixels(const uint8_t* pixels, int width, int height, GLenum format, GLenum base, int alignment)
{
    const int inBytes = bytesPerPixel(format), outBytes = bytesPerPixel(base);
    const int rowBytes = (width * inBytes + alignment - 1) / alignment * alignment;
    std::vector<uint8_t> out(static_cast<size_t>(width) * height * outBytes);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t rgba[4];
            widen(pixels + static_cast<size_t>(y) * rowBytes + x * inBytes, format, rgba);
            uint8_t* o = out.data() + (static_cast<size_t>(y) * width + x) * outBytes;
            switch (base) {
            case GL_RGBA: std::memcpy(o, rgba, 4); break;
            case GL_RGB: std::memcpy(o, rgba, 3); break;
            case GL_LUMINANCE_ALPHA: o[0] = rgba[0], o[1] = rgba[3]; break;
            case GL_ALPHA: o[0] = rgba[3]; break;
            default: o[0] = rgba[0]; break;
            }
        }
    return out;
}

int unpackAlignment = 4;

void loadMatrix(const Mat4& m)
{
    currentStack().top() = m;
}

void multMatrix(const Mat4& m)
{
    Mat4& top = currentStack().top();
    top = multiply(top, m);
}

template <typename T>
void copyOut(T* out, const float* values, int count)
{
    for (int i = 0; i < count; ++i)
        out[i] = static_cast<T>(values[i]);
}

// Answers from the kept state: true when `name` is one of ours.
template <typename T>
bool getKept(GLenum name, T* out)
{
    Context& c = context();
    const FixedState& s = c.state;
    float v[16];
    int n = 1;
    switch (name) {
    case GL_MODELVIEW_MATRIX: copyOut(out, c.modelview.top().m, 16); return true;
    case GL_PROJECTION_MATRIX: copyOut(out, c.projection.top().m, 16); return true;
    case GL_TEXTURE_MATRIX: copyOut(out, c.texture[s.activeUnit].top().m, 16); return true;
    case GL_MODELVIEW_STACK_DEPTH: v[0] = static_cast<float>(c.modelview.depth + 1); break;
    case GL_PROJECTION_STACK_DEPTH: v[0] = static_cast<float>(c.projection.depth + 1); break;
    case GL_ATTRIB_STACK_DEPTH: v[0] = static_cast<float>(c.attribStack.size()); break;
    case GL_MATRIX_MODE: v[0] = static_cast<float>(c.matrixMode); break;
    case GL_CURRENT_COLOR: std::copy(s.color, s.color + 4, v), n = 4; break;
    case GL_CURRENT_TEXTURE_COORDS: std::copy(s.texCoord[s.activeUnit], s.texCoord[s.activeUnit] + 4, v), n = 4; break;
    case GL_CURRENT_NORMAL: std::copy(s.normal, s.normal + 3, v), n = 3; break;
    case GL_COLOR_CLEAR_VALUE: std::copy(s.clearColor, s.clearColor + 4, v), n = 4; break;
    case GL_VIEWPORT: for (int i = 0; i < 4; ++i) v[i] = static_cast<float>(s.viewport[i]); n = 4; break;
    case GL_SCISSOR_BOX: for (int i = 0; i < 4; ++i) v[i] = static_cast<float>(s.scissor[i]); n = 4; break;
    case GL_COLOR_WRITEMASK: for (int i = 0; i < 4; ++i) v[i] = s.colorMask[i] ? 1.0f : 0.0f; n = 4; break;
    case GL_DEPTH_WRITEMASK: v[0] = s.depthMask ? 1.0f : 0.0f; break;
    case GL_DEPTH_FUNC: v[0] = static_cast<float>(s.depthFunc); break;
    case GL_BLEND_SRC: v[0] = static_cast<float>(s.blendSrc); break;
    case GL_BLEND_DST: v[0] = static_cast<float>(s.blendDst); break;
    case GL_CULL_FACE_MODE: v[0] = static_cast<float>(s.cullFaceMode); break;
    case GL_POLYGON_OFFSET_FACTOR: v[0] = s.offsetFactor; break;
    case GL_POLYGON_OFFSET_UNITS: v[0] = s.offsetUnits; break;
    case GL_ALPHA_TEST_FUNC: v[0] = static_cast<float>(s.alphaFunc); break;
    case GL_ALPHA_TEST_REF: v[0] = s.alphaRef; break;
    case GL_LINE_WIDTH: v[0] = s.lineWidth; break;
    case GL_POINT_SIZE: v[0] = s.pointSize; break;
    case GL_SHADE_MODEL: v[0] = static_cast<float>(s.shadeModel); break;
    case GL_FOG_MODE: v[0] = static_cast<float>(s.fogMode); break;
    case GL_FOG_DENSITY: v[0] = s.fogDensity; break;
    case GL_FOG_START: v[0] = s.fogStart; break;
    case GL_FOG_END: v[0] = s.fogEnd; break;
    case GL_FOG_COLOR: std::copy(s.fogColor, s.fogColor + 4, v), n = 4; break;
    case GL_ACTIVE_TEXTURE: v[0] = static_cast<float>(GL_TEXTURE0 + s.activeUnit); break;
    case GL_CLIENT_ACTIVE_TEXTURE: v[0] = static_cast<float>(GL_TEXTURE0 + c.client.clientActiveUnit); break;
    case GL_TEXTURE_BINDING_2D: v[0] = static_cast<float>(s.boundTexture[s.activeUnit]); break;
    case GL_CURRENT_PROGRAM: v[0] = static_cast<float>(c.program); break;
    case GL_MAX_TEXTURE_UNITS: v[0] = static_cast<float>(textureUnits); break;
    case GL_FRAMEBUFFER_BINDING: v[0] = static_cast<float>(c.framebuffer); break;
    case GL_ARRAY_BUFFER_BINDING:
    case GL_ELEMENT_ARRAY_BUFFER_BINDING: v[0] = 0; break; // the show's arrays are always client memory
    default:
        if (bool* flag = enableFlag(name)) {
            v[0] = *flag ? 1.0f : 0.0f;
            break;
        }
        return false;
    }
    copyOut(out, v, n);
    return true;
}

} // namespace

Context& context()
{
    static Context c;
    return c;
}

MatrixStack& currentStack()
{
    Context& c = context();
    switch (c.matrixMode) {
    case GL_PROJECTION: return c.projection;
    case GL_TEXTURE: return c.texture[c.state.activeUnit];
    default: return c.modelview;
    }
}

TextureInfo& textureInfo(GLuint texture) { return textures()[texture]; }

TextureInfo* boundTextureInfo()
{
    const FixedState& s = context().state;
    const GLuint bound = s.boundTexture[s.activeUnit];
    return bound ? &textureInfo(bound) : nullptr;
}

void forgetTexture(GLuint texture) { textures().erase(texture); }

void setError(GLenum error)
{
    if (context().error == GL_NO_ERROR)
        context().error = error;
}

WebGlShadow& shadow()
{
    static WebGlShadow s;
    return s;
}

void sendEnable(GLenum cap, bool on)
{
    if (!shadow().enable(cap, on))
        return;
    if (on)
        emscripten_glEnable(cap);
    else
        emscripten_glDisable(cap);
}

void sendActiveTexture(int unit)
{
    if (shadow().activeTexture(unit))
        emscripten_glActiveTexture(GL_TEXTURE0 + static_cast<GLenum>(unit));
}

void sendBindTexture(GLuint texture)
{
    if (shadow().bindTexture(texture))
        emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

void sendBindBuffer(GLenum target, GLuint buffer)
{
    if (shadow().bindBuffer(target, buffer))
        emscripten_glBindBuffer(target, buffer);
}

namespace {

void sendBlendFunc(GLenum src, GLenum dst)
{
    if (shadow().blendFunc.set({src, dst}))
        emscripten_glBlendFunc(src, dst);
}

void sendDepthFunc(GLenum func)
{
    if (shadow().depthFunc.set(func))
        emscripten_glDepthFunc(func);
}

void sendDepthMask(bool flag)
{
    if (shadow().depthMask.set(flag))
        emscripten_glDepthMask(flag);
}

void sendColorMask(const bool m[4])
{
    if (shadow().colorMask.set({m[0], m[1], m[2], m[3]}))
        emscripten_glColorMask(m[0], m[1], m[2], m[3]);
}

void sendCullFace(GLenum mode)
{
    if (shadow().cullFace.set(mode))
        emscripten_glCullFace(mode);
}

void sendPolygonOffset(float factor, float units)
{
    if (shadow().polygonOffset.set({factor, units}))
        emscripten_glPolygonOffset(factor, units);
}

void sendViewport(const int v[4])
{
    if (shadow().viewport.set({v[0], v[1], v[2], v[3]}))
        emscripten_glViewport(v[0], v[1], v[2], v[3]);
}

void sendScissor(const int v[4])
{
    if (shadow().scissor.set({v[0], v[1], v[2], v[3]}))
        emscripten_glScissor(v[0], v[1], v[2], v[3]);
}

void sendClearColor(const float c[4])
{
    if (shadow().clearColor.set({c[0], c[1], c[2], c[3]}))
        emscripten_glClearColor(c[0], c[1], c[2], c[3]);
}

} // namespace

void applyFixedState()
{
    const FixedState& s = context().state;
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_POLYGON_OFFSET_FILL, GL_RASTERIZER_DISCARD})
        sendEnable(cap, *enableFlag(cap));
    sendBlendFunc(s.blendSrc, s.blendDst);
    sendDepthFunc(s.depthFunc);
    sendDepthMask(s.depthMask);
    sendColorMask(s.colorMask);
    sendCullFace(s.cullFaceMode);
    sendPolygonOffset(s.offsetFactor, s.offsetUnits);
    sendViewport(s.viewport);
    sendScissor(s.scissor);
    sendClearColor(s.clearColor);
    // Only the units whose binding differs are visited.
    for (int unit = textureUnits - 1; unit >= 0; --unit) {
        const Shadowed<uint32_t>& bound = shadow().textures[static_cast<size_t>(unit)];
        if (bound.known() && bound.value() == s.boundTexture[unit])
            continue;
        sendActiveTexture(unit);
        sendBindTexture(s.boundTexture[unit]);
    }
    sendActiveTexture(s.activeUnit);
}

Mat4 multiply(const Mat4& a, const Mat4& b)
{
    Mat4 r;
    for (int col = 0; col < 4; ++col)
        for (int row = 0; row < 4; ++row) {
            float sum = 0;
            for (int k = 0; k < 4; ++k)
                sum += a.m[k * 4 + row] * b.m[col * 4 + k];
            r.m[col * 4 + row] = sum;
        }
    return r;
}

bool invert(const Mat4& a, Mat4& out)
{
    const float* m = a.m;
    float inv[16];
    inv[0] = m[5] * m[10] * m[15] - m[5] * m[11] * m[14] - m[9] * m[6] * m[15] + m[9] * m[7] * m[14] + m[13] * m[6] * m[11] - m[13] * m[7] * m[10];
    inv[4] = -m[4] * m[10] * m[15] + m[4] * m[11] * m[14] + m[8] * m[6] * m[15] - m[8] * m[7] * m[14] - m[12] * m[6] * m[11] + m[12] * m[7] * m[10];
    inv[8] = m[4] * m[9] * m[15] - m[4] * m[11] * m[13] - m[8] * m[5] * m[15] + m[8] * m[7] * m[13] + m[12] * m[5] * m[11] - m[12] * m[7] * m[9];
    inv[12] = -m[4] * m[9] * m[14] + m[4] * m[10] * m[13] + m[8] * m[5] * m[14] - m[8] * m[6] * m[13] - m[12] * m[5] * m[10] + m[12] * m[6] * m[9];
    inv[1] = -m[1] * m[10] * m[15] + m[1] * m[11] * m[14] + m[9] * m[2] * m[15] - m[9] * m[3] * m[14] - m[13] * m[2] * m[11] + m[13] * m[3] * m[10];
    inv[5] = m[0] * m[10] * m[15] - m[0] * m[11] * m[14] - m[8] * m[2] * m[15] + m[8] * m[3] * m[14] + m[12] * m[2] * m[11] - m[12] * m[3] * m[10];
    inv[9] = -m[0] * m[9] * m[15] + m[0] * m[11] * m[13] + m[8] * m[1] * m[15] - m[8] * m[3] * m[13] - m[12] * m[1] * m[11] + m[12] * m[3] * m[9];
    inv[13] = m[0] * m[9] * m[14] - m[0] * m[10] * m[13] - m[8] * m[1] * m[14] + m[8] * m[2] * m[13] + m[12] * m[1] * m[10] - m[12] * m[2] * m[9];
    inv[2] = m[1] * m[6] * m[15] - m[1] * m[7] * m[14] - m[5] * m[2] * m[15] + m[5] * m[3] * m[14] + m[13] * m[2] * m[7] - m[13] * m[3] * m[6];
    inv[6] = -m[0] * m[6] * m[15] + m[0] * m[7] * m[14] + m[4] * m[2] * m[15] - m[4] * m[3] * m[14] - m[12] * m[2] * m[7] + m[12] * m[3] * m[6];
    inv[10] = m[0] * m[5] * m[15] - m[0] * m[7] * m[13] - m[4] * m[1] * m[15] + m[4] * m[3] * m[13] + m[12] * m[1] * m[7] - m[12] * m[3] * m[5];
    inv[14] = -m[0] * m[5] * m[14] + m[0] * m[6] * m[13] + m[4] * m[1] * m[14] - m[4] * m[2] * m[13] - m[12] * m[1] * m[6] + m[12] * m[2] * m[5];
    inv[3] = -m[1] * m[6] * m[11] + m[1] * m[7] * m[10] + m[5] * m[2] * m[11] - m[5] * m[3] * m[10] - m[9] * m[2] * m[7] + m[9] * m[3] * m[6];
    inv[7] = m[0] * m[6] * m[11] - m[0] * m[7] * m[10] - m[4] * m[2] * m[11] + m[4] * m[3] * m[10] + m[8] * m[2] * m[7] - m[8] * m[3] * m[6];
    inv[11] = -m[0] * m[5] * m[11] + m[0] * m[7] * m[9] + m[4] * m[1] * m[11] - m[4] * m[3] * m[9] - m[8] * m[1] * m[7] + m[8] * m[3] * m[5];
    inv[15] = m[0] * m[5] * m[10] - m[0] * m[6] * m[9] - m[4] * m[1] * m[10] + m[4] * m[2] * m[9] + m[8] * m[1] * m[6] - m[8] * m[2] * m[5];
    const float det = m[0] * inv[0] + m[1] * inv[4] + m[2] * inv[8] + m[3] * inv[12];
    if (det == 0.0f)
        return false;
    for (int i = 0; i < 16; ++i)
        out.m[i] = inv[i] / det;
    return true;
}

void normalMatrix(const Mat4& mv, float out[9])
{
    // The inverse transpose of the upper 3x3 through cofactors (the transpose of the inverse is
    // the cofactor matrix over the determinant).
    const float* m = mv.m;
    const float a = m[0], b = m[4], c = m[8], d = m[1], e = m[5], f = m[9], g = m[2], h = m[6], i = m[10];
    const float co[9] = {e * i - f * h, -(d * i - f * g), d * h - e * g, -(b * i - c * h), a * i - c * g,
                         -(a * h - b * g), b * f - c * e, -(a * f - c * d), a * e - b * d};
    float det = a * co[0] + b * co[1] + c * co[2];
    if (det == 0.0f)
        det = 1.0f;
    // Column-major: column j holds row j of the cofactor matrix, rows as laid out in co above.
    for (int row = 0; row < 3; ++row)
        for (int col = 0; col < 3; ++col)
            out[col * 3 + row] = co[row * 3 + col] / det;
}

void transform(const Mat4& a, const float v[4], float out[4])
{
    for (int row = 0; row < 4; ++row)
        out[row] = a.m[row] * v[0] + a.m[4 + row] * v[1] + a.m[8 + row] * v[2] + a.m[12 + row] * v[3];
}

} // namespace webgl

using namespace webgl;

extern "C" {

// ---- enables --------------------------------------------------------------------------------

void glEnable(GLenum cap) { setEnabled(cap, true); }
void glDisable(GLenum cap) { setEnabled(cap, false); }

GLboolean glIsEnabled(GLenum cap)
{
    const bool* flag = enableFlag(cap);
    return flag && *flag ? GL_TRUE : GL_FALSE;
}

void glHint(GLenum, GLenum) {}
void glShadeModel(GLenum mode) { context().state.shadeModel = mode; }

// ---- per-fragment state ---------------------------------------------------------------------

void glBlendFunc(GLenum src, GLenum dst)
{
    context().state.blendSrc = src;
    context().state.blendDst = dst;
    sendBlendFunc(src, dst);
}

void glDepthFunc(GLenum func)
{
    context().state.depthFunc = func;
    sendDepthFunc(func);
}

void glDepthMask(GLboolean flag)
{
    context().state.depthMask = flag != 0;
    sendDepthMask(flag != 0);
}

void glColorMask(GLboolean r, GLboolean g, GLboolean b, GLboolean a)
{
    bool* mask = context().state.colorMask;
    mask[0] = r, mask[1] = g, mask[2] = b, mask[3] = a;
    sendColorMask(mask);
}

void glCullFace(GLenum mode)
{
    context().state.cullFaceMode = mode;
    sendCullFace(mode);
}

void glPolygonOffset(GLfloat factor, GLfloat units)
{
    context().state.offsetFactor = factor;
    context().state.offsetUnits = units;
    sendPolygonOffset(factor, units);
}

void glAlphaFunc(GLenum func, GLclampf ref)
{
    context().state.alphaFunc = func;
    context().state.alphaRef = ref;
}

void glViewport(GLint x, GLint y, GLsizei w, GLsizei h)
{
    int* v = context().state.viewport;
    v[0] = x, v[1] = y, v[2] = w, v[3] = h;
    sendViewport(v);
}

void glScissor(GLint x, GLint y, GLsizei w, GLsizei h)
{
    int* v = context().state.scissor;
    v[0] = x, v[1] = y, v[2] = w, v[3] = h;
    sendScissor(v);
}

void glClearColor(GLclampf r, GLclampf g, GLclampf b, GLclampf a)
{
    float* c = context().state.clearColor;
    c[0] = r, c[1] = g, c[2] = b, c[3] = a;
    sendClearColor(c);
}

void glClear(GLbitfield mask) { emscripten_glClear(mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT)); }
void glLineWidth(GLfloat width) { context().state.lineWidth = width; }
void glPointSize(GLfloat size) { context().state.pointSize = size; }

// ---- current vertex attributes --------------------------------------------------------------

void glColor4f(GLfloat r, GLfloat g, GLfloat b, GLfloat a)
{
    float* c = context().state.color;
    c[0] = r, c[1] = g, c[2] = b, c[3] = a;
}
void glColor3f(GLfloat r, GLfloat g, GLfloat b) { glColor4f(r, g, b, 1.0f); }
void glColor4fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], v[3]); }
void glColor3fv(const GLfloat* v) { glColor4f(v[0], v[1], v[2], 1.0f); }
void glColor4ub(GLubyte r, GLubyte g, GLubyte b, GLubyte a) { glColor4f(r / 255.0f, g / 255.0f, b / 255.0f, a / 255.0f); }

void glNormal3f(GLfloat x, GLfloat y, GLfloat z)
{
    float* n = context().state.normal;
    n[0] = x, n[1] = y, n[2] = z;
}
void glNormal3fv(const GLfloat* v) { glNormal3f(v[0], v[1], v[2]); }

void glMultiTexCoord4f(GLenum unit, GLfloat s, GLfloat t, GLfloat r, GLfloat q)
{
    const int index = static_cast<int>(unit - GL_TEXTURE0);
    if (index < 0 || index >= textureUnits)
        return;
    float* c = context().state.texCoord[index];
    c[0] = s, c[1] = t, c[2] = r, c[3] = q;
}
void glMultiTexCoord2f(GLenum unit, GLfloat s, GLfloat t) { glMultiTexCoord4f(unit, s, t, 0.0f, 1.0f); }
void glTexCoord2f(GLfloat s, GLfloat t) { glMultiTexCoord4f(GL_TEXTURE0, s, t, 0.0f, 1.0f); }
void glTexCoord2fv(const GLfloat* v) { glTexCoord2f(v[0], v[1]); }
void glTexCoord2i(GLint s, GLint t) { glTexCoord2f(static_cast<float>(s), static_cast<float>(t)); }

// ---- matrices -------------------------------------------------------------------------------

void glMatrixMode(GLenum mode) { context().matrixMode = mode; }
void glLoadIdentity() { loadMatrix(Mat4{}); }

void glLoadMatrixf(const GLfloat* m)
{
    Mat4 r;
    std::copy(m, m + 16, r.m);
    loadMatrix(r);
}

void glMultMatrixf(const GLfloat* m)
{
    Mat4 r;
    std::copy(m, m + 16, r.m);
    multMatrix(r);
}

void glPushMatrix()
{
    MatrixStack& s = currentStack();
    if (s.depth + 1 >= matrixStackDepth) {
        setError(GL_STACK_OVERFLOW);
        return;
    }
    s.stack[s.depth + 1] = s.stack[s.depth];
    ++s.depth;
}

void glPopMatrix()
{
    MatrixStack& s = currentStack();
    if (s.depth == 0) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    --s.depth;
}

void glTranslatef(GLfloat x, GLfloat y, GLfloat z)
{
    Mat4 t;
    t.m[12] = x, t.m[13] = y, t.m[14] = z;
    multMatrix(t);
}

void glScalef(GLfloat x, GLfloat y, GLfloat z)
{
    Mat4 t;
    t.m[0] = x, t.m[5] = y, t.m[10] = z;
    multMatrix(t);
}

void glRotatef(GLfloat angle, GLfloat x, GLfloat y, GLfloat z)
{
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f)
        return;
    x /= length, y /= length, z /= length;
    const float radians = angle * static_cast<float>(M_PI) / 180.0f;
    const float c = std::cos(radians), s = std::sin(radians), k = 1.0f - c;
    Mat4 r;
    r.m[0] = x * x * k + c, r.m[4] = x * y * k - z * s, r.m[8] = x * z * k + y * s;
    r.m[1] = y * x * k + z * s, r.m[5] = y * y * k + c, r.m[9] = y * z * k - x * s;
    r.m[2] = x * z * k - y * s, r.m[6] = y * z * k + x * s, r.m[10] = z * z * k + c;
    multMatrix(r);
}

void glOrtho(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    Mat4 o;
    o.m[0] = static_cast<float>(2.0 / (right - left));
    o.m[5] = static_cast<float>(2.0 / (top - bottom));
    o.m[10] = static_cast<float>(-2.0 / (zFar - zNear));
    o.m[12] = static_cast<float>(-(right + left) / (right - left));
    o.m[13] = static_cast<float>(-(top + bottom) / (top - bottom));
    o.m[14] = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
    multMatrix(o);
}

void glFrustum(GLdouble left, GLdouble right, GLdouble bottom, GLdouble top, GLdouble zNear, GLdouble zFar)
{
    Mat4 f;
    f.m[0] = static_cast<float>(2.0 * zNear / (right - left));
    f.m[5] = static_cast<float>(2.0 * zNear / (top - bottom));
    f.m[8] = static_cast<float>((right + left) / (right - left));
    f.m[9] = static_cast<float>((top + bottom) / (top - bottom));
    f.m[10] = static_cast<float>(-(zFar + zNear) / (zFar - zNear));
    f.m[11] = -1.0f;
    f.m[14] = static_cast<float>(-2.0 * zFar * zNear / (zFar - zNear));
    f.m[15] = 0.0f;
    multMatrix(f);
}

void gluPerspective(GLdouble fovy, GLdouble aspect, GLdouble zNear, GLdouble zFar)
{
    const double top = zNear * std::tan(fovy * M_PI / 360.0);
    glFrustum(-top * aspect, top * aspect, -top, top, zNear, zFar);
}

void gluLookAt(GLdouble eyeX, GLdouble eyeY, GLdouble eyeZ, GLdouble centerX, GLdouble centerY, GLdouble centerZ,
               GLdouble upX, GLdouble upY, GLdouble upZ)
{
    double f[3] = {centerX - eyeX, centerY - eyeY, centerZ - eyeZ};
    const double fl = std::sqrt(f[0] * f[0] + f[1] * f[1] + f[2] * f[2]);
    if (fl == 0.0)
        return;
    for (double& v : f)
        v /= fl;
    double s[3] = {f[1] * upZ - f[2] * upY, f[2] * upX - f[0] * upZ, f[0] * upY - f[1] * upX};
    const double sl = std::sqrt(s[0] * s[0] + s[1] * s[1] + s[2] * s[2]);
    if (sl != 0.0)
        for (double& v : s)
            v /= sl;
    const double u[3] = {s[1] * f[2] - s[2] * f[1], s[2] * f[0] - s[0] * f[2], s[0] * f[1] - s[1] * f[0]};
    Mat4 m;
    m.m[0] = static_cast<float>(s[0]), m.m[4] = static_cast<float>(s[1]), m.m[8] = static_cast<float>(s[2]);
    m.m[1] = static_cast<float>(u[0]), m.m[5] = static_cast<float>(u[1]), m.m[9] = static_cast<float>(u[2]);
    m.m[2] = static_cast<float>(-f[0]), m.m[6] = static_cast<float>(-f[1]), m.m[10] = static_cast<float>(-f[2]);
    multMatrix(m);
    glTranslated(-eyeX, -eyeY, -eyeZ);
}

void glTranslated(GLdouble x, GLdouble y, GLdouble z)
{
    glTranslatef(static_cast<float>(x), static_cast<float>(y), static_cast<float>(z));
}

// ---- light, material, fog, clip plane ----------------------------------------------------------

void glLightfv(GLenum light, GLenum name, const GLfloat* v)
{
    if (light != GL_LIGHT0)
        return;
    LightState& l = context().state.light;
    switch (name) {
    case GL_AMBIENT: std::copy(v, v + 4, l.ambient); break;
    case GL_DIFFUSE: std::copy(v, v + 4, l.diffuse); break;
    case GL_SPECULAR: std::copy(v, v + 4, l.specular); break;
    case GL_POSITION: transform(context().modelview.top(), v, l.position); break;
    default: break;
    }
}

void glMaterialfv(GLenum, GLenum name, const GLfloat* v)
{
    MaterialState& m = context().state.material;
    switch (name) {
    case GL_AMBIENT: std::copy(v, v + 4, m.ambient); break;
    case GL_DIFFUSE: std::copy(v, v + 4, m.diffuse); break;
    case GL_SPECULAR: std::copy(v, v + 4, m.specular); break;
    case GL_EMISSION: std::copy(v, v + 4, m.emission); break;
    case GL_AMBIENT_AND_DIFFUSE: std::copy(v, v + 4, m.ambient); std::copy(v, v + 4, m.diffuse); break;
    case GL_SHININESS: m.shininess = v[0]; break;
    default: break;
    }
}

void glMaterialf(GLenum face, GLenum name, GLfloat value) { glMaterialfv(face, name, &value); }

void glFogf(GLenum name, GLfloat value)
{
    FixedState& s = context().state;
    switch (name) {
    case GL_FOG_MODE: s.fogMode = static_cast<GLenum>(value); break;
    case GL_FOG_DENSITY: s.fogDensity = value; break;
    case GL_FOG_START: s.fogStart = value; break;
    case GL_FOG_END: s.fogEnd = value; break;
    default: break;
    }
}

void glFogi(GLenum name, GLint value)
{
    if (name == GL_FOG_MODE)
        context().state.fogMode = static_cast<GLenum>(value);
    else
        glFogf(name, static_cast<float>(value));
}

void glFogfv(GLenum name, const GLfloat* v)
{
    if (name == GL_FOG_COLOR)
        std::copy(v, v + 4, context().state.fogColor);
    else
        glFogf(name, v[0]);
}

void glClipPlane(GLenum plane, const GLdouble* equation)
{
    if (plane != GL_CLIP_PLANE0)
        return;
    // Kept in eye space: the plane times the inverse of the modelview at this call.
    Mat4 inverse;
    if (!invert(context().modelview.top(), inverse))
        return;
    float* out = context().state.clipPlane;
    for (int i = 0; i < 4; ++i) {
        double sum = 0;
        for (int k = 0; k < 4; ++k)
            sum += equation[k] * inverse.m[i * 4 + k];
        out[i] = static_cast<float>(sum);
    }
}

// ---- textures -------------------------------------------------------------------------------

void glActiveTexture(GLenum unit)
{
    const int index = static_cast<int>(unit - GL_TEXTURE0);
    if (index < 0 || index >= textureUnits) {
        setError(GL_INVALID_ENUM);
        return;
    }
    context().state.activeUnit = index;
    sendActiveTexture(index);
}

void glClientActiveTexture(GLenum unit)
{
    const int index = static_cast<int>(unit - GL_TEXTURE0);
    if (index >= 0 && index < textureUnits)
        context().client.clientActiveUnit = index;
}

void glBindTexture(GLenum target, GLuint texture)
{
    if (target != GL_TEXTURE_2D)
        return;
    FixedState& s = context().state;
    s.boundTexture[s.activeUnit] = texture;
    sendBindTexture(texture);
}

void glGenTextures(GLsizei n, GLuint* out) { emscripten_glGenTextures(n, out); }

void glDeleteTextures(GLsizei n, const GLuint* list)
{
    FixedState& s = context().state;
    for (int i = 0; i < n; ++i) {
        forgetTexture(list[i]);
        for (GLuint& bound : s.boundTexture)
            if (bound == list[i])
                bound = 0;
        shadow().textureDeleted(list[i]);
    }
    emscripten_glDeleteTextures(n, list);
}

void glTexParameteri(GLenum target, GLenum name, GLint value) { texParameter(target, name, value); }
void glTexParameterf(GLenum target, GLenum name, GLfloat value) { texParameter(target, name, static_cast<GLint>(value)); }

void glTexEnvi(GLenum target, GLenum name, GLint value)
{
    if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE) {
        FixedState& s = context().state;
        s.envMode[s.activeUnit] = static_cast<GLenum>(value);
    }
}
void glTexEnvf(GLenum target, GLenum name, GLfloat value) { glTexEnvi(target, name, static_cast<GLint>(value)); }

void glGetTexEnviv(GLenum target, GLenum name, GLint* value)
{
    const FixedState& s = context().state;
    if (target == GL_TEXTURE_ENV && name == GL_TEXTURE_ENV_MODE)
        *value = static_cast<GLint>(s.envMode[s.activeUnit]);
}

void glPixelStorei(GLenum name, GLint value)
{
    if (name == GL_UNPACK_ALIGNMENT)
        unpackAlignment = value;
    if (name == GL_UNPACK_ALIGNMENT || name == GL_PACK_ALIGNMENT)
        emscripten_glPixelStorei(name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height, GLint border,
                  GLenum format, GLenum type, const void* pixels)
{
    TextureInfo* info = boundTextureInfo();
    if (target != GL_TEXTURE_2D || !info || border != 0) {
        setError(GL_INVALID_OPERATION);
        return;
    }
    const GLenum base = baseFormatOf(internalFormat, format);
    if (level == 0) {
        info->baseFormat = base;
        info->width = width;
        info->height = height;
        info->internalFormat = internalFormat;
    }
    if (base == GL_DEPTH_COMPONENT) {
        // WebGL's depth textures: sized, each with its own type.
        GLint sized = GL_DEPTH_COMPONENT24;
        GLenum depthType = GL_UNSIGNED_INT;
        if (internalFormat == GL_DEPTH_COMPONENT16)
            sized = GL_DEPTH_COMPONENT16, depthType = GL_UNSIGNED_SHORT;
        else if (internalFormat == GL_DEPTH_COMPONENT32)
            sized = GL_DEPTH_COMPONENT32F, depthType = GL_FLOAT;
        emscripten_glTexImage2D(target, level, sized, width, height, 0, GL_DEPTH_COMPONENT, depthType, nullptr);
        applyTextureFilters(*info);
        return;
    }
    if (type != GL_UNSIGNED_BYTE) {
        setError(GL_INVALID_ENUM);
        return;
    }
    if (pixels && base != format) {
        const std::vector<uint8_t> converted =
            convertPixels(static_cast<const uint8_t*>(pixels), width, height, format, base, unpackAlignment);
        emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        emscripten_glTexImage2D(target, level, static_cast<GLint>(base), width, height, 0, base, type, converted.data());
        emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    } else {
        emscripten_glTexImage2D(target, level, static_cast<GLint>(base), width, height, 0, base, type, pixels);
    }
    if (level == 0 && info->generateMipmap)
        emscripten_glGenerateMipmap(target);
}

void glCopyTexSubImage2D(GLenum target, GLint level, GLint x, GLint y, GLint sx, GLint sy, GLsizei w, GLsizei h)
{
    emscripten_glCopyTexSubImage2D(target, level, x, y, sx, sy, w, h);
}

void glGenerateMipmap(GLenum target) { emscripten_glGenerateMipmap(target); }

void glGetTexLevelParameteriv(GLenum target, GLint level, GLenum name, GLint* value)
{
    const TextureInfo* info = boundTextureInfo();
    *value = 0;
    if (target != GL_TEXTURE_2D || level != 0 || !info)
        return;
    switch (name) {
    case GL_TEXTURE_WIDTH: *value = info->width; break;
    case GL_TEXTURE_HEIGHT: *value = info->height; break;
    case GL_TEXTURE_INTERNAL_FORMAT: *value = info->internalFormat; break;
    default: break;
    }
}

void glGetTexParameteriv(GLenum target, GLenum name, GLint* value)
{
    emscripten_glGetTexParameteriv(target, name, value);
}

// ---- attribute stacks -----------------------------------------------------------------------

void glPushAttrib(GLbitfield)
{
    context().attribStack.push_back(context().state);
}

void glPopAttrib()
{
    Context& c = context();
    if (c.attribStack.empty()) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    // The current vertex attributes are not part of what was pushed unless GL_CURRENT_BIT was:
    // the show pushes its lighting and "everything" around pieces that leave them alone.
    c.state = c.attribStack.back();
    c.attribStack.pop_back();
    applyFixedState();
}

void glPushClientAttrib(GLbitfield) { context().clientStack.push_back(context().client); }

void glPopClientAttrib()
{
    Context& c = context();
    if (c.clientStack.empty()) {
        setError(GL_STACK_UNDERFLOW);
        return;
    }
    c.client = c.clientStack.back();
    c.clientStack.pop_back();
}

// ---- queries --------------------------------------------------------------------------------

void glGetFloatv(GLenum name, GLfloat* out)
{
    if (!getKept(name, out))
        emscripten_glGetFloatv(name, out);
}

void glGetIntegerv(GLenum name, GLint* out)
{
    if (!getKept(name, out))
        emscripten_glGetIntegerv(name, out);
}

void glGetBooleanv(GLenum name, GLboolean* out)
{
    float values[16];
    if (getKept(name, values)) {
        const int n = name == GL_COLOR_WRITEMASK ? 4 : 1;
        for (int i = 0; i < n; ++i)
            out[i] = values[i] != 0.0f ? GL_TRUE : GL_FALSE;
        return;
    }
    emscripten_glGetBooleanv(name, out);
}

GLenum glGetError()
{
    Context& c = context();
    if (c.error != GL_NO_ERROR) {
        const GLenum error = c.error;
        c.error = GL_NO_ERROR;
        return error;
    }
    return emscripten_glGetError();
}

const GLubyte* glGetString(GLenum name)
{
    // What the show asks a driver for: the extensions the fixed-function layer answers for.
    static const char* const extensions =
        "GL_ARB_multitexture GL_ARB_vertex_buffer_object GL_EXT_framebuffer_object GL_ARB_fragment_shader "
        "GL_ARB_fragment_program GL_ARB_shading_language_100 GL_ARB_vertex_shader GL_ARB_shader_objects "
        "GL_ARB_shadow GL_ARB_depth_texture GL_ARB_point_sprite";
    switch (name) {
    case GL_EXTENSIONS: return reinterpret_cast<const GLubyte*>(extensions);
    case GL_VERSION: return reinterpret_cast<const GLubyte*>("3.0 Orvalune's GL 1.x over WebGL 2");
    case GL_VENDOR:
    case GL_RENDERER: return emscripten_glGetString(name);
    default: return emscripten_glGetString(name);
    }
}

void glFinish() { emscripten_glFinish(); }

void glReadPixels(GLint x, GLint y, GLsizei w, GLsizei h, GLenum format, GLenum type, void* pixels)
{
    emscripten_glReadPixels(x, y, w, h, format, type, pixels);
}

void glDrawBuffer(GLenum buffer)
{
    // The default frame buffer draws to its back buffer; a frame-buffer object to its attachment.
    const GLenum target = context().framebuffer ? buffer : GL_BACK;
    emscripten_glDrawBuffers(1, &target);
}

void glReadBuffer(GLenum buffer) { emscripten_glReadBuffer(context().framebuffer ? buffer : GL_BACK); }

} // extern "C"
