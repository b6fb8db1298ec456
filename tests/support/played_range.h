// Frames of a played stretch of the show: the capture tool runs every frame from `fromMs` to
// `toMs` at `fps`, as a viewer would have watched them, and the chosen moments are kept.
#pragma once

#include "tests/support/capture.h"

#include <vector>

struct PlayedRange {
    bool ok = false;  // the tool succeeded and every kept frame was read
    std::string log;  // everything the tool printed
    std::vector<CapturedFrame> frames; // one per kept moment, in the order asked
    bool glErrors() const { return log.find("GL error") != std::string::npos; }
};

// Each kept moment is rounded down to the frame showing it; moments outside the range fail.
PlayedRange capturePlayed(int fromMs, int toMs, int fps, const std::vector<int>& keepMs, int width = 320,
                          int height = 180);
