// Frames of the whole show through the capture tool, as a viewer would see them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CapturedFrame {
    int width = 0, height = 0;
    std::vector<uint8_t> rgba; // top row first
    std::string log;           // everything the tool printed
    bool ok = false;           // the tool succeeded and the picture was read
    bool glErrors() const { return log.find("GL error") != std::string::npos; }
    // Mean of a channel (0 red .. 3 alpha) over the whole picture, 0..255.
    double meanChannel(int channel) const;
    // Share of pixels whose brightest channel exceeds the threshold.
    double shareBrighterThan(int threshold) const;
};

// One frame right after seeking to `ms` (no frame ran before it).
CapturedFrame captureAt(int ms, int width = 320, int height = 180);

// The show played from `fromMs` to `toMs` at `fps`, as a viewer watching it sees it: the frames
// at the given times (each rounded down to a frame of the range), in that order.
std::vector<CapturedFrame> capturePlayed(int fromMs, int toMs, int fps, const std::vector<int>& atMs,
                                         int width = 320, int height = 180);
