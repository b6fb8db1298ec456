#include "runtime/linux/offscreen_egl.h"
#include "runtime/state.h"

#include <EGL/egl.h>
#include <EGL/eglext.h>
#include <GL/gl.h>

#include <cstdio>

namespace VELMORA_PELAGOR::detail {

namespace {

EGLDisplay display = EGL_NO_DISPLAY;
EGLContext context = EGL_NO_CONTEXT;

EGLDisplay initialized(EGLDisplay candidate)
{
    if (candidate != EGL_NO_DISPLAY && eglInitialize(candidate, nullptr, nullptr))
        return candidate;
    return EGL_NO_DISPLAY;
}

// Mesa's surfaceless platform (a GPU's render node, or llvmpipe without one); failing that, the
// first device that initializes (drivers that offer devices but no surfaceless platform).
EGLDisplay openDisplay()
{
    const char* client = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (inNameList(client, "EGL_MESA_platform_surfaceless"))
        if (EGLDisplay found = initialized(eglGetPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr)))
            return found;
    const auto queryDevices = reinterpret_cast<PFNEGLQUERYDEVICESEXTPROC>(eglGetProcAddress("eglQueryDevicesEXT"));
    EGLDeviceEXT devices[16];
    EGLint count = 0;
    if (!inNameList(client, "EGL_EXT_platform_device") || !queryDevices || !queryDevices(16, devices, &count))
        return EGL_NO_DISPLAY;
    for (EGLint i = 0; i < count; ++i)
        if (EGLDisplay found = initialized(eglGetPlatformDisplay(EGL_PLATFORM_DEVICE_EXT, devices[i], nullptr)))
            return found;
    return EGL_NO_DISPLAY;
}

} // namespace

void* openOffscreenContext(int width, int height, std::string& error)
{
    display = openDisplay();
    if (display == EGL_NO_DISPLAY) {
        error = "EGL offers no display without a window system (on Debian: apt-get install libegl-mesa0)";
        return nullptr;
    }
    // Any configuration: nothing is drawn to a surface of its own (0 matches every surface type).
    const EGLint configAttributes[] = {EGL_SURFACE_TYPE, 0, EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_NONE};
    EGLConfig config = nullptr;
    EGLint configs = 0;
    const EGLint contextAttributes[] = {EGL_CONTEXT_OPENGL_PROFILE_MASK, EGL_CONTEXT_OPENGL_COMPATIBILITY_PROFILE_BIT,
                                        EGL_NONE};
    if (!eglBindAPI(EGL_OPENGL_API) || !eglChooseConfig(display, configAttributes, &config, 1, &configs) ||
        configs < 1 ||
        (context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes)) == EGL_NO_CONTEXT ||
        !eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context)) {
        char code[32];
        std::snprintf(code, sizeof code, " (EGL error 0x%04x)", eglGetError());
        error = std::string("EGL cannot make a desktop OpenGL context without a window") + code;
        closeOffscreenContext();
        return nullptr;
    }
    // A window's context starts with its size as viewport and scissor box; one without a
    // surface starts with nothing, and the show's code expects the former.
    glViewport(0, 0, width, height);
    glScissor(0, 0, width, height);
    return context;
}

void closeOffscreenContext()
{
    if (display == EGL_NO_DISPLAY)
        return;
    eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    if (context != EGL_NO_CONTEXT)
        eglDestroyContext(display, context);
    eglTerminate(display);
    context = EGL_NO_CONTEXT;
    display = EGL_NO_DISPLAY;
}

void* offscreenProcAddress(const char* name) { return reinterpret_cast<void*>(eglGetProcAddress(name)); }

} // namespace VELMORA_PELAGOR::detail
