// The window, its GL context, projections and viewport, and the runtime's start and end.
#include "platform/gl_proc_overrides.h"
#include "runtime/archive.h"
#include "runtime/state.h"
#include "runtime/target_scale.h"
#include "platform/utf8_files.h"

#include <GL/gl.h>
#include <GL/glext.h>
#include <GL/glu.h>

#include <algorithm>
#include <bitset>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace VELMORA_PELAGOR::detail {

WindowState& window()
{
    static WindowState state;
    return state;
}

OfflineState& offline()
{
    static OfflineState state;
    return state;
}

namespace {

#ifndef GL_PACK_INVERT_MESA
#define GL_PACK_INVERT_MESA 0x8758
#endif

// GL_MESA_pack_invert, looked up once: one driver serves the whole process.
bool canPackInverted()
{
    static const bool supported = [] {
        return inNameList(reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)), "GL_MESA_pack_invert");
    }();
    return supported;
}

constexpr int keyCount = 256;
std::bitset<keyCount> pressesSincePoll, framePresses;

constexpr double fieldOfViewDegrees = 45.0;
// Near enough for the fish, a few hundredths away; far enough for the flares beyond 100.
constexpr double nearClip = 0.01;
constexpr double farClip = 400.0;

double aspectRatio(int index)
{
    switch (index) {
    case 1: return 16.0 / 10.0;
    case 2: return 16.0 / 9.0;
    default: return 4.0 / 3.0;
    }
}

struct Rect {
    int x, y, w, h;
};

// The largest rectangle of the chosen aspect ratio, centred in the window; in the pixels of the
// frame buffer standing for it (the window's own times the supersampling), so that a
// supersampled picture reduces to exactly the window's.
Rect pictureRect()
{
    const WindowState& w = window();
    const double aspect = aspectRatio(w.aspectIndex);
    int width = w.width, height = static_cast<int>(w.width / aspect + 0.5);
    if (height > w.height) {
        height = w.height;
        width = static_cast<int>(w.height * aspect + 0.5);
    }
    const int n = supersampling();
    return {(w.width - width) / 2 * n, (w.height - height) / 2 * n, width * n, height * n};
}

// (Through void (*)(): PROC differs by platform and GCC accepts that one as a generic function pointer.)
// Offline, frame buffer 0 means the runtime's own frame buffer: the show's code binds 0 to
// "draw to the window" and the picture must land where the capture reads it.
PFNGLBINDFRAMEBUFFEREXTPROC realBindFramebuffer = nullptr;
void APIENTRY bindFramebufferRedirected(GLenum target, GLuint framebuffer)
{
    realBindFramebuffer(target, framebuffer ? framebuffer : window().offlineFramebuffer);
    if (target != GL_READ_FRAMEBUFFER)
        setPixelScale(framebuffer ? 1 : supersampling());
}

// The driver's limits, checked before asking: an over-large renderbuffer is not always refused
// (some drivers hand back an incomplete or unusable one).
bool fitsDriver(int width, int height, std::string& error)
{
    GLint largestRenderbuffer = 0, viewport[2] = {};
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &largestRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    if (width <= std::min(largestRenderbuffer, viewport[0]) && height <= std::min(largestRenderbuffer, viewport[1]))
        return true;
    const WindowState& w = window();
    error = std::to_string(w.width) + "x" + std::to_string(w.height);
    if (supersampling() > 1)
        error += " supersampled " + std::to_string(supersampling()) + "x each way is " + std::to_string(width) + "x" +
                 std::to_string(height) + ", which";
    error += " is more than this GL driver can draw into (frame buffers up to " + std::to_string(largestRenderbuffer) +
             "x" + std::to_string(largestRenderbuffer) + ", viewports up to " + std::to_string(viewport[0]) + "x" +
             std::to_string(viewport[1]) + ")";
    return false;
}

// With scaled targets, their factor for this picture, within what the driver can draw into; a
// picture that asks for more gets the most the driver allows, and says so.
float offlineTargetScale()
{
    if (!offline().options.scaleTargets)
        return 1.0f;
    GLint largestTexture = 0, largestRenderbuffer = 0, viewport[2] = {};
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largestTexture);
    glGetIntegerv(GL_MAX_RENDERBUFFER_SIZE_EXT, &largestRenderbuffer);
    glGetIntegerv(GL_MAX_VIEWPORT_DIMS, viewport);
    const int limit = std::min({largestTexture, largestRenderbuffer, viewport[0], viewport[1]});
    const int height = pictureRect().h;
    const float scale = targetScaleFor(height, limit);
    const float wanted = targetScaleFor(height, height * largestScaledTarget);
    if (scale < wanted)
        std::fprintf(stderr,
                     "Orvalune: --scale-targets: a %d-pixel-high picture asks for render targets %.2f times as large, "
                     "but this GL driver draws into at most %dx%d: they are %.2f times as large (%dx%d)\n",
                     height, static_cast<double>(wanted), limit, limit, static_cast<double>(scale),
                     scaledTargetSide(largestScaledTarget, scale), scaledTargetSide(largestScaledTarget, scale));
    return scale;
}

bool createOfflineFramebuffer(std::string& error)
{
    WindowState& w = window();
    realBindFramebuffer = reinterpret_cast<PFNGLBINDFRAMEBUFFEREXTPROC>(glProcAddress("glBindFramebufferEXT"));
    auto genFramebuffers = reinterpret_cast<PFNGLGENFRAMEBUFFERSEXTPROC>(glProcAddress("glGenFramebuffersEXT"));
    auto genRenderbuffers = reinterpret_cast<PFNGLGENRENDERBUFFERSEXTPROC>(glProcAddress("glGenRenderbuffersEXT"));
    auto bindRenderbuffer = reinterpret_cast<PFNGLBINDRENDERBUFFEREXTPROC>(glProcAddress("glBindRenderbufferEXT"));
    auto storage = reinterpret_cast<PFNGLRENDERBUFFERSTORAGEEXTPROC>(glProcAddress("glRenderbufferStorageEXT"));
    auto attach = reinterpret_cast<PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC>(glProcAddress("glFramebufferRenderbufferEXT"));
    auto status = reinterpret_cast<PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC>(glProcAddress("glCheckFramebufferStatusEXT"));
    if (!realBindFramebuffer || !genFramebuffers || !genRenderbuffers || !bindRenderbuffer || !storage || !attach ||
        !status) {
        error = "the GL driver has no frame-buffer objects";
        return false;
    }
    const int width = w.width * supersampling(), height = w.height * supersampling();
    if (!fitsDriver(width, height, error))
        return false;
    // Only the storage's own error is wanted below (GL keeps at most one per kind).
    for (int i = 0; i < 8 && glGetError() != GL_NO_ERROR; ++i) {
    }
    genFramebuffers(1, &w.offlineFramebuffer);
    genRenderbuffers(1, &w.offlineColor);
    genRenderbuffers(1, &w.offlineDepth);
    realBindFramebuffer(GL_FRAMEBUFFER_EXT, w.offlineFramebuffer);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, w.offlineColor);
    storage(GL_RENDERBUFFER_EXT, GL_RGBA8, width, height);
    attach(GL_FRAMEBUFFER_EXT, GL_COLOR_ATTACHMENT0_EXT, GL_RENDERBUFFER_EXT, w.offlineColor);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, w.offlineDepth);
    storage(GL_RENDERBUFFER_EXT, GL_DEPTH24_STENCIL8_EXT, width, height);
    attach(GL_FRAMEBUFFER_EXT, GL_DEPTH_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, w.offlineDepth);
    attach(GL_FRAMEBUFFER_EXT, GL_STENCIL_ATTACHMENT_EXT, GL_RENDERBUFFER_EXT, w.offlineDepth);
    bindRenderbuffer(GL_RENDERBUFFER_EXT, 0);
    if (glGetError() == GL_OUT_OF_MEMORY) {
        error = "the GL driver has no memory for a " + std::to_string(width) + "x" + std::to_string(height) +
                " frame buffer";
        return false;
    }
    if (status(GL_FRAMEBUFFER_EXT) != GL_FRAMEBUFFER_COMPLETE_EXT) {
        error = "the offline frame buffer (" + std::to_string(width) + "x" + std::to_string(height) +
                ") is incomplete";
        return false;
    }
    setPixelScale(supersampling());
    offline().targetScale = offlineTargetScale();
    glDrawBuffer(GL_COLOR_ATTACHMENT0_EXT);
    glReadBuffer(GL_COLOR_ATTACHMENT0_EXT);
    for (const char* name : {"glBindFramebufferEXT", "glBindFramebuffer", "glBindFramebufferARB"})
        setProcAddressOverride(name, reinterpret_cast<PROC>(reinterpret_cast<void (*)()>(&bindFramebufferRedirected)));
    return true;
}

// Names the first few missing files and counts the rest: a message box must stay readable.
std::string missingFilesText(const std::vector<std::string>& missing)
{
    constexpr size_t named = 8;
    std::string text = std::to_string(missing.size()) + (missing.size() == 1 ? " file" : " files") + " (";
    for (size_t i = 0; i < missing.size() && i < named; ++i)
        text += (i ? ", " : "") + missing[i];
    if (missing.size() > named)
        text += " and " + std::to_string(missing.size() - named) + " more";
    return text + ")";
}

std::string archivePath(const char* name)
{
    namespace fs = std::filesystem;
    const fs::path requested = pathFromUtf8(name ? name : "data.pak");
    if (requested.is_absolute())
        return requested.string();
    // Beside the program (a build folder), then where an installation puts it, then the working
    // directory.
    if (const std::string base = programFolder(); !base.empty()) {
        const fs::path folder = pathFromUtf8(base);
        for (const fs::path& candidate : {folder / requested, folder / ".." / "share" / "orvalune" / requested}) {
            std::error_code error;
            if (fs::exists(candidate, error))
                return candidate.lexically_normal().string();
        }
    }
    return requested.string();
}

} // namespace

bool inNameList(const char* list, std::string_view name)
{
    for (std::string_view rest = list ? list : ""; !rest.empty();) {
        const size_t end = std::min(rest.find(' '), rest.size());
        if (rest.substr(0, end) == name)
            return true;
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return false;
}

// A key pressed and let go between two frames (a quick tap, or any tap when frames are slow) is
// held for the frame after it, so that no press is lost; a frame's presses are forgotten by the
// next, so a press nobody asked about (an arrow without F1) does not linger.
void pollKeys()
{
    for (int vk = 1; vk < keyCount; ++vk)
        if (GetAsyncKeyState(vk) & 1)
            pressesSincePoll.set(vk);
    framePresses = pressesSincePoll;
    pressesSincePoll.reset();
}

void noteKeyPress(int virtualKey)
{
    if (virtualKey > 0 && virtualKey < keyCount)
        pressesSincePoll.set(virtualKey);
}

void forgetKeyPresses()
{
    pollKeys();
    framePresses.reset();
}

bool fail(const std::string& text)
{
    // Offline (the capture tool, the tests) nobody is there to click a modal box away: it would
    // hang the run. The message goes to standard error alone.
    if (offline().enabled) {
        std::fprintf(stderr, "Orvalune: %s\n", text.c_str());
        return false;
    }
    MessageBoxA(dmsGetHWND(), text.c_str(), "Orvalune", MB_OK | MB_ICONERROR);
    return false;
}

} // namespace VELMORA_PELAGOR::detail

namespace VELMORA_PELAGOR {

using namespace detail;

void dmsEnableOffline(const OfflineOptions& options)
{
    offline().enabled = true;
    offline().options = options;
    offline().targetScale = 1.0f;
    OfflineOptions& o = offline().options;
    if (o.fps <= 0)
        o.fps = 60;
    o.supersample = std::clamp(o.supersample, 1, maxSupersample);
    o.subFrames = std::max(1, o.subFrames);
    if (!(o.shutter > 0.0 && o.shutter <= 1.0))
        o.shutter = 1.0;
}

bool dmsIsOffline() { return offline().enabled; }

int dmsSupersampling() { return supersampling(); }

bool dmsInitEx(int width, int height, int /*bitsPerPixel*/, bool fullscreen, int /*interfaceVersion*/,
               bool alwaysOnTop, bool /*alwaysOnTopFullscreen*/, int /*reservedFlags*/, int aspectIndex,
               const char* archive, int refreshRate)
{
    WindowState& w = window();
    w.aspectIndex = std::clamp(aspectIndex, 0, 2);
    if (width <= 0 || height <= 0)
        return fail("Cannot open a window of " + std::to_string(width) + "x" + std::to_string(height));

    const std::string path = archivePath(archive);
    std::string error;
    if (!openArchive(path, error))
        return fail("Cannot open the data archive \"" + path + "\": " + error);
    if (const std::vector<std::string> missing = missingRequiredFiles(); !missing.empty()) {
        closeArchive();
        return fail("The data archive \"" + path + "\" lacks " + missingFilesText(missing) +
                    " that the show needs; it is not this show's data");
    }
    if (!openPlatformWindow(width, height, fullscreen, alwaysOnTop, refreshRate))
        return false;
    if (offline().enabled && !createOfflineFramebuffer(error))
        return fail("Cannot render offline: " + error);
    forgetKeyPresses(); // those made before the show had a window

    dmsResetViewport();
    dmsPerspective3D();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    listArchiveImages();
    openMusic();
    return true;
}

int dmsGetWindowWidth() { return window().width; }
int dmsGetWindowHeight() { return window().height; }

bool dmsGetKey(int virtualKey)
{
    const SHORT state = GetAsyncKeyState(virtualKey);
    if (state & 1)
        noteKeyPress(virtualKey); // pressed since this frame's poll: it is the next frame's
    const bool pressedThisFrame = virtualKey > 0 && virtualKey < keyCount && framePresses.test(virtualKey);
    return pressedThisFrame || (state & 0x8000) != 0;
}

void dmsPerspective2D(int width, int height)
{
    // Scenes draw world geometry after a full-screen pass without placing their camera again:
    // keep theirs. A nested call keeps the copy taken by the first.
    WindowState& w = window();
    if (!w.in2D) {
        glGetFloatv(GL_PROJECTION_MATRIX, w.sceneProjection);
        glGetFloatv(GL_MODELVIEW_MATRIX, w.sceneModelview);
        w.in2D = true;
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(0.0, width, 0.0, height, -1.0, 1.0);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void dmsPerspective3D()
{
    WindowState& w = window();
    glMatrixMode(GL_PROJECTION);
    if (w.in2D) {
        glLoadMatrixf(w.sceneProjection);
        glMatrixMode(GL_MODELVIEW);
        glLoadMatrixf(w.sceneModelview);
        w.in2D = false;
        return;
    }
    // Not after a 2D projection (start-up, or a second call): the perspective alone, the
    // modelview as it is.
    glLoadIdentity();
    gluPerspective(fieldOfViewDegrees, aspectRatio(window().aspectIndex), nearClip, farClip);
    glMatrixMode(GL_MODELVIEW);
}

void dmsResetViewport()
{
    const Rect r = pictureRect();
    glViewport(r.x, r.y, r.w, r.h);
}

const char* dmsWindowTitle() { return window().title.c_str(); }

void dmsGetPictureRect(int rect[4])
{
    const Rect r = pictureRect();
    rect[0] = r.x;
    rect[1] = r.y;
    rect[2] = r.w;
    rect[3] = r.h;
}

void dmsReadFrame(std::vector<uint8_t>& rgba) { dmsReadFrameRows(0, window().height * supersampling(), rgba); }

void dmsReadFrameRows(int top, int rows, std::vector<uint8_t>& rgba)
{
    const WindowState& w = window();
    const int width = w.width * supersampling(), height = w.height * supersampling();
    top = std::clamp(top, 0, height);
    rows = std::clamp(rows, 0, height - top);
    // A buffer of the right size is read into as it is: a capture reads every frame into the
    // same one, and filling it first would be wasted.
    const size_t size = static_cast<size_t>(width) * rows * 4;
    if (rgba.size() != size)
        rgba.assign(size, 0);
    if (!w.context) {
        std::fill(rgba.begin(), rgba.end(), uint8_t{0});
        return;
    }
    if (w.offlineFramebuffer) {
        realBindFramebuffer(GL_FRAMEBUFFER_EXT, w.offlineFramebuffer);
        setPixelScale(supersampling());
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL reads bottom row first; pictures are written top row first. Mesa turns the rows over as
    // it reads when asked; elsewhere they are swapped here.
    const bool inverted = canPackInverted();
    if (inverted)
        glPixelStorei(GL_PACK_INVERT_MESA, GL_TRUE);
    glReadPixels(0, height - top - rows, width, rows, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    if (inverted) {
        glPixelStorei(GL_PACK_INVERT_MESA, GL_FALSE);
        return;
    }
    const size_t stride = static_cast<size_t>(width) * 4;
    std::vector<uint8_t> row(stride);
    for (int y = 0; y < rows / 2; ++y) {
        uint8_t* upper = rgba.data() + y * stride;
        uint8_t* lower = rgba.data() + (rows - 1 - y) * stride;
        std::memcpy(row.data(), upper, stride);
        std::memcpy(upper, lower, stride);
        std::memcpy(lower, row.data(), stride);
    }
}

void dmsShutDown()
{
    WindowState& w = window();
    closeMusic();
    if (w.context) {
        releaseTextures();
        for (const char* name : {"glBindFramebufferEXT", "glBindFramebuffer", "glBindFramebufferARB"})
            setProcAddressOverride(name, nullptr);
        // The next context starts from GL's defaults.
        setPixelScale(1);
        lineWidthAsked(1.0f);
        pointSizeAsked(1.0f);
    }
    releaseResources();
    closePlatformWindow();
    closeArchive();
    const int aspect = w.aspectIndex;
    w = WindowState{};
    w.aspectIndex = aspect;
}

} // namespace VELMORA_PELAGOR
