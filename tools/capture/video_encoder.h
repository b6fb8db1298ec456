// Contract: a video through ffmpeg, raw frames on its standard input, the soundtrack cut to the
// same range from an anonymous in-memory file (nothing in the temporary folder to plant, guess or
// leave behind), H.264 or FFV1 in MP4 or Matroska, VP9 in WebM. Where the backend can start
// ffmpeg with the music on an extra descriptor (linux/video_encoder.cpp) it does; elsewhere
// (portable/video_encoder.cpp) every call refuses with a message and frames are written instead.
// What ffmpeg is asked to do is the same everywhere (ffmpeg_arguments.h).
#pragma once

#include "tools/capture/child_process.h"
#include "tools/capture/ffmpeg_arguments.h"
#include "tools/capture/options.h"

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Checks up front that ffmpeg is there and can write this output; false with a message if not.
bool checkFfmpeg(VideoCodec codec, std::string& problem);

// Frames reach ffmpeg from a writer thread: the next frame is drawn while ffmpeg takes the last
// one, and at most one more waits, so no more than two frames are held.
class VideoEncoder {
public:
    ~VideoEncoder();
    // Starts ffmpeg; `music` may be empty (a silent video).
    bool open(const CaptureOptions& options, int firstMs, int frames, const std::vector<uint8_t>& music,
              std::string& problem);
    // Hands the frame over; `rgba` comes back holding a buffer to read the next frame into (empty
    // or of an earlier frame). Waits while a frame is already waiting. False once ffmpeg has
    // stopped taking frames.
    bool write(std::vector<uint8_t>& rgba);
    // Ends the input and waits for ffmpeg; true when the file is complete and playable.
    bool finish();
    // Ends ffmpeg and removes whatever it wrote; true when there was a file to remove.
    bool discard();

private:
    void feed();
    // Lets the writer write what is waiting, then ends it.
    void stopWriter();

    ChildProcess ffmpeg;
    int musicFd = -1;
    std::string path;

    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint8_t> waiting; // the frame handed over, not yet taken by the writer
    bool hasWaiting = false;
    std::vector<uint8_t> spare; // a buffer the writer is done with
    bool stopping = false;
    bool failed = false;
    std::thread writer;
};
