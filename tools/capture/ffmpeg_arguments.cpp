#include "tools/capture/ffmpeg_arguments.h"

#include "runtime/version.h"

#include <algorithm>
#include <cstdio>
#include <thread>

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
