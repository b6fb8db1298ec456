// The browser's OpenGL 1.x: the fixed-function state the show's GL calls set, kept here and
// handed to WebGL 2 only when something is drawn (gl_state.cpp sets and reads it, gl_draw.cpp
// draws with it, gl_programs.cpp runs the show's GLSL 1.10 programs translated to GLSL ES 3.00).
// WebGL's own calls are reached through their emscripten_gl* names, since the plain names are
// ours.
#pragma once

// The extension prototypes too: this layer defines them.
#define GL_GLEXT_PROTOTYPES
#include <GL/gl.h>
#include <GL/glext.h>

#include "platform/web/gl_shadow.h"

#include <cstdint>
#include <vector>

// WebGL 2 entry points as emscripten names them beside the plain ones.
extern "C" {
#define ORV_WEBGL(ret, name, params) ret emscripten_##name params;
#include "platform/web/webgl_calls.inc"
#undef ORV_WEBGL
}

namespace webgl {

constexpr int textureUnits = 8;
// Units whose coordinates travel with each vertex (the show's programs read 0 to 2); the others
// keep the current coordinates of the draw.
constexpr int vertexTexCoordUnits = 4;
constexpr int matrixStackDepth = 32;

// Column-major, as GL keeps them.
struct Mat4 {
    float m[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};
Mat4 multiply(const Mat4& a, const Mat4& b);
bool invert(const Mat4& a, Mat4& out);
// The transposed inverse of the upper 3x3, for normals.
void normalMatrix(const Mat4& modelview, float out[9]);
void transform(const Mat4& a, const float v[4], float out[4]);

struct MatrixStack {
    Mat4 stack[matrixStackDepth];
    int depth = 0; // index of the top
    Mat4& top() { return stack[depth]; }
    const Mat4& top() const { return stack[depth]; }
};

struct LightState {
    float ambient[4] = {0, 0, 0, 1};
    float diffuse[4] = {1, 1, 1, 1};
    float specular[4] = {1, 1, 1, 1};
    float position[4] = {0, 0, 1, 0}; // eye space, as transformed when it was set
};

struct MaterialState {
    float ambient[4] = {0.2f, 0.2f, 0.2f, 1};
    float diffuse[4] = {0.8f, 0.8f, 0.8f, 1};
    float specular[4] = {0, 0, 0, 1};
    float emission[4] = {0, 0, 0, 1};
    float shininess = 0;
};

// What glPushAttrib keeps: everything fixed-function, copied whole.
struct FixedState {
    // Enables.
    bool blend = false, depthTest = false, cullFace = false, scissorTest = false, polygonOffsetFill = false;
    bool alphaTest = false, fog = false, clipPlane0 = false, lineSmooth = false, pointSmooth = false;
    bool lighting = false, light0 = false, pointSprite = false, rasterizerDiscard = false;
    bool texture2D[textureUnits] = {};
    // Per-fragment state.
    GLenum blendSrc = GL_ONE, blendDst = GL_ZERO;
    GLenum depthFunc = GL_LESS;
    bool depthMask = true;
    bool colorMask[4] = {true, true, true, true};
    GLenum cullFaceMode = GL_BACK;
    float offsetFactor = 0, offsetUnits = 0;
    GLenum alphaFunc = GL_ALWAYS;
    float alphaRef = 0;
    int viewport[4] = {0, 0, 0, 0};
    int scissor[4] = {0, 0, 0, 0};
    float clearColor[4] = {0, 0, 0, 0};
    float lineWidth = 1, pointSize = 1;
    GLenum shadeModel = GL_SMOOTH;
    // Fog.
    GLenum fogMode = GL_EXP;
    float fogColor[4] = {0, 0, 0, 0};
    float fogDensity = 1, fogStart = 0, fogEnd = 1;
    // Clip plane 0 in eye space.
    float clipPlane[4] = {0, 0, 0, 0};
    LightState light;
    MaterialState material;
    // Textures.
    int activeUnit = 0;
    GLuint boundTexture[textureUnits] = {};
    GLenum envMode[textureUnits] = {GL_MODULATE, GL_MODULATE, GL_MODULATE, GL_MODULATE,
                                    GL_MODULATE, GL_MODULATE, GL_MODULATE, GL_MODULATE};
    // Current vertex attributes.
    float color[4] = {1, 1, 1, 1};
    float normal[3] = {0, 0, 1};
    float texCoord[textureUnits][4] = {{0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1},
                                       {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}, {0, 0, 0, 1}};
};

// A client array set by gl*Pointer.
struct ClientArray {
    bool enabled = false;
    int size = 4;
    GLenum type = GL_FLOAT;
    int stride = 0;
    const void* pointer = nullptr;
};

struct ClientState {
    ClientArray vertex, color, normal, texCoord[textureUnits];
    int clientActiveUnit = 0;
};

// What a texture is, for the conversions WebGL asks for.
struct TextureInfo {
    GLenum baseFormat = GL_RGBA; // GL_RGBA, GL_RGB, GL_LUMINANCE, GL_ALPHA, GL_DEPTH_COMPONENT
    int width = 0, height = 0;
    GLint internalFormat = GL_RGBA;
    bool generateMipmap = false;
};

struct Context {
    FixedState state;
    std::vector<FixedState> attribStack;
    std::vector<ClientState> clientStack;
    ClientState client;
    GLenum matrixMode = GL_MODELVIEW;
    MatrixStack modelview, projection, texture[textureUnits];
    GLuint program = 0;      // the show's program in use, 0 for fixed function
    GLuint framebuffer = 0;  // bound draw frame buffer
    GLenum error = GL_NO_ERROR;
    bool inBegin = false;
};

Context& context();
MatrixStack& currentStack();
TextureInfo* boundTextureInfo();
TextureInfo& textureInfo(GLuint texture);
void forgetTexture(GLuint texture);
void setError(GLenum error);
// The real WebGL state of everything FixedState holds but the draw sets itself: only what WebGL
// does not have already is sent.
void applyFixedState();

// What WebGL has (gl_shadow.h), and the calls that go through it: each is made only when it
// changes something.
WebGlShadow& shadow();
void sendEnable(GLenum cap, bool on);
void sendActiveTexture(int unit);
void sendBindTexture(GLuint texture); // on the active unit
void sendBindBuffer(GLenum target, GLuint buffer);
// The built-in uniforms of the program in use (useProgram first): a location of -1 or a value
// the program already holds sends nothing.
// True when the program in use holds other bytes at `location` (recorded then): the caller sends.
bool uniformChanged(GLint location, const void* values, size_t bytes);
void sendUniformInt(GLint location, GLint value);
void sendUniformFloats(GLint location, const float* values, int count); // 1 to 4
void sendUniformMatrix(GLint location, const float* values, int size);  // 3 or 4

// Drawing (gl_draw.cpp).
void drawClientArrays(GLenum mode, int first, int count);

// The show's programs (gl_programs.cpp): binds and feeds the built-in uniforms before a draw
// with program `program`; false when it is not one of ours.
bool prepareShowProgram(GLuint program);
void useProgram(GLuint program);
// Generated fixed-function programs are linked with these attribute locations too.
enum Attribute : GLuint {
    attribVertex = 0,
    attribColor = 1,
    attribNormal = 2,
    attribTexCoord0 = 3, // units 0..3 at 3..6
    attribOther = 7,     // wide lines: the segment's other end
    attribSide = 8,      // wide lines: which side of the segment, -1 or +1
    attribCount = 9,
};
// Binds the attribute names of a translated program before it is linked.
void bindStandardAttributes(GLuint program);

} // namespace webgl
