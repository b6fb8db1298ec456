#include "render/gl_capabilities.h"

#include "render/gl_entry.h"
#include "render/render_targets.h"
#include "runtime/dms.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const char* extensionOverride = nullptr;

constexpr UINT warningBox = MB_TOPMOST | MB_ICONWARNING;

const char* glText(GLenum name)
{
    const auto* text = reinterpret_cast<const char*>(glGetString(name));
    return text ? text : "";
}

const char* extensionString()
{
    return extensionOverride ? extensionOverride : glText(GL_EXTENSIONS);
}

// A plain substring test, as drivers have always been asked.
bool hasExtension(const char* extensions, const char* name) { return std::strstr(extensions, name) != nullptr; }

[[noreturn]] void fail(const char* text, const char* caption, UINT flags, int exitCode)
{
    MessageBoxA(dmsGetHWND(), text, caption, flags);
    std::exit(exitCode);
}

[[noreturn]] void failWarning(const char* text) { fail(text, "ERROR", warningBox, -1); }

} // namespace

void setExtensionStringOverride(const char* extensions) { extensionOverride = extensions; }

void initGl()
{
    char vendor[256];
    std::snprintf(vendor, sizeof vendor, "%s", glText(GL_VENDOR));
    dmsMsg("Your graphics cards vendor is %s\n", vendor);
    dmsMsg("Renderer %s\n", glText(GL_RENDERER));
    dmsMsg("Version %s\n", glText(GL_VERSION));
    renderTargets.created = true;

    if (!gl::fetchMultitexture())
        failWarning("Some needed OpenGL extensions could not be found.\nPlease update your video card drivers!\n\n"
                    "[ext. funcs:glActiveTextureARB or glMultiTexCoord2fARB or glMultiTexCoord4fARB]");

    const char* extensions = extensionString();
    if (!hasExtension(extensions, "GL_ARB_vertex_buffer_object"))
        failWarning("Your graphics card didn't support framebufferobjects.\nTry updating your video card drivers \n"
                    "(EXT_framebuffer_object extension was not found)");
    if (!gl::fetchVertexBuffers())
        failWarning("Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n\n"
                    "(not all EXT_framebuffer_object functions could be fetched)");
    if (!hasExtension(extensions, "EXT_framebuffer_object"))
        failWarning("Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n"
                    "(EXT_framebuffer_object extension was not found)");
    if (!gl::fetchFramebuffers())
        failWarning("Your graphics card doesn't support framebufferobjects.\nTry updating your video card drivers \n"
                    "(not all EXT_framebuffer_object functions could be fetched)");

    createRenderTargets();
    gl::glBindFramebufferEXT(GL_FRAMEBUFFER_EXT, 0);

    extensions = extensionString();
    static const char* const shaderExtensions[] = {
        "GL_ARB_fragment_shader", "GL_ARB_fragment_program", "GL_ARB_shading_language_100", "GL_ARB_vertex_shader",
        "GL_ARB_shader_objects",  "GL_ARB_shadow",           "GL_ARB_depth_texture",
    };
    for (const char* name : shaderExtensions)
        if (!hasExtension(extensions, name))
            fail("Your graphics card doesn't support the needed extensions.\nNo required OpenGL extensions can be "
                 "used. \n\n[GL_ARB_fragment_shader, GL_ARB_fragment_program, GL_ARB_shading_language_100,\n"
                 "GL_ARB_vertex_shader, GL_ARB_shader_objects, GL_ARB_shadow, GL_ARB_depth_texture]",
                 "Error!", MB_TOPMOST | MB_ICONERROR, 0);

    // Every group is fetched before judging, as the message names them all together.
    const bool shaderObjects = gl::fetchShaderObjects();
    const bool uniforms = gl::fetchUniforms();
    const bool attribs = gl::fetchVertexAttribs();
    if (!shaderObjects || !uniforms || !attribs)
        failWarning("Some needed OpenGL extensions functions could not be accessed.\nPlease update your video card "
                    "drivers!\n\n[Fragment & Vertex shaders functions]");
}
