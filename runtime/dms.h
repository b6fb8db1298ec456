// The dms runtime: window and GL context, the data archive, textures, meshes, texts, music and
// its clock, the spectrum, keys and the effect timeline.
//
// Contract, a line per call (times are milliseconds of music position unless said otherwise):
//   dmsInitEx            opens the window (or full screen) with a GL compatibility context in the
//                        given mode, the archive (beside the executable, else the working directory,
//                        or the path itself when absolute) and the music. False, after a message
//                        box naming the problem, when the display or the archive cannot be opened
//                        or the archive lacks a file named by dmsRequireArchiveFiles.
//   dmsSetWindowTitle    the window caption.
//   dmsGetHWND/HDC       the window, for message boxes, the icon and SwapBuffers.
//   dmsSetMipMaps        the named texture gets mip-maps.
//   dmsSetTextureParameter  stored for the named texture and applied as glTexParameterf.
//   dmsAddEffect         appends an effect to the timeline; names may repeat.
//   dmsInitEffects       init(start, end) of every effect, in registration order.
//   dmsInitTimer         clock to 0 (offline: to the chosen start); dmsPlaySong starts the music.
//   dmsUpdateTimer       once per frame; the first frame's delta is 0.
//   dmsGetModulePosition the music position; monotonic between seeks.
//   dmsGetDeltaTime      seconds between the last two dmsUpdateTimer calls.
//   dmsRun               every effect whose [start, end] holds the position, layers 10, 5, 0,
//                        ties in registration order; currentTime is set before each run.
//   dmsGetKey            true while the Windows virtual key is held, and for the frame after a
//                        press already let go (a tap between two frames is never lost).
//   dmsSetVolume         100 is normal, 0 silent.
//   dmsAdjustTime        seeks by the amount, clamped to [0, song length].
//   dmsGetTexture        a texture by archive name (hash lookup); a missing or corrupt image is
//                        logged once and becomes a 1x1 white placeholder.
//   dmsGetObject         a .t3d mesh; a missing or malformed one is logged and empty.
//   dmsGetText           NUL-terminated text of an archive file, or null when missing.
//   dmsGetSpectrum       512 magnitudes of the music around the play position.
//   dmsPerspective2D     orthographic x in [0, w], y in [0, h]; modelview is identity afterwards.
//                        The caller's projection and modelview are kept (once, when nested).
//   dmsPerspective3D     after dmsPerspective2D, the kept projection and modelview come back;
//                        otherwise the perspective for the chosen aspect ratio, modelview untouched.
//   dmsResetViewport     the letterboxed picture rectangle inside the window.
//   dmsMsg               printf-style line to stderr, prefixed with the music time.
//   dmsSetGamma          0 restores the display gamma.
//   dmsShutDown          releases music, archive and window; safe when nothing was opened.
#pragma once

#include "platform/win32.h"
#include "maths/vector.h"

#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

// The value types, offered here as the runtime's own.
using ::Matrix;
using ::Vector;
using ::Vector3;

// An effect on the timeline. The runtime sets currentTime before each run().
class Base {
public:
    bool runtimeFlag = false; // owned by the runtime: true while the effect is in its window
    float currentTime = 0.0f;
    uint32_t startTime = 0;
    uint32_t endTime = 0;

    virtual ~Base() = default;
    virtual bool init(unsigned long start, unsigned long end)
    {
        startTime = static_cast<uint32_t>(start);
        endTime = static_cast<uint32_t>(end);
        return true;
    }
    virtual void update(float time) { currentTime = time; }
    virtual void run() = 0;
    virtual void release() {}
    virtual void draw(float t, float alpha) = 0;
};

class Texture {
public:
    unsigned int id = 0;
    unsigned int width = 0, height = 0;
    int getID() const { return static_cast<int>(id); }
    unsigned int getWidth() const { return width; }
    unsigned int getHeight() const { return height; }
};

struct T3DVertex {
    Vector3 position;
    Vector3 normal; // written by the generator, not read by the show
    float u = 0.0f, v = 0.0f;
};

struct T3DFace {
    Vector3 normal;
    uint32_t a = 0, b = 0, c = 0;
};

class T3D {
public:
    std::vector<T3DVertex> vertices;
    std::vector<T3DFace> faces;
    unsigned int getVertexCount() const { return static_cast<unsigned int>(vertices.size()); }
    unsigned int getFaceCount() const { return static_cast<unsigned int>(faces.size()); }
    T3DVertex* getVertexArray() { return vertices.empty() ? nullptr : vertices.data(); }
    T3DFace* getFaceArray() { return faces.empty() ? nullptr : faces.data(); }
};

struct QuadraticBezierCurve {
    Vector3 points[3];
};
struct HermiteCurve {
    Vector3 points[4];
};
struct SplineKey {
    int32_t values[4] = {0, 0, 0, 0};
    Vector3 position;
};

// The caller passes its interface version (1), "Always on top" for the window and again for full
// screen, and reserved flags (0); this runtime keeps the window on top whenever alwaysOnTop asks
// for it and needs neither the version nor the flags.
bool dmsInitEx(int width, int height, int bitsPerPixel, bool fullscreen, int interfaceVersion, bool alwaysOnTop,
               bool alwaysOnTopFullscreen, int reservedFlags, int aspectIndex, const char* archive, int refreshRate);
void dmsSetWindowTitle(const char* title);
HWND dmsGetHWND();
HDC dmsGetHDC();
void dmsSetMipMaps(const char* name, int enabled);
void dmsSetTextureParameter(const char* name, unsigned int parameter, float value);
void dmsAddEffect(unsigned long start, unsigned long end, int layer, const char* name, Base* effect);
void dmsInitEffects();
void dmsInitTimer();
void dmsPlaySong(int play);
void dmsUpdateTimer();
int dmsGetModulePosition();
float dmsGetDeltaTime();
void dmsRun();
bool dmsGetKey(int virtualKey);
void dmsSetVolume(float volume);
void dmsAdjustTime(float ms);
Texture* dmsGetTexture(const char* name);
T3D* dmsGetObject(const char* name);
const char* dmsGetText(const char* name);
void dmsGetSpectrum(float* buffer, int count);
int dmsGetWindowWidth();
int dmsGetWindowHeight();
void dmsPerspective2D(int width, int height);
void dmsPerspective3D();
void dmsResetViewport();
void dmsMsg(const char* format, ...) __attribute__((format(printf, 1, 2)));
void dmsSetGamma(int gamma);
void dmsShutDown();

// Beyond the contract: what the program cannot do without.
// The archive names the program needs; dmsInitEx then refuses an archive lacking any of them,
// naming what is missing, before any window opens. Lookups themselves still never fail.
void dmsRequireArchiveFiles(std::vector<std::string> names);
// Every texture, mesh or text that could not be given as asked (missing, damaged, malformed),
// one line each in the order they happened: a picture drawn after one is not what was asked for.
const std::vector<std::string>& dmsResourceProblems();

} // namespace VELMORA_PELAGOR

using namespace VELMORA_PELAGOR;
