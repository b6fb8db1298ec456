// The show's command line: without flags the setup dialog comes first; --window or --fullscreen
// choose the mode instead, --start begins at a music time. Pure: no window, no GL.
#pragma once

#include "shell/setup_choice.h"

#include <string>

struct CommandLine {
    bool help = false;
    bool skipDialog = false; // --window or --fullscreen chose the mode
    bool sizeGiven = false;  // --window gave the size
    bool aspectGiven = false; // --aspect chose the aspect ratio
    ShowMode mode;
    bool oldNvidia = false;
    int startMs = 0;
};

// Fills `line` from argv; false with a one-line `problem` when a flag is unknown or malformed.
bool parseCommandLine(int argc, char** argv, CommandLine& line, std::string& problem);
const char* showUsage();
// The index of the aspect ratio ("4:3", "16:10", "16:9") nearest a picture's.
int nearestAspectIndex(int width, int height);
