// The demo driver: start-up in its fixed order, the frame loop with the fade-out and the seek
// keys, and the shutdown sequence. The capture tool runs the same start-up and frames.
#pragma once

#include "platform/win32.h"
#include "shell/setup_choice.h"

constexpr float fadeSeconds = 1.15f;
constexpr int showEndMs = 363000;

struct LoopState {
    float fadeRemaining = 0.0f; // seconds, 0 = no fade
    int seekDirection = 0;      // -1, 0 or +1
    bool done = false;
    MSG lastMessage;
};

// Opens the runtime in the chosen mode and builds everything the show needs (the steps after
// the dialog). False when the runtime could not start; the caller shuts down.
bool startShow(const ShowMode& mode, const char* archive = "data.pak");
// Constructs the effects and registers each on the timeline, in the order of the show.
void registerEffects();
// Takes the effects off the timeline and destroys them; the GL context must still be current.
void releaseEffects();
// One frame without the swap: clock, camera, Escape, clear, effects, seek keys, fade, end.
void drawFrame(LoopState& state);
// One pass of the loop: handles one waiting window message, or draws and swaps one frame.
void loopStep(LoopState& state);
// Sinks the picture into the fog colour and the music into silence; true when the fade is over.
bool fadeOut(float& fadeRemaining);
void shutDownShow();
// How the show starts: the setup dialog chooses the mode, or the command line did; the show
// then begins at `startMs` of music, as the seek keys would take it there.
struct ShowStart {
    bool dialog = true;
    ShowMode mode;
    int startMs = 0;
};
// The whole program: dialog, start-up, loop, shutdown. Returns the exit code.
int runDemo(const ShowStart& start = {});
