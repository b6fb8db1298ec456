// The capture tool's command line: what it means, checked before anything is rendered. Pure: no
// GL, no files, so that any argument vector can be thrown at it.
#pragma once

#include <string>

enum class OutputKind { Frames, Mp4, Mkv, Webm };
enum class VideoCodec { H264, Ffv1, Vp9 };
// How supersampled pixels and sub-frames are averaged: as light (the stored sRGB values decoded
// to linear light, averaged, encoded again) or as the stored values themselves.
enum class AverageIn { LinearLight, StoredValues };

struct CaptureOptions {
    int atMs = -1;               // a single frame, or -1
    int fromMs = -1, toMs = -1;  // a range, or -1
    int fps = 60;
    int width = 1280, height = 720;
    int runupMs = -1;            // a single frame's run-up; -1: from the start of the earliest live scene
    bool seek = false;           // a single frame right after a seek, nothing played before it
    int supersample = 1;         // drawn at this many times the width and height, then reduced
    int motionBlur = 1;          // sub-frames averaged into each frame
    double shutter = 0.5;        // the share of a frame's interval its sub-frames span
    bool shutterGiven = false;
    AverageIn averageIn = AverageIn::LinearLight;
    int crf = -1;                // video quality; -1: the codec's default below
    VideoCodec codec = VideoCodec::H264; // the container's default unless --codec names one
    std::string pixFmt;          // ffmpeg's pixel format of the video; empty: the codec's default
    std::string preset = "veryfast"; // x264's speed/size trade
    bool scaleTargets = false;   // the effects' render targets grow with the drawn picture
    bool force = false;          // overwrite frames a folder already holds
    bool checkGlState = false;   // watch the GL state between effects; any departure fails the capture
    bool help = false;
    bool version = false;
    std::string out;
    std::string archive = "data.pak";
    int chunkFirst = -1, chunkLast = -1; // a chunk: frames [first, last] of the range only, or -1
    std::string recordDrawStates; // where to write the GL states drawn in, for the warm-up; empty: not
    OutputKind output = OutputKind::Frames;
};

constexpr int captureShowEndMs = 363000; // past it the show is over
constexpr int defaultCrfH264 = 20;
constexpr int defaultCrfVp9 = 32;

// Fills `options` from argv; false with a one-line `problem` when the command line is unusable.
// `--help` or `--version` alone is a valid command line (options.help, options.version).
bool parseCaptureOptions(int argc, char** argv, CaptureOptions& options, std::string& problem);
// The kind of output a path names, by its extension; false for a video type we cannot write.
bool outputKindFor(const std::string& path, OutputKind& kind, std::string& problem);
// The usage text.
const char* captureUsage();
// The quality a video is encoded at: the user's --crf or the codec's default.
int effectiveCrf(const CaptureOptions& options);
// The pixel format a video is encoded in: the user's --pix-fmt or the codec's default.
std::string effectivePixFmt(const CaptureOptions& options);
// Names as the command line writes them.
const char* codecName(VideoCodec codec);
const char* averageInName(AverageIn averageIn);
// True when frames are drawn more than once or larger than they are written: the picture then
// goes through the reduction rather than straight from the frame buffer.
inline bool reduces(const CaptureOptions& o) { return o.supersample > 1 || o.motionBlur > 1; }
