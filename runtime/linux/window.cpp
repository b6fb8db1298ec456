// The window system's part of the window on SDL: the window, its GL context, full screen, gamma.
// Offline there is no window: the context is EGL's, made without any window system.
#include "platform/gl_proc_overrides.h"
#include "runtime/linux/offscreen_egl.h"
#include "runtime/state.h"

namespace VELMORA_PELAGOR::detail {

namespace {

// Full screen in the chosen mode where the window system offers it (on Wayland SDL emulates the
// modes it lists, scaling the picture); elsewhere (a mode switch that fails) full screen at the
// desktop's own mode, with the picture letterboxed to the chosen aspect ratio, rather than no
// show at all.
void enterFullScreen(SDL_Window* window, int width, int height, int refreshRate)
{
    SDL_DisplayMode wanted{SDL_PIXELFORMAT_RGB888, width, height, refreshRate, nullptr};
    SDL_DisplayMode closest;
    if (SDL_GetClosestDisplayMode(SDL_GetWindowDisplayIndex(window), &wanted, &closest) &&
        SDL_SetWindowDisplayMode(window, &closest) == 0 && SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) == 0)
        return;
    dmsMsg("dmsInitEx: the window system cannot switch to %dx%d; full screen at the desktop's own mode\n", width,
           height);
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
}

} // namespace

bool openPlatformWindow(int width, int height, bool fullscreen, bool alwaysOnTop, int refreshRate)
{
    WindowState& w = window();
    if (offline().enabled) {
        std::string error;
        w.context = openOffscreenContext(width, height, error);
        if (!w.context)
            return fail("Cannot render offline: " + error);
        setProcAddressSource(offscreenProcAddress);
        w.width = width;
        w.height = height;
        return true;
    }
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0)
        return fail(std::string("Cannot open a window: no display (") + SDL_GetError() + ")");
    w.videoStarted = true;
    // SDL falls back to an invisible driver when there is no display: useless for a show
    // someone wants to watch.
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (driver == "offscreen" || driver == "dummy")
        return fail("Cannot open a window: no display (set DISPLAY or start a desktop session)");
    dmsMsg("Video driver %s\n", driver.c_str());
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
    SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);

    Uint32 flags = SDL_WINDOW_OPENGL;
    if (alwaysOnTop)
        flags |= SDL_WINDOW_ALWAYS_ON_TOP;
    w.window = SDL_CreateWindow("Orvalune", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    if (!w.window)
        return fail(std::string("Cannot open a window: ") + SDL_GetError());
    if (fullscreen)
        enterFullScreen(w.window, width, height, refreshRate);
    w.context = SDL_GL_CreateContext(w.window);
    if (!w.context)
        return fail(std::string("Cannot create an OpenGL context: ") + SDL_GetError());
    SDL_GL_MakeCurrent(w.window, w.context);
    SDL_GL_SetSwapInterval(1);
    SDL_GL_GetDrawableSize(w.window, &w.width, &w.height);
    dmsMsg("Drawable %dx%d%s\n", w.width, w.height, fullscreen ? ", full screen" : "");
    w.gammaSaved = SDL_GetWindowGammaRamp(w.window, w.gammaRamp[0], w.gammaRamp[1], w.gammaRamp[2]) == 0;
    return true;
}

void closePlatformWindow()
{
    WindowState& w = window();
    if (offline().enabled) {
        setProcAddressSource(nullptr);
        closeOffscreenContext();
    } else if (w.context) {
        SDL_GL_DeleteContext(w.context);
    }
    if (w.window)
        SDL_DestroyWindow(w.window);
    if (w.videoStarted)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
    w.context = nullptr;
    w.window = nullptr;
    w.videoStarted = false;
}

void* glProcAddress(const char* name)
{
    return offline().enabled ? offscreenProcAddress(name) : SDL_GL_GetProcAddress(name);
}

std::string programFolder()
{
    char* base = SDL_GetBasePath();
    if (!base)
        return {};
    std::string folder(base);
    SDL_free(base);
    return folder;
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

void dmsSetWindowTitle(const char* title)
{
    window().title = title ? title : "";
    if (window().window)
        SDL_SetWindowTitle(window().window, window().title.c_str());
}

HWND dmsGetHWND() { return reinterpret_cast<HWND>(window().window); }
HDC dmsGetHDC() { return reinterpret_cast<HDC>(window().window); }

void dmsSetGamma(int gamma)
{
    WindowState& w = window();
    if (!w.window || !w.gammaSaved)
        return;
    if (gamma == 0)
        SDL_SetWindowGammaRamp(w.window, w.gammaRamp[0], w.gammaRamp[1], w.gammaRamp[2]);
    else
        SDL_SetWindowBrightness(w.window, 1.0f + static_cast<float>(gamma) / 100.0f);
}

} // namespace VELMORA_PELAGOR
