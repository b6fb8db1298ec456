// The window system's part of the window in the browser: the page's canvas and its WebGL 2
// context, which the browser's GL layer (platform/web/) turns into the show's OpenGL 1.x. Full
// screen is the page's to ask for (the Fullscreen API needs the user's click), so here the canvas
// only takes the size it is given. The page's title belongs to the page, which reports the show's
// state in it.
#include "runtime/state.h"

#include <emscripten/html5.h>

namespace VELMORA_PELAGOR::detail {

namespace {
const char* const canvas = "#canvas";
} // namespace

bool openPlatformWindow(int width, int height, bool /*fullscreen*/, bool /*alwaysOnTop*/, int /*refreshRate*/)
{
    WindowState& w = window();
    if (emscripten_set_canvas_element_size(canvas, width, height) != EMSCRIPTEN_RESULT_SUCCESS)
        return fail("Cannot open a window: the page has no canvas");
    EmscriptenWebGLContextAttributes attributes;
    emscripten_webgl_init_context_attributes(&attributes);
    attributes.majorVersion = 2;
    attributes.minorVersion = 0;
    attributes.alpha = EM_FALSE;
    attributes.depth = EM_TRUE;
    attributes.stencil = EM_TRUE;
    attributes.antialias = EM_FALSE;
    // Each frame is drawn whole: the browser may swap buffers rather than copy them.
    attributes.preserveDrawingBuffer = EM_FALSE;
    const EMSCRIPTEN_WEBGL_CONTEXT_HANDLE context = emscripten_webgl_create_context(canvas, &attributes);
    if (context <= 0)
        return fail("Cannot create a WebGL 2 context: this browser or its graphics driver has none");
    emscripten_webgl_make_context_current(context);
    w.context = static_cast<uintptr_t>(context);
    w.window = reinterpret_cast<HWND>(w.context);
    w.width = width;
    w.height = height;
    return true;
}

void closePlatformWindow()
{
    WindowState& w = window();
    if (w.context)
        emscripten_webgl_destroy_context(static_cast<EMSCRIPTEN_WEBGL_CONTEXT_HANDLE>(w.context));
    w.context = 0;
    w.window = nullptr;
}

void* glProcAddress(const char* name) { return reinterpret_cast<void*>(wglGetProcAddress(name)); }

// data.pak lies in the working directory of the page's file system.
std::string programFolder() { return {}; }

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

void dmsSetWindowTitle(const char*) {}
HWND dmsGetHWND() { return window().window; }
HDC dmsGetHDC() { return reinterpret_cast<HDC>(window().window); }
// A page cannot change the display's gamma.
void dmsSetGamma(int) {}

} // namespace VELMORA_PELAGOR
