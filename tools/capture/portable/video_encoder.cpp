// The Windows and browser builds write frames only: video goes through ffmpeg as a child process
// with the music on an extra descriptor, which the POSIX process code provides and these builds do
// not. Encode the frames afterwards with ffmpeg instead.
#include "tools/capture/video_encoder.h"

namespace {
constexpr const char* unavailable = "video output is not available in this build; write frames (--out FOLDER) "
                                    "and encode them with ffmpeg";
}

bool checkFfmpeg(VideoCodec, std::string& problem)
{
    problem = unavailable;
    return false;
}

VideoEncoder::~VideoEncoder() = default;

bool VideoEncoder::open(const CaptureOptions&, int, int, const std::vector<uint8_t>&, std::string& problem)
{
    problem = unavailable;
    return false;
}

bool VideoEncoder::write(std::vector<uint8_t>&) { return false; }
bool VideoEncoder::finish() { return false; }
bool VideoEncoder::discard() { return false; }

bool ChildProcess::start(const std::vector<std::string>&, int) { return false; }
bool ChildProcess::finish() { return false; }
