// State shared by the runtime's own files. Nothing outside runtime/ includes this.
#pragma once

#include "runtime/archive.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <SDL.h>

#include <cstdint>
#include <string>
#include <vector>

namespace VELMORA_PELAGOR::detail {

struct WindowState {
    SDL_Window* window = nullptr;
    SDL_GLContext context = nullptr;
    int width = 0, height = 0;
    int aspectIndex = 0;
    bool videoStarted = false;
    // Offline: the frame buffer that stands in for the window.
    unsigned int offlineFramebuffer = 0;
    unsigned int offlineColor = 0, offlineDepth = 0;
    bool gammaSaved = false;
    Uint16 gammaRamp[3][256] = {};
    // The scene's projection and modelview while dmsPerspective2D is in force; one copy, not GL's
    // matrix stack, so nested or unpaired calls cannot overflow or underflow anything.
    bool in2D = false;
    float sceneProjection[16] = {};
    float sceneModelview[16] = {};
};
WindowState& window();

// Offline options as set before dmsInitEx.
struct OfflineState {
    bool enabled = false;
    OfflineOptions options;
};
OfflineState& offline();

// Textures: listed while starting; decoded and uploaded one at a time on first use or when the
// timer starts.
void listArchiveImages();
void uploadPendingTextures();
void releaseTextures();

// Music and clock.
bool openMusic(); // false: no music, the clock runs on its own
void closeMusic();
double songLengthMs(); // infinity without music

void releaseResources();

} // namespace VELMORA_PELAGOR::detail
