// The GL entry points the show fetches by name, as the browser's GL layer answers them: its own
// where the fixed-function state is involved (textures, programs, frame-buffer bindings, drawing),
// WebGL's where the call means the same there, and small conversions for the vertex attribute
// setters WebGL lacks (doubles, shorts, normalised integers).
#include "platform/web/gl_context.h"
#include "platform/web/gl_proc_address.h"

#include <cstring>
#include <limits>

using namespace webgl;

namespace {

void bindFramebuffer(GLenum target, GLuint framebuffer)
{
    context().framebuffer = framebuffer;
    emscripten_glBindFramebuffer(target == GL_READ_FRAMEBUFFER ? target : GL_FRAMEBUFFER, framebuffer);
}

void deleteBuffers(GLsizei n, const GLuint* list)
{
    for (GLsizei i = 0; i < n; ++i)
        shadow().bufferDeleted(list[i]);
    emscripten_glDeleteBuffers(n, list);
}

// A uniform setter of the show's that sends nothing for a location of -1 (a uniform the program
// does not use: WebGL would ignore it, after a call into the browser).
template <typename Signature, Signature* F>
struct PlacedOnly;
template <typename... Args, void (*F)(GLint, Args...)>
struct PlacedOnly<void(GLint, Args...), F> {
    static void call(GLint location, Args... args)
    {
        if (location >= 0)
            F(location, args...);
    }
};
#define ORV_PLACED_ONLY(f) entry(&PlacedOnly<decltype(f), &f>::call)

// The same for a setter of single values (glUniform3f ...), which the program in use keeps: a
// value it already holds is not sent again.
template <typename Signature, Signature* F>
struct Changed;
template <typename... Args, void (*F)(GLint, Args...)>
struct Changed<void(GLint, Args...), F> {
    static_assert(((sizeof(Args) == 4) && ...), "single 32-bit values only");
    static void call(GLint location, Args... args)
    {
        uint8_t bytes[4 * sizeof...(Args)];
        size_t at = 0;
        ((std::memcpy(bytes + at, &args, 4), at += 4), ...);
        if (uniformChanged(location, bytes, sizeof bytes))
            F(location, args...);
    }
};
#define ORV_CHANGED_ONLY(f) entry(&Changed<decltype(f), &f>::call)

void framebufferTextureOther(GLenum, GLenum, GLenum, GLuint, GLint) { setError(GL_INVALID_OPERATION); }
void framebufferTexture3D(GLenum, GLenum, GLenum, GLuint, GLint, GLint) { setError(GL_INVALID_OPERATION); }

template <typename T>
float f(T v) { return static_cast<float>(v); }

void attrib1d(GLuint i, GLdouble x) { emscripten_glVertexAttrib1f(i, f(x)); }
void attrib1dv(GLuint i, const GLdouble* v) { attrib1d(i, v[0]); }
void attrib1fv(GLuint i, const GLfloat* v) { emscripten_glVertexAttrib1f(i, v[0]); }
void attrib1s(GLuint i, GLshort x) { emscripten_glVertexAttrib1f(i, f(x)); }
void attrib1sv(GLuint i, const GLshort* v) { attrib1s(i, v[0]); }
void attrib2d(GLuint i, GLdouble x, GLdouble y) { emscripten_glVertexAttrib2f(i, f(x), f(y)); }
void attrib2dv(GLuint i, const GLdouble* v) { attrib2d(i, v[0], v[1]); }
void attrib2fv(GLuint i, const GLfloat* v) { emscripten_glVertexAttrib2f(i, v[0], v[1]); }
void attrib2s(GLuint i, GLshort x, GLshort y) { emscripten_glVertexAttrib2f(i, f(x), f(y)); }
void attrib2sv(GLuint i, const GLshort* v) { attrib2s(i, v[0], v[1]); }
void attrib3d(GLuint i, GLdouble x, GLdouble y, GLdouble z) { emscripten_glVertexAttrib3f(i, f(x), f(y), f(z)); }
void attrib3dv(GLuint i, const GLdouble* v) { attrib3d(i, v[0], v[1], v[2]); }
void attrib3fv(GLuint i, const GLfloat* v) { emscripten_glVertexAttrib3f(i, v[0], v[1], v[2]); }
void attrib3s(GLuint i, GLshort x, GLshort y, GLshort z) { emscripten_glVertexAttrib3f(i, f(x), f(y), f(z)); }
void attrib3sv(GLuint i, const GLshort* v) { attrib3s(i, v[0], v[1], v[2]); }
void attrib4d(GLuint i, GLdouble x, GLdouble y, GLdouble z, GLdouble w) { emscripten_glVertexAttrib4f(i, f(x), f(y), f(z), f(w)); }
void attrib4dv(GLuint i, const GLdouble* v) { attrib4d(i, v[0], v[1], v[2], v[3]); }
void attrib4iv(GLuint i, const GLint* v) { emscripten_glVertexAttrib4f(i, f(v[0]), f(v[1]), f(v[2]), f(v[3])); }
void attrib4bv(GLuint i, const GLbyte* v) { emscripten_glVertexAttrib4f(i, f(v[0]), f(v[1]), f(v[2]), f(v[3])); }

// Normalised integers: unsigned to [0, 1], signed to [-1, 1].
template <typename T>
float unit(T v)
{
    return static_cast<float>(static_cast<double>(v) / static_cast<double>(std::numeric_limits<T>::max()));
}
template <typename T>
void normalised(GLuint i, const T* v)
{
    emscripten_glVertexAttrib4f(i, unit(v[0]), unit(v[1]), unit(v[2]), unit(v[3]));
}
void attrib4Nbv(GLuint i, const GLbyte* v) { normalised(i, v); }
void attrib4Niv(GLuint i, const GLint* v) { normalised(i, v); }
void attrib4Nsv(GLuint i, const GLshort* v) { normalised(i, v); }
void attrib4Nubv(GLuint i, const GLubyte* v) { normalised(i, v); }
void attrib4Nuiv(GLuint i, const GLuint* v) { normalised(i, v); }
void attrib4Nusv(GLuint i, const GLushort* v) { normalised(i, v); }
void attrib4Nub(GLuint i, GLubyte x, GLubyte y, GLubyte z, GLubyte w)
{
    const GLubyte v[4] = {x, y, z, w};
    normalised(i, v);
}

struct EntryPoint {
    const char* name;
    PROC pointer;
};

template <typename F>
PROC entry(F* function)
{
    return reinterpret_cast<PROC>(function);
}

const EntryPoint entryPoints[] = {
    // Multitexture.
    {"glActiveTextureARB", entry(&glActiveTexture)},
    {"glActiveTexture", entry(&glActiveTexture)},
    {"glClientActiveTextureARB", entry(&glClientActiveTexture)},
    {"glMultiTexCoord2fARB", entry(&glMultiTexCoord2f)},
    {"glMultiTexCoord4fARB", entry(&glMultiTexCoord4f)},
    // Buffers: fetched by the show, its arrays stay in client memory.
    {"glGenBuffersARB", entry(&emscripten_glGenBuffers)},
    {"glBindBufferARB", entry(&sendBindBuffer)},
    {"glBufferDataARB", entry(&emscripten_glBufferData)},
    {"glDeleteBuffersARB", entry(&deleteBuffers)},
    {"glMultiDrawArrays", entry(&glMultiDrawArrays)},
    // Frame buffers.
    {"glIsRenderbufferEXT", entry(&emscripten_glIsRenderbuffer)},
    {"glBindRenderbufferEXT", entry(&emscripten_glBindRenderbuffer)},
    {"glDeleteRenderbuffersEXT", entry(&emscripten_glDeleteRenderbuffers)},
    {"glGenRenderbuffersEXT", entry(&emscripten_glGenRenderbuffers)},
    {"glRenderbufferStorageEXT", entry(&emscripten_glRenderbufferStorage)},
    {"glGetRenderbufferParameterivEXT", entry(&emscripten_glGetRenderbufferParameteriv)},
    {"glIsFramebufferEXT", entry(&emscripten_glIsFramebuffer)},
    {"glBindFramebufferEXT", entry(&bindFramebuffer)},
    {"glBindFramebuffer", entry(&bindFramebuffer)},
    {"glBindFramebufferARB", entry(&bindFramebuffer)},
    {"glDeleteFramebuffersEXT", entry(&emscripten_glDeleteFramebuffers)},
    {"glGenFramebuffersEXT", entry(&emscripten_glGenFramebuffers)},
    {"glCheckFramebufferStatusEXT", entry(&emscripten_glCheckFramebufferStatus)},
    {"glFramebufferTexture1DEXT", entry(&framebufferTextureOther)},
    {"glFramebufferTexture2DEXT", entry(&emscripten_glFramebufferTexture2D)},
    {"glFramebufferTexture3DEXT", entry(&framebufferTexture3D)},
    {"glFramebufferRenderbufferEXT", entry(&emscripten_glFramebufferRenderbuffer)},
    {"glGetFramebufferAttachmentParameterivEXT", entry(&emscripten_glGetFramebufferAttachmentParameteriv)},
    {"glGenerateMipmapEXT", entry(&glGenerateMipmap)},
    {"glGenerateMipmap", entry(&glGenerateMipmap)},
    // Shader objects.
    {"glCreateProgramObjectARB", entry(&glCreateProgramObjectARB)},
    {"glDeleteObjectARB", entry(&glDeleteObjectARB)},
    {"glCreateShaderObjectARB", entry(&glCreateShaderObjectARB)},
    {"glShaderSourceARB", entry(&glShaderSourceARB)},
    {"glCompileShaderARB", entry(&glCompileShaderARB)},
    {"glGetObjectParameterivARB", entry(&glGetObjectParameterivARB)},
    {"glAttachObjectARB", entry(&glAttachObjectARB)},
    {"glGetInfoLogARB", entry(&glGetInfoLogARB)},
    {"glLinkProgramARB", entry(&glLinkProgramARB)},
    {"glUseProgramObjectARB", entry(&glUseProgramObjectARB)},
    {"glGetUniformLocationARB", entry(&glGetUniformLocationARB)},
    {"glGetActiveUniformARB", entry(&glGetActiveUniformARB)},
    {"glDeleteProgram", entry(&glDeleteProgram)},
    {"glDeleteShader", entry(&glDeleteShader)},
    {"glIsProgram", entry(&glIsProgram)},
    {"glIsShader", entry(&glIsShader)},
    {"glGetProgramInfoLog", entry(&glGetProgramInfoLog)},
    {"glGetShaderInfoLog", entry(&glGetShaderInfoLog)},
    {"glValidateProgram", entry(&glValidateProgram)},
    // Uniforms.
    {"glUniform4f", ORV_CHANGED_ONLY(emscripten_glUniform4f)},
    {"glUniform3f", ORV_CHANGED_ONLY(emscripten_glUniform3f)},
    {"glUniform1f", ORV_CHANGED_ONLY(emscripten_glUniform1f)},
    {"glUniform1iARB", ORV_CHANGED_ONLY(emscripten_glUniform1i)},
    {"glUniform1i", ORV_CHANGED_ONLY(emscripten_glUniform1i)},
    {"glGetUniformfvARB", entry(&glGetUniformfvARB)},
    {"glGetUniformivARB", entry(&glGetUniformivARB)},
    {"glUniform2i", ORV_CHANGED_ONLY(emscripten_glUniform2i)},
    {"glUniform3i", ORV_CHANGED_ONLY(emscripten_glUniform3i)},
    {"glUniform4i", ORV_CHANGED_ONLY(emscripten_glUniform4i)},
    {"glUniform1fv", ORV_PLACED_ONLY(emscripten_glUniform1fv)},
    {"glUniform2fv", ORV_PLACED_ONLY(emscripten_glUniform2fv)},
    {"glUniform3fv", ORV_PLACED_ONLY(emscripten_glUniform3fv)},
    {"glUniform4fv", ORV_PLACED_ONLY(emscripten_glUniform4fv)},
    {"glUniform1iv", ORV_PLACED_ONLY(emscripten_glUniform1iv)},
    {"glUniform2iv", ORV_PLACED_ONLY(emscripten_glUniform2iv)},
    {"glUniform3iv", ORV_PLACED_ONLY(emscripten_glUniform3iv)},
    {"glUniform4iv", ORV_PLACED_ONLY(emscripten_glUniform4iv)},
    {"glUniformMatrix2fv", ORV_PLACED_ONLY(emscripten_glUniformMatrix2fv)},
    {"glUniformMatrix3fv", ORV_PLACED_ONLY(emscripten_glUniformMatrix3fv)},
    {"glUniformMatrix4fv", ORV_PLACED_ONLY(emscripten_glUniformMatrix4fv)},
    // Vertex attributes.
    {"glVertexAttrib1d", entry(&attrib1d)},
    {"glVertexAttrib1dv", entry(&attrib1dv)},
    {"glVertexAttrib1f", entry(&emscripten_glVertexAttrib1f)},
    {"glVertexAttrib1fv", entry(&attrib1fv)},
    {"glVertexAttrib1s", entry(&attrib1s)},
    {"glVertexAttrib1sv", entry(&attrib1sv)},
    {"glVertexAttrib2d", entry(&attrib2d)},
    {"glVertexAttrib2dv", entry(&attrib2dv)},
    {"glVertexAttrib2f", entry(&emscripten_glVertexAttrib2f)},
    {"glVertexAttrib2fv", entry(&attrib2fv)},
    {"glVertexAttrib2s", entry(&attrib2s)},
    {"glVertexAttrib2sv", entry(&attrib2sv)},
    {"glVertexAttrib3d", entry(&attrib3d)},
    {"glVertexAttrib3dv", entry(&attrib3dv)},
    {"glVertexAttrib3f", entry(&emscripten_glVertexAttrib3f)},
    {"glVertexAttrib3fv", entry(&attrib3fv)},
    {"glVertexAttrib3s", entry(&attrib3s)},
    {"glVertexAttrib3sv", entry(&attrib3sv)},
    {"glVertexAttrib4Nbv", entry(&attrib4Nbv)},
    {"glVertexAttrib4Niv", entry(&attrib4Niv)},
    {"glVertexAttrib4Nsv", entry(&attrib4Nsv)},
    {"glVertexAttrib4Nub", entry(&attrib4Nub)},
    {"glVertexAttrib4Nubv", entry(&attrib4Nubv)},
    {"glVertexAttrib4Nuiv", entry(&attrib4Nuiv)},
    {"glVertexAttrib4Nusv", entry(&attrib4Nusv)},
    {"glVertexAttrib4bv", entry(&attrib4bv)},
    {"glVertexAttrib4d", entry(&attrib4d)},
    {"glVertexAttrib4dv", entry(&attrib4dv)},
    {"glVertexAttrib4f", entry(&emscripten_glVertexAttrib4f)},
    {"glVertexAttrib4fv", entry(&emscripten_glVertexAttrib4fv)},
    {"glVertexAttrib4iv", entry(&attrib4iv)},
    {"glVertexAttribPointer", entry(&emscripten_glVertexAttribPointer)},
};

} // namespace

PROC browserGlProcAddress(const char* name)
{
    for (const EntryPoint& e : entryPoints)
        if (std::strcmp(e.name, name) == 0)
            return e.pointer;
    return nullptr;
}
