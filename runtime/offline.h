// The runtime's offline mode, for the capture tool and the tests.
//
// Set before dmsInitEx. No window opens (on Linux the context is EGL's, without any window
// system; on Windows the window stays hidden) and the picture goes into a frame buffer the
// runtime owns, which stands in for the window (frame buffer 0) for everything drawn; the clock
// advances exactly 1000 / fps ms per dmsUpdateTimer from the chosen start; no audio device is
// opened and the spectrum is computed from the decoded music at the offline position.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR {

class Base;

// The most supersampling the runtime draws with each way.
constexpr int maxSupersample = 4;

struct OfflineOptions {
    int fps = 60;
    int startMs = 0; // the first frame shows this music position
    // The frame buffer standing for the window has this many times its pixels each way (1 to
    // maxSupersample; dmsEnableOffline keeps it in that range and dmsSupersampling says what it took);
    // viewports, line widths and point sizes drawn into it scale with it, the render targets do
    // not (unless scaleTargets). dmsGetWindowWidth/Height stay the window's own size.
    int supersample = 1;
    // dmsUpdateTimer steps through this many sub-frames per frame, spread evenly over `shutter`
    // (0 < shutter <= 1) of the frame's interval from its start: the clock never runs backwards,
    // and with shutter 1 it is the clock of fps * subFrames.
    int subFrames = 1;
    double shutter = 1.0;
    // The effects' 1024 and 512 targets grow with the drawn picture (dmsTargetScale), and line
    // widths and point sizes drawn into them with them, so that a large master is as detailed as
    // its size and still looks like the show.
    bool scaleTargets = false;
};

void dmsEnableOffline(const OfflineOptions& options);
bool dmsIsOffline();
// How many times larger the effects' 1024 and 512 render targets are made: 1 unless offline with
// scaleTargets; then the drawn picture's height over the height the targets were made for
// (runtime/target_scale.h), within the driver's limits. Known once dmsInitEx has succeeded.
float dmsTargetScale();
// Line widths and point sizes drawn into the frame buffer just bound are this many times those
// asked for, until the next binding (which resets it to that buffer's own scale). The render
// targets' binding calls it for the targets that grow with dmsTargetScale.
void dmsScaleDrawnSizes(float scale);
// How many times the window's pixels each way the frame buffer standing for it has, as the runtime
// draws it: 1 unless offline with supersampling. The picture dmsReadFrame returns is this many
// times the window's width and height.
int dmsSupersampling();
// The finished picture of the current frame, RGBA as the frame buffer holds it (alpha included),
// top row first, width x height of the window times the supersampling each way.
void dmsReadFrame(std::vector<uint8_t>& rgba);
// Rows [top, top + rows) of that picture, counted from the top, top row first (a supersampled
// picture is read in bands rather than held whole).
void dmsReadFrameRows(int top, int rows, std::vector<uint8_t>& rgba);

// Test seams.
// Replaces the spectrum with the given 512 values (nullptr returns to the music).
void dmsSetSpectrumOverride(const float* values);
// The registered effects with their timeline data, in registration order.
struct TimelineEntry {
    unsigned long start, end;
    int layer;
    const char* name;
    Base* effect;
};
const std::vector<TimelineEntry>& dmsTimeline();
// Forgets every registered effect (the effects themselves belong to their owner).
void dmsClearTimeline();
// Sets the clock without audio: for tests that drive the timeline by hand.
void dmsSetPositionForTest(int ms);
// The window title last set (offline there is no window to show it).
const char* dmsWindowTitle();
// The letterboxed picture rectangle dmsResetViewport sets: x, y, width, height.
void dmsGetPictureRect(int rect[4]);
// Called just before (entering) and just after every effect's run, for checks that watch what
// each effect finds and leaves; nullptr removes it.
using EffectWatcher = void (*)(const TimelineEntry& entry, bool entering, void* context);
void dmsSetEffectWatcher(EffectWatcher watcher, void* context);

} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
// Receives every dmsMsg line as well as stderr (nullptr removes the sink).
void dmsSetLogSink(void (*sink)(const char* line, void* context), void* context);
} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
// The raw bytes of an archive file (the capture muxes the music from it).
bool dmsReadArchiveFile(const char* name, std::vector<uint8_t>& bytes);
// The file the open archive was read from (empty when none is open, or it came from memory).
std::string dmsArchiveFile();
} // namespace VELMORA_PELAGOR

namespace VELMORA_PELAGOR {
// The gain the music plays at now (1 = normal), as the last dmsSetVolume left it.
float dmsCurrentGain();
} // namespace VELMORA_PELAGOR
