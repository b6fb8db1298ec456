// What ffmpeg is asked to do for a video: pure text, the same on every platform.
#pragma once

#include "tools/capture/options.h"

#include <string>
#include <vector>

// The encoders ffmpeg must have for this codec and its music, by ffmpeg's names.
std::vector<std::string> encodersFor(VideoCodec codec);
// The music time of a frame as ffmpeg reads it: seconds with the milliseconds.
std::string secondsText(double ms);
// ffmpeg's whole argument vector for `frames` frames starting at music time `firstMs`; the music,
// when `withMusic`, is read from descriptor 3.
std::vector<std::string> ffmpegArguments(const CaptureOptions& options, int firstMs, int frames, bool withMusic);
