// The GL entry points beyond OpenGL 1.1, fetched once by initGl through wglGetProcAddress.
//
// They live in namespace gl because Mesa's libGL exports functions of the same names: call them
// as gl::glActiveTextureARB(...). Every pointer is null until initGl has fetched its group.
#pragma once

#include <GL/gl.h>
#include <GL/glext.h>

// Each list holds (pointer type, name) in the order initGl fetches them.
#define ORV_GL_MULTITEXTURE(X)                                                                      \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB)                                                \
    X(PFNGLMULTITEXCOORD2FARBPROC, glMultiTexCoord2fARB)                                            \
    X(PFNGLMULTITEXCOORD4FARBPROC, glMultiTexCoord4fARB)

#define ORV_GL_VERTEX_BUFFERS(X)                                                                    \
    X(PFNGLGENBUFFERSARBPROC, glGenBuffersARB)                                                      \
    X(PFNGLBINDBUFFERARBPROC, glBindBufferARB)                                                      \
    X(PFNGLBUFFERDATAARBPROC, glBufferDataARB)                                                      \
    X(PFNGLDELETEBUFFERSARBPROC, glDeleteBuffersARB)

#define ORV_GL_FRAMEBUFFERS(X)                                                                      \
    X(PFNGLISRENDERBUFFEREXTPROC, glIsRenderbufferEXT)                                              \
    X(PFNGLBINDRENDERBUFFEREXTPROC, glBindRenderbufferEXT)                                          \
    X(PFNGLDELETERENDERBUFFERSEXTPROC, glDeleteRenderbuffersEXT)                                    \
    X(PFNGLGENRENDERBUFFERSEXTPROC, glGenRenderbuffersEXT)                                          \
    X(PFNGLRENDERBUFFERSTORAGEEXTPROC, glRenderbufferStorageEXT)                                    \
    X(PFNGLGETRENDERBUFFERPARAMETERIVEXTPROC, glGetRenderbufferParameterivEXT)                      \
    X(PFNGLISFRAMEBUFFEREXTPROC, glIsFramebufferEXT)                                                \
    X(PFNGLBINDFRAMEBUFFEREXTPROC, glBindFramebufferEXT)                                            \
    X(PFNGLDELETEFRAMEBUFFERSEXTPROC, glDeleteFramebuffersEXT)                                      \
    X(PFNGLGENFRAMEBUFFERSEXTPROC, glGenFramebuffersEXT)                                            \
    X(PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC, glCheckFramebufferStatusEXT)                              \
    X(PFNGLFRAMEBUFFERTEXTURE1DEXTPROC, glFramebufferTexture1DEXT)                                  \
    X(PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, glFramebufferTexture2DEXT)                                  \
    X(PFNGLFRAMEBUFFERTEXTURE3DEXTPROC, glFramebufferTexture3DEXT)                                  \
    X(PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC, glFramebufferRenderbufferEXT)                            \
    X(PFNGLGETFRAMEBUFFERATTACHMENTPARAMETERIVEXTPROC, glGetFramebufferAttachmentParameterivEXT)    \
    X(PFNGLGENERATEMIPMAPEXTPROC, glGenerateMipmapEXT)

#define ORV_GL_SHADER_OBJECTS(X)                                                                    \
    X(PFNGLCREATEPROGRAMOBJECTARBPROC, glCreateProgramObjectARB)                                    \
    X(PFNGLDELETEOBJECTARBPROC, glDeleteObjectARB)                                                  \
    X(PFNGLCREATESHADEROBJECTARBPROC, glCreateShaderObjectARB)                                      \
    X(PFNGLSHADERSOURCEARBPROC, glShaderSourceARB)                                                  \
    X(PFNGLCOMPILESHADERARBPROC, glCompileShaderARB)                                                \
    X(PFNGLGETOBJECTPARAMETERIVARBPROC, glGetObjectParameterivARB)                                  \
    X(PFNGLATTACHOBJECTARBPROC, glAttachObjectARB)                                                  \
    X(PFNGLGETINFOLOGARBPROC, glGetInfoLogARB)                                                      \
    X(PFNGLLINKPROGRAMARBPROC, glLinkProgramARB)                                                    \
    X(PFNGLUSEPROGRAMOBJECTARBPROC, glUseProgramObjectARB)                                          \
    X(PFNGLGETUNIFORMLOCATIONARBPROC, glGetUniformLocationARB)                                      \
    X(PFNGLDELETEPROGRAMPROC, glDeleteProgram)                                                      \
    X(PFNGLDELETESHADERPROC, glDeleteShader)                                                        \
    X(PFNGLISPROGRAMPROC, glIsProgram)                                                              \
    X(PFNGLISSHADERPROC, glIsShader)                                                                \
    X(PFNGLGETPROGRAMINFOLOGPROC, glGetProgramInfoLog)                                              \
    X(PFNGLGETSHADERINFOLOGPROC, glGetShaderInfoLog)                                                \
    X(PFNGLVALIDATEPROGRAMPROC, glValidateProgram)

// The uniform group is these, then glUniform1i (fetched on its own: first as "glUniform1iARB",
// then by its own name), then the rest.
#define ORV_GL_UNIFORM_FLOATS(X)                                                                    \
    X(PFNGLUNIFORM4FPROC, glUniform4f)                                                              \
    X(PFNGLUNIFORM3FPROC, glUniform3f)                                                              \
    X(PFNGLUNIFORM1FPROC, glUniform1f)

#define ORV_GL_UNIFORM_OTHERS(X)                                                                    \
    X(PFNGLGETUNIFORMFVARBPROC, glGetUniformfvARB)                                                  \
    X(PFNGLGETUNIFORMIVARBPROC, glGetUniformivARB)                                                  \
    X(PFNGLUNIFORM2IPROC, glUniform2i)                                                              \
    X(PFNGLUNIFORM3IPROC, glUniform3i)                                                              \
    X(PFNGLUNIFORM4IPROC, glUniform4i)                                                              \
    X(PFNGLUNIFORM1FVPROC, glUniform1fv)                                                            \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv)                                                            \
    X(PFNGLUNIFORM3FVPROC, glUniform3fv)                                                            \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv)                                                            \
    X(PFNGLUNIFORM1IVPROC, glUniform1iv)                                                            \
    X(PFNGLUNIFORM2IVPROC, glUniform2iv)                                                            \
    X(PFNGLUNIFORM3IVPROC, glUniform3iv)                                                            \
    X(PFNGLUNIFORM4IVPROC, glUniform4iv)                                                            \
    X(PFNGLUNIFORMMATRIX2FVPROC, glUniformMatrix2fv)                                                \
    X(PFNGLUNIFORMMATRIX3FVPROC, glUniformMatrix3fv)                                                \
    X(PFNGLUNIFORMMATRIX4FVPROC, glUniformMatrix4fv)

#define ORV_GL_VERTEX_ATTRIBS(X)                                                                    \
    X(PFNGLVERTEXATTRIB1DPROC, glVertexAttrib1d)                                                    \
    X(PFNGLVERTEXATTRIB1DVPROC, glVertexAttrib1dv)                                                  \
    X(PFNGLVERTEXATTRIB1FPROC, glVertexAttrib1f)                                                    \
    X(PFNGLVERTEXATTRIB1FVPROC, glVertexAttrib1fv)                                                  \
    X(PFNGLVERTEXATTRIB1SPROC, glVertexAttrib1s)                                                    \
    X(PFNGLVERTEXATTRIB1SVPROC, glVertexAttrib1sv)                                                  \
    X(PFNGLVERTEXATTRIB2DPROC, glVertexAttrib2d)                                                    \
    X(PFNGLVERTEXATTRIB2DVPROC, glVertexAttrib2dv)                                                  \
    X(PFNGLVERTEXATTRIB2FPROC, glVertexAttrib2f)                                                    \
    X(PFNGLVERTEXATTRIB2FVPROC, glVertexAttrib2fv)                                                  \
    X(PFNGLVERTEXATTRIB2SPROC, glVertexAttrib2s)                                                    \
    X(PFNGLVERTEXATTRIB2SVPROC, glVertexAttrib2sv)                                                  \
    X(PFNGLVERTEXATTRIB3DPROC, glVertexAttrib3d)                                                    \
    X(PFNGLVERTEXATTRIB3DVPROC, glVertexAttrib3dv)                                                  \
    X(PFNGLVERTEXATTRIB3FPROC, glVertexAttrib3f)                                                    \
    X(PFNGLVERTEXATTRIB3FVPROC, glVertexAttrib3fv)                                                  \
    X(PFNGLVERTEXATTRIB3SPROC, glVertexAttrib3s)                                                    \
    X(PFNGLVERTEXATTRIB3SVPROC, glVertexAttrib3sv)                                                  \
    X(PFNGLVERTEXATTRIB4NBVPROC, glVertexAttrib4Nbv)                                                \
    X(PFNGLVERTEXATTRIB4NIVPROC, glVertexAttrib4Niv)                                                \
    X(PFNGLVERTEXATTRIB4NSVPROC, glVertexAttrib4Nsv)                                                \
    X(PFNGLVERTEXATTRIB4NUBPROC, glVertexAttrib4Nub)                                                \
    X(PFNGLVERTEXATTRIB4NUBVPROC, glVertexAttrib4Nubv)                                              \
    X(PFNGLVERTEXATTRIB4NUIVPROC, glVertexAttrib4Nuiv)                                              \
    X(PFNGLVERTEXATTRIB4NUSVPROC, glVertexAttrib4Nusv)                                              \
    X(PFNGLVERTEXATTRIB4BVPROC, glVertexAttrib4bv)                                                  \
    X(PFNGLVERTEXATTRIB4DPROC, glVertexAttrib4d)                                                    \
    X(PFNGLVERTEXATTRIB4DVPROC, glVertexAttrib4dv)                                                  \
    X(PFNGLVERTEXATTRIB4FPROC, glVertexAttrib4f)                                                    \
    X(PFNGLVERTEXATTRIB4FVPROC, glVertexAttrib4fv)                                                  \
    X(PFNGLVERTEXATTRIB4IVPROC, glVertexAttrib4iv)                                                  \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer)

namespace gl {

#define ORV_GL_DECLARE(type, name) extern type name;
ORV_GL_MULTITEXTURE(ORV_GL_DECLARE)
ORV_GL_VERTEX_BUFFERS(ORV_GL_DECLARE)
ORV_GL_FRAMEBUFFERS(ORV_GL_DECLARE)
ORV_GL_SHADER_OBJECTS(ORV_GL_DECLARE)
ORV_GL_UNIFORM_FLOATS(ORV_GL_DECLARE)
extern PFNGLUNIFORM1IPROC glUniform1i;
ORV_GL_UNIFORM_OTHERS(ORV_GL_DECLARE)
ORV_GL_VERTEX_ATTRIBS(ORV_GL_DECLARE)
#undef ORV_GL_DECLARE

// Each fetches its group in list order and reports whether every pointer of it was found.
bool fetchMultitexture();
bool fetchVertexBuffers();
bool fetchFramebuffers();
bool fetchShaderObjects();
bool fetchUniforms();
bool fetchVertexAttribs();

} // namespace gl
