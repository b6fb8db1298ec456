#include "render/gl_entry.h"

#include "platform/win32.h"

namespace gl {

#define ORV_GL_DEFINE(type, name) type name = nullptr;
ORV_GL_MULTITEXTURE(ORV_GL_DEFINE)
ORV_GL_VERTEX_BUFFERS(ORV_GL_DEFINE)
ORV_GL_FRAMEBUFFERS(ORV_GL_DEFINE)
ORV_GL_SHADER_OBJECTS(ORV_GL_DEFINE)
ORV_GL_UNIFORM_FLOATS(ORV_GL_DEFINE)
PFNGLUNIFORM1IPROC glUniform1i = nullptr;
ORV_GL_UNIFORM_OTHERS(ORV_GL_DEFINE)
ORV_GL_VERTEX_ATTRIBS(ORV_GL_DEFINE)
#undef ORV_GL_DEFINE

namespace {

// Fetches one pointer; every pointer of a group is fetched before the group is judged.
template <typename T>
bool fetch(T& pointer, const char* name)
{
    pointer = reinterpret_cast<T>(wglGetProcAddress(name));
    return pointer != nullptr;
}

} // namespace

#define ORV_GL_FETCH(type, name) found = fetch(name, #name) && found;

#define ORV_GL_GROUP(function, list)                                                               \
    bool function()                                                                                 \
    {                                                                                               \
        bool found = true;                                                                          \
        list(ORV_GL_FETCH) return found;                                                            \
    }

ORV_GL_GROUP(fetchMultitexture, ORV_GL_MULTITEXTURE)
ORV_GL_GROUP(fetchVertexBuffers, ORV_GL_VERTEX_BUFFERS)
ORV_GL_GROUP(fetchFramebuffers, ORV_GL_FRAMEBUFFERS)
ORV_GL_GROUP(fetchShaderObjects, ORV_GL_SHADER_OBJECTS)
ORV_GL_GROUP(fetchVertexAttribs, ORV_GL_VERTEX_ATTRIBS)
#undef ORV_GL_GROUP

bool fetchUniforms()
{
    bool found = true;
    ORV_GL_UNIFORM_FLOATS(ORV_GL_FETCH)
    // Only the core name decides whether the integer setter is there.
    fetch(glUniform1i, "glUniform1iARB");
    found = fetch(glUniform1i, "glUniform1i") && found;
    ORV_GL_UNIFORM_OTHERS(ORV_GL_FETCH)
    return found;
}

#undef ORV_GL_FETCH

} // namespace gl
