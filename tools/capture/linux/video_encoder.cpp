#include "tools/capture/video_encoder.h"

#include "runtime/version.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <algorithm>
#include <filesystem>
#include <string>
#include <thread>

// The file lives only as long as a descriptor holds it.
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

std::vector<std::string> encodersFor(VideoCodec codec)
{
    switch (codec) {
    case VideoCodec::Vp9: return {"libvpx-vp9", "libopus"};
    case VideoCodec::Ffv1: return {"ffv1", "flac"};
    case VideoCodec::H264: break;
    }
    return {"libx264", "aac"};
}

std::string secondsText(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", ms / 1000.0);
    return text;
}

std::vector<std::string> ffmpegArguments(const CaptureOptions& o, int firstMs, int frames, bool withMusic)
{
    const std::string crf = std::to_string(effectiveCrf(o));
    std::vector<std::string> a = {"ffmpeg", "-hide_banner", "-loglevel", "error", "-y",
                                  "-f", "rawvideo", "-pix_fmt", "rgba",
                                  "-s", std::to_string(o.width) + "x" + std::to_string(o.height),
                                  "-framerate", std::to_string(o.fps), "-i", "pipe:0"};
    // The music from the first frame's time, exactly as long as the frames last.
    if (withMusic)
        a.insert(a.end(), {"-ss", secondsText(firstMs), "-t", secondsText(frames * 1000.0 / o.fps), "-i",
                           "file:/dev/fd/3", "-map", "0:v", "-map", "1:a"});
    const std::string threads = std::to_string(std::max(1u, std::thread::hardware_concurrency()));
    if (o.codec == VideoCodec::Vp9) {
        a.insert(a.end(), {"-c:v", "libvpx-vp9", "-crf", crf, "-b:v", "0", "-deadline", "realtime", "-cpu-used", "8",
                           "-row-mt", "1", "-pix_fmt", "yuv420p"});
        if (withMusic)
            a.insert(a.end(), {"-c:a", "libopus", "-b:a", "160k"});
    } else if (o.codec == VideoCodec::Ffv1) {
        // The archive copy: FFV1 version 3, every frame a key frame, each slice checked by a CRC,
        // by default in the RGB it was drawn in; the music as FLAC, also lossless.
        a.insert(a.end(), {"-c:v", "ffv1", "-level", "3", "-g", "1", "-slicecrc", "1", "-slices", "4",
                           "-pix_fmt", effectivePixFmt(o), "-threads", threads});
        if (withMusic)
            a.insert(a.end(), {"-c:a", "flac"});
    } else {
        a.insert(a.end(), {"-c:v", "libx264", "-preset", o.preset, "-crf", crf, "-pix_fmt", effectivePixFmt(o)});
        // One encoding thread per core: x264's own default of one and a half holds more frames in
        // memory and gains nothing while the renderer shares the cores.
        a.insert(a.end(), {"-threads", threads});
        if (withMusic)
            a.insert(a.end(), {"-c:a", "aac", "-b:a", "192k"});
        // The index at the front: browsers play while downloading.
        if (o.output == OutputKind::Mp4)
            a.insert(a.end(), {"-movflags", "+faststart"});
    }
    // Which build made the video, readable with ffprobe or any player's properties.
    a.insert(a.end(), {"-metadata", "title=Orvalune", "-metadata", "comment=" + versionLine("orvalune-capture")});
    // A capture stopped early ends its music with its last frame.
    if (withMusic)
        a.push_back("-shortest");
    // "file:" keeps ffmpeg from reading the path as an option or a protocol, whatever it holds.
    a.push_back("file:" + o.out);
    return a;
}

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
