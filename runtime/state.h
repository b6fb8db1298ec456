// State shared by the runtime's own files. Nothing outside runtime/ includes this.
#pragma once

#include "runtime/dms.h"
#include "runtime/offline.h"

#if defined(_WIN32) || defined(__EMSCRIPTEN__)
#include "platform/win32.h"
#else
#include <SDL.h>
#endif

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace VELMORA_PELAGOR::detail {

struct WindowState {
#ifdef _WIN32
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    bool modeChanged = false; // full screen switched the display's mode
    WORD gammaRamp[3][256] = {};
#elif defined(__EMSCRIPTEN__)
    HWND window = nullptr;   // the page's canvas, as a handle
    uintptr_t context = 0;   // the canvas's WebGL 2 context
#else
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    bool videoStarted = false;
    Uint16 gammaRamp[3][256] = {};
#endif
    int width = 0, height = 0;
    int aspectIndex = 0;
    std::string title; // as given, kept offline too (where no window shows it)
    // Offline: the frame buffer that stands in for the window.
    unsigned int offlineFramebuffer = 0;
    unsigned int offlineColor = 0, offlineDepth = 0;
    bool gammaSaved = false;
    // The scene's projection and modelview while dmsPerspective2D is in force; one copy, not GL's
    // matrix stack, so nested or unpaired calls cannot overflow or underflow anything.
    bool in2D = false;
    float sceneProjection[16] = {};
    float sceneModelview[16] = {};
};
WindowState& window();

// The window system's part, in each backend's `window.cpp` (linux/: SDL, or EGL offline; win32/;
// web/: the page's canvas).
// Opens the window (hidden offline) with a current GL context and sets width and height; false
// after a message box (fail) naming the problem.
bool openPlatformWindow(int width, int height, bool fullscreen, bool alwaysOnTop, int refreshRate);
// Releases context and window; safe when nothing is open.
void closePlatformWindow();
void* glProcAddress(const char* name);
// The program's own folder, or empty when unknown.
std::string programFolder();
// Shows the problem in a message box; returns false.
bool fail(const std::string& text);
// Whether a space-separated list of names (GL's or EGL's extensions) holds this one.
bool inNameList(const char* list, std::string_view name);
#ifdef _WIN32
// The system's words for GetLastError(), or its number.
std::string lastErrorText();
#endif

// Offline options as set before dmsInitEx.
struct OfflineState {
    bool enabled = false;
    OfflineOptions options;
    float targetScale = 1.0f; // set as the frame buffer standing for the window is made
};
OfflineState& offline();
// How many times the window's pixels each way the frame buffer standing for it has: 1 unless
// offline with supersampling.
int supersampling();

// Line widths and point sizes are in pixels of whatever is drawn into: drawn into the frame
// buffer standing for the window they are scaled by its supersampling, so that a line is as wide
// in the picture; drawn into a render target they are as asked, or scaled with the target when
// it grows with the master (dmsScaleDrawnSizes). Every
// glLineWidth and glPointSize of the program reaches the runtime first (the link wraps them,
// `gl_sizes.cpp`: posix/ wraps the plain symbols, win32/ MinGW's import pointers); `setPixelScale` is called as the
// frame buffer drawn into changes.
void setPixelScale(float scale);
void lineWidthAsked(float width);
void pointSizeAsked(float size);
// GL's own entry points behind the wrapped ones.
void realLineWidth(float width);
void realPointSize(float size);

// Textures: listed while starting; decoded and uploaded one at a time on first use or when the
// timer starts.
void listArchiveImages();
void uploadPendingTextures();
void releaseTextures();

// Keys. Once a frame (dmsUpdateTimer) the keys pressed since the last frame are collected, and
// count as held for the frame even if already let go; the window system notes presses it sees.
void pollKeys();
void noteKeyPress(int virtualKey);
void forgetKeyPresses();

// Music and clock.
bool openMusic(); // false: no music, the clock runs on its own
void closeMusic();
double songLengthMs(); // infinity without music

void releaseResources();
// A texture, mesh or text that could not be given as asked: logged, and kept for
// dmsResourceProblems().
void noteResourceProblem(const std::string& line);
// The names dmsRequireArchiveFiles asked for that the open archive lacks, in the order asked.
std::vector<std::string> missingRequiredFiles();

} // namespace VELMORA_PELAGOR::detail
