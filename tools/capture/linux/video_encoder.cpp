// Videos on Linux: ffmpeg as a child process, the music on descriptor 3 from a memory file.
#include "tools/capture/video_encoder.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>

namespace {

// The music as a file that exists only in memory and only as long as a descriptor holds it.
int musicInMemory(const std::vector<uint8_t>& music)
{
    const int fd = memfd_create("orvalune-music", MFD_CLOEXEC);
    if (fd < 0)
        return -1;
    size_t written = 0;
    while (written < music.size()) {
        const ssize_t n = ::write(fd, music.data() + written, music.size() - written);
        if (n <= 0) {
            close(fd);
            return -1;
        }
        written += static_cast<size_t>(n);
    }
    // Out of the way of the descriptors the child's standard streams use.
    const int high = fcntl(fd, F_DUPFD_CLOEXEC, 10);
    close(fd);
    return high;
}

} // namespace

bool checkFfmpeg(VideoCodec codec, std::string& problem)
{
    if (findOnPath("ffmpeg").empty()) {
        problem = "a video needs ffmpeg, which is not installed (on Debian: apt-get install ffmpeg)";
        return false;
    }
    std::string list;
    if (!programOutput({"ffmpeg", "-hide_banner", "-encoders"}, list)) {
        problem = "ffmpeg is installed but does not run (ffmpeg -encoders failed)";
        return false;
    }
    for (const std::string& encoder : encodersFor(codec))
        if (list.find(" " + encoder + " ") == std::string::npos) {
            problem = "this ffmpeg lacks the " + encoder + " encoder that this output needs";
            return false;
        }
    return true;
}

VideoEncoder::~VideoEncoder()
{
    if (ffmpeg.pid > 0)
        discard();
    stopWriter();
    if (musicFd >= 0)
        close(musicFd);
}

bool VideoEncoder::open(const CaptureOptions& o, int firstMs, int frames, const std::vector<uint8_t>& music,
                        std::string& problem)
{
    path = o.out;
    musicFd = music.empty() ? -1 : musicInMemory(music);
    if (!music.empty() && musicFd < 0)
        std::fprintf(stderr, "orvalune-capture: cannot hold the music in memory; the video is silent\n");
    if (!ffmpeg.start(ffmpegArguments(o, firstMs, frames, musicFd >= 0), musicFd)) {
        problem = "cannot start ffmpeg for " + o.out;
        return false;
    }
    writer = std::thread([this] { feed(); });
    return true;
}

bool VideoEncoder::write(std::vector<uint8_t>& rgba)
{
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !hasWaiting || failed; });
    if (failed || stopping || !writer.joinable())
        return false;
    waiting.swap(rgba);
    hasWaiting = true;
    rgba.swap(spare);
    changed.notify_all();
    return true;
}

void VideoEncoder::feed()
{
    for (;;) {
        std::vector<uint8_t> frame;
        {
            std::unique_lock<std::mutex> lock(mutex);
            changed.wait(lock, [this] { return hasWaiting || stopping; });
            if (!hasWaiting)
                return;
            frame.swap(waiting);
            hasWaiting = false;
            changed.notify_all();
        }
        // After a failed write the frames are only taken, so that no caller waits for ever.
        const bool ok = !failed && ffmpeg.input &&
                        std::fwrite(frame.data(), 1, frame.size(), ffmpeg.input) == frame.size();
        std::lock_guard<std::mutex> lock(mutex);
        failed = failed || !ok;
        if (spare.empty())
            spare.swap(frame);
        changed.notify_all();
    }
}

void VideoEncoder::stopWriter()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        stopping = true;
    }
    changed.notify_all();
    if (writer.joinable())
        writer.join();
}

bool VideoEncoder::finish()
{
    stopWriter();
    const bool wrote = !failed;
    const bool ok = ffmpeg.finish() && wrote;
    if (musicFd >= 0)
        close(musicFd);
    musicFd = -1;
    return ok;
}

bool VideoEncoder::discard()
{
    stopWriter();
    ffmpeg.finish();
    std::error_code ignored;
    return std::filesystem::remove(path, ignored);
}
