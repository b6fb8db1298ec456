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
    // Mean of the brightest channel over a rectangle given in fractions of the picture, from the
    // top-left corner.
    double regionMean(float left, float top, float right, float bottom) const;
};

// The capture program a test runs: the build's own by default; the Windows build's under Wine for
// the comparison of the two.
struct CaptureTool {
    std::vector<std::string> command; // the program (after its launcher, if any)
    std::string workingDirectory;
    std::string pathPrefix; // put before output folders ("Z:" under Wine)
};
CaptureTool builtCaptureTool();

// One frame right after seeking to `ms` (no frame ran before it).
CapturedFrame captureAt(int ms, int width = 320, int height = 180, const CaptureTool& tool = builtCaptureTool());

// One frame as a viewer sees it, the show played for `runupMs` before it at `fps`; keeps no other
// frame, so a long run-up costs no memory.
CapturedFrame capturePlayedAt(int ms, int runupMs, int fps, int width, int height);

// Every frame of a played range (--from --to --fps), as a viewer who watched it sees them.
struct CapturedRange {
    std::vector<CapturedFrame> frames; // frame i shows fromMs + i * 1000 / fps
    std::string log;
    int exitCode = -1;
    bool timedOut = false;
    bool glErrors() const { return log.find("GL error") != std::string::npos; }
};

CapturedRange captureRange(int fromMs, int toMs, int fps, int width = 320, int height = 180,
                           double timeoutSeconds = 600.0, const CaptureTool& tool = builtCaptureTool());

// The show played from `fromMs` to `toMs` at `fps`, as a viewer watching it sees it: the frames
// at the given times (each rounded down to a frame of the range), in that order.
std::vector<CapturedFrame> capturePlayed(int fromMs, int toMs, int fps, const std::vector<int>& atMs,
                                         int width = 320, int height = 180);
