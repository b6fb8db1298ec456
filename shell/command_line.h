// The show's command line: without flags the setup dialog comes first; --window or --fullscreen
// choose the mode instead, --start begins at a music time. Pure: no window, no GL.
#pragma once

#include "platform/window_system.h"
#include "shell/setup_choice.h"

#include <string>

struct CommandLine {
    bool help = false;
    bool version = false;
    bool skipDialog = false; // --window or --fullscreen chose the mode
    bool sizeGiven = false;  // --window gave the size
    bool aspectGiven = false; // --aspect chose the aspect ratio
    ShowMode mode;
    bool oldNvidia = false;
    int startMs = 0;
    WindowSystem video = WindowSystem::Automatic; // --video, else ORVALUNE_VIDEO
};

// Fills `line` from argv and the value of ORVALUNE_VIDEO (null when unset); false with a
// one-line `problem` when a flag or that value is unknown or malformed.
bool parseCommandLine(int argc, char** argv, CommandLine& line, std::string& problem,
                      const char* videoVariable = nullptr);
const char* showUsage();
// The index of the aspect ratio ("4:3", "16:10", "16:9") nearest a picture's.
int nearestAspectIndex(int width, int height);
