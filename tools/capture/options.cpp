#include "tools/capture/options.h"

#include "runtime/offline.h"
#include "tools/capture/chunks.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

namespace {

constexpr int largestCount = 100000000;

// Digits only, no sign, no trailing text, at most largestCount.
bool parseCount(const std::string& text, int& value)
{
    if (text.empty() || text.size() > 9 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    value = std::stoi(text);
    return value <= largestCount;
}

// A plain decimal ("0.5", "1", ".25"): digits with at most one point, nothing else; at most 12
// characters.
bool parseDecimal(const std::string& text, double& value)
{
    if (text.empty() || text.size() > 12 || text == ".")
        return false;
    if (std::count(text.begin(), text.end(), '.') > 1 ||
        !std::all_of(text.begin(), text.end(), [](char c) { return c == '.' || (c >= '0' && c <= '9'); }))
        return false;
    value = std::strtod(text.c_str(), nullptr);
    return true;
}

// "WxH" exactly, each side a plain number.
bool parseSize(const std::string& text, int& width, int& height)
{
    const size_t x = text.find('x');
    return x != std::string::npos && parseCount(text.substr(0, x), width) && parseCount(text.substr(x + 1), height);
}

bool endsWith(const std::string& text, const char* suffix)
{
    const size_t n = std::strlen(suffix);
    if (text.size() < n)
        return false;
    for (size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(text[text.size() - n + i])) != suffix[i])
            return false;
    return true;
}

const char* const x264Presets[] = {"ultrafast", "superfast", "veryfast", "faster", "fast",
                                   "medium",    "slow",      "slower",   "veryslow"};

bool isX264Preset(const std::string& name)
{
    for (const char* preset : x264Presets)
        if (name == preset)
            return true;
    return false;
}

// What a flag accepts, for the message that refuses a value.
std::string allowedValues(const std::string& flag)
{
    if (flag == "--fps")
        return "a whole number from 1 to 240";
    if (flag == "--size")
        return "WxH, each side a whole number from 16 to 8192";
    if (flag == "--crf")
        return "a whole number from 0 to 51 for H.264, to 63 for VP9";
    if (flag == "--chunk")
        return "FIRST-LAST, frame numbers of the range counted from 0, FIRST <= LAST";
    if (flag == "--preset") {
        std::string names = "one of";
        for (const char* preset : x264Presets)
            names += std::string(" ") + preset;
        return names;
    }
    return "a whole number of milliseconds from 0 to " + std::to_string(largestCount);
}

bool fail(std::string& problem, const std::string& text)
{
    problem = text;
    return false;
}

bool parseCodec(const std::string& name, VideoCodec& codec)
{
    for (VideoCodec c : {VideoCodec::H264, VideoCodec::Ffv1, VideoCodec::Vp9})
        if (name == codecName(c)) {
            codec = c;
            return true;
        }
    return false;
}

bool parseAverageIn(const std::string& name, AverageIn& averageIn)
{
    for (AverageIn a : {AverageIn::LinearLight, AverageIn::StoredValues})
        if (name == averageInName(a)) {
            averageIn = a;
            return true;
        }
    return false;
}

// The pixel formats each codec is offered in: H.264 at 4:2:0 or 4:4:4, 8 or 10 bits; FFV1 also as
// the RGB it was drawn in, which is lossless.
bool pixFmtFits(VideoCodec codec, const std::string& pixFmt)
{
    if (codec == VideoCodec::Vp9)
        return pixFmt == "yuv420p";
    for (const char* name : {"yuv420p", "yuv444p", "yuv420p10le", "yuv444p10le"})
        if (pixFmt == name)
            return true;
    return codec == VideoCodec::Ffv1 && pixFmt == "bgr0";
}

// The codec and pixel format against the container, once the container is known.
bool checkCodec(const CaptureOptions& o, bool codecGiven, std::string& problem)
{
    const bool video = o.output != OutputKind::Frames;
    if (!video && (codecGiven || !o.pixFmt.empty()))
        return fail(problem, std::string(codecGiven ? "--codec" : "--pix-fmt") + " applies to a video output only");
    if (o.output == OutputKind::Webm && o.codec != VideoCodec::Vp9)
        return fail(problem, "a .webm video holds VP9 only; give --codec vp9 or a .mp4 or .mkv file");
    if (o.output != OutputKind::Webm && o.codec == VideoCodec::Vp9)
        return fail(problem, "--codec vp9 goes in a .webm file");
    if (o.output == OutputKind::Mp4 && o.codec == VideoCodec::Ffv1)
        return fail(problem, "--codec ffv1 goes in a .mkv file (MP4 cannot hold FFV1)");
    if (!o.pixFmt.empty() && !pixFmtFits(o.codec, o.pixFmt))
        return fail(problem, "--pix-fmt " + o.pixFmt + " is not offered for " + codecName(o.codec) +
                                 (o.codec == VideoCodec::Vp9 ? "" : " (yuv420p, yuv444p, yuv420p10le, yuv444p10le") +
                                 (o.codec == VideoCodec::Ffv1 ? ", bgr0)" : o.codec == VideoCodec::H264 ? ")" : ""));
    if (o.codec == VideoCodec::Ffv1 && o.crf >= 0)
        return fail(problem, "--crf does not apply to FFV1, which is lossless");
    return true;
}

// What the values mean together, once each is known to be well formed.
bool checkCombination(const CaptureOptions& o, std::string& problem)
{
    const bool single = o.atMs >= 0;
    const bool range = o.fromMs >= 0 || o.toMs >= 0;
    if (single == range)
        return fail(problem, "give either --at MS, or --from MS --to MS");
    if (range && (o.fromMs < 0 || o.toMs < 0))
        return fail(problem, "a range needs both --from MS and --to MS");
    if (range && o.toMs < o.fromMs)
        return fail(problem, "--to " + std::to_string(o.toMs) + " comes before --from " + std::to_string(o.fromMs));
    const int first = single ? o.atMs : o.fromMs;
    if (first > captureShowEndMs)
        return fail(problem, std::string(single ? "--at " : "--from ") + std::to_string(first) +
                                 " is past the end of the show (" + std::to_string(captureShowEndMs) + " ms)");
    if (!single && (o.runupMs >= 0 || o.seek))
        return fail(problem, "--runup and --seek apply to a single frame (--at) only");
    if (o.runupMs >= 0 && o.seek)
        return fail(problem, "give --runup MS or --seek, not both");
    if (o.out.empty())
        return fail(problem, "--out DIR or --out FILE.mp4|.mkv|.webm is required");
    if (o.archive.empty())
        return fail(problem, "--archive needs a file name");
    const bool video = o.output != OutputKind::Frames;
    if (video && single)
        return fail(problem, "a video needs a range (--from MS --to MS), not --at");
    if (!video && o.crf >= 0)
        return fail(problem, "--crf applies to a video output only");
    if (video && (o.width % 2 || o.height % 2))
        return fail(problem, "a video needs an even width and height, not " + std::to_string(o.width) + "x" +
                                 std::to_string(o.height));
    // The warm-up's table holds the real-time show's states; supersampled lines are wider.
    if (!o.recordDrawStates.empty() && (o.supersample > 1 || o.scaleTargets))
        return fail(problem, std::string("--record-draw-states records the show's own states: not with ") +
                                 (o.supersample > 1 ? "--supersample" : "--scale-targets"));
    if (o.shutterGiven && o.motionBlur == 1)
        return fail(problem, "--shutter applies with --motion-blur 2 or more");
    if (o.chunkFirst >= 0) {
        if (single)
            return fail(problem, "--chunk cuts a range (--from MS --to MS), not --at");
        if (o.output != OutputKind::Mkv || o.codec != VideoCodec::Ffv1)
            return fail(problem, "a chunk is joined without loss, with its sidecar: give --codec ffv1 and a .mkv file");
        const int total = framesInRange(o.fromMs, o.toMs, o.fps);
        if (o.chunkFirst >= total)
            return fail(problem, "--chunk starts at frame " + std::to_string(o.chunkFirst) + ", past the range's " +
                                     std::to_string(total) + " frames");
    }
    const int maxCrf = o.output == OutputKind::Webm ? 63 : 51;
    if (o.crf > maxCrf)
        return fail(problem, "--crf goes from 0 (best) to " + std::to_string(maxCrf) + " for this output");
    return true;
}

} // namespace

const char* captureUsage()
{
    return "usage: orvalune-capture --at MS [--runup MS | --seek] --out DIR [options]\n"
           "       orvalune-capture --from MS --to MS --out DIR|FILE.mp4|FILE.mkv|FILE.webm [options]\n"
           "  --at MS          one frame as a viewer sees it, played from the start of the scenes live then\n"
           "  --runup MS       play only MS before --at (faster, not always the same picture)\n"
           "  --seek           the frame right after seeking to --at, nothing played before it\n"
           "  --from/--to MS   every frame of a range (the show ends by itself after 363000)\n"
           "  --fps N          frames per second (default 60)\n"
           "  --size WxH       picture size (default 1280x720; even for a video; up to 7680x4320\n"
           "                   where the GL driver and the memory allow)\n"
           "  --supersample N  draw each frame at N times the width and height (1 to 4) and\n"
           "                   average each NxN block into one pixel: smoother lines and points\n"
           "  --scale-targets  the effects' render targets grow with the drawn picture (by its\n"
           "                   height over 720), with the lines and points drawn into them:\n"
           "                   a large master as detailed as its size (default: the show's)\n"
           "  --motion-blur K  average K sub-frames into each frame (1 to 64; 1: one instant)\n"
           "  --shutter S      the share of a frame's interval the sub-frames span, 0 < S <= 1\n"
           "                   (default 0.5)\n"
           "  --average-in linear|stored  average in linear light (default), or the stored\n"
           "                   sRGB values as the show's own blending does\n"
           "  --codec NAME     h264 (.mp4, .mkv; the default), ffv1 (.mkv, lossless), vp9 (.webm)\n"
           "  --pix-fmt NAME   yuv420p (default), yuv444p, yuv420p10le, yuv444p10le; for FFV1\n"
           "                   also bgr0, its default (RGB as drawn)\n"
           "  --crf N          video quality, lower is better (H.264 default 20, VP9 default 32)\n"
           "  --preset NAME    H.264 speed: ultrafast .. veryslow (default veryfast)\n"
           "  --chunk A-B      only frames A to B of the range (from 0), on the range's own clock and\n"
           "                   after the same run-up as a single frame, for joining with\n"
           "                   orvalune-farm (--codec ffv1, a .mkv)\n"
           "  --force          overwrite the frames a folder already holds\n"
           "  --archive PATH   the data archive (default: data.pak beside the program)\n"
           "  --record-draw-states FILE  write every GL state drawn in, for the warm-up's table\n"
           "  --check-gl-state check the GL state around every effect against its contract; a\n"
           "                   departure fails the capture, and the first is named\n"
           "  --version        the version, and the commit it was built from\n"
           "  --help           this text\n";
}

bool outputKindFor(const std::string& path, OutputKind& kind, std::string& problem)
{
    kind = OutputKind::Frames;
    if (endsWith(path, ".mp4"))
        kind = OutputKind::Mp4;
    else if (endsWith(path, ".mkv"))
        kind = OutputKind::Mkv;
    else if (endsWith(path, ".webm"))
        kind = OutputKind::Webm;
    else
        for (const char* other : {".mov", ".avi", ".m4v", ".gif", ".ogv", ".flv", ".wmv", ".ts", ".png", ".jpg"})
            if (endsWith(path, other))
                return fail(problem, "cannot write " + path + ": give a folder for PNG frames, or a .mp4, .mkv or .webm file");
    return true;
}

const char* codecName(VideoCodec codec)
{
    switch (codec) {
    case VideoCodec::Ffv1: return "ffv1";
    case VideoCodec::Vp9: return "vp9";
    case VideoCodec::H264: break;
    }
    return "h264";
}

const char* averageInName(AverageIn averageIn) { return averageIn == AverageIn::StoredValues ? "stored" : "linear"; }

std::string effectivePixFmt(const CaptureOptions& options)
{
    if (!options.pixFmt.empty())
        return options.pixFmt;
    return options.codec == VideoCodec::Ffv1 ? "bgr0" : "yuv420p";
}

int effectiveCrf(const CaptureOptions& options)
{
    if (options.crf >= 0)
        return options.crf;
    return options.output == OutputKind::Webm ? defaultCrfVp9 : defaultCrfH264;
}

bool parseCaptureOptions(int argc, char** argv, CaptureOptions& o, std::string& problem)
{
    o = CaptureOptions{};
    bool presetGiven = false, codecGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i] ? argv[i] : "";
        if (flag == "--help" || flag == "-h" || flag == "--version") {
            (flag == "--version" ? o.version : o.help) = true;
            return true;
        }
        if (flag == "--seek") {
            o.seek = true;
            continue;
        }
        if (flag == "--force") {
            o.force = true;
            continue;
        }
        if (flag == "--scale-targets") {
            o.scaleTargets = true;
            continue;
        }
        if (flag == "--check-gl-state") {
            o.checkGlState = true;
            continue;
        }
        const bool known = flag == "--at" || flag == "--from" || flag == "--to" || flag == "--fps" || flag == "--size" ||
                           flag == "--out" || flag == "--archive" || flag == "--runup" || flag == "--crf" ||
                           flag == "--preset" || flag == "--record-draw-states" || flag == "--supersample" ||
                           flag == "--motion-blur" || flag == "--shutter" || flag == "--average-in" ||
                           flag == "--codec" || flag == "--pix-fmt" || flag == "--chunk";
        if (!known)
            return fail(problem, "unknown option '" + flag + "'");
        if (i + 1 >= argc || !argv[i + 1])
            return fail(problem, flag + " needs a value");
        const std::string value = argv[++i];
        bool ok = true;
        if (flag == "--at")
            ok = parseCount(value, o.atMs);
        else if (flag == "--from")
            ok = parseCount(value, o.fromMs);
        else if (flag == "--to")
            ok = parseCount(value, o.toMs);
        else if (flag == "--runup")
            ok = parseCount(value, o.runupMs);
        else if (flag == "--crf")
            ok = parseCount(value, o.crf);
        else if (flag == "--fps")
            ok = parseCount(value, o.fps) && o.fps >= 1 && o.fps <= 240;
        else if (flag == "--size")
            ok = parseSize(value, o.width, o.height) && o.width >= 16 && o.height >= 16 && o.width <= 8192 &&
                 o.height <= 8192;
        else if (flag == "--supersample")
            ok = parseCount(value, o.supersample) && o.supersample >= 1 && o.supersample <= VELMORA_PELAGOR::maxSupersample;
        else if (flag == "--motion-blur")
            ok = parseCount(value, o.motionBlur) && o.motionBlur >= 1 && o.motionBlur <= 64;
        else if (flag == "--shutter") {
            ok = parseDecimal(value, o.shutter) && o.shutter > 0.0 && o.shutter <= 1.0;
            o.shutterGiven = true;
        }
        else if (flag == "--average-in")
            ok = parseAverageIn(value, o.averageIn);
        else if (flag == "--codec") {
            ok = parseCodec(value, o.codec);
            codecGiven = true;
        }
        else if (flag == "--pix-fmt") {
            ok = !value.empty();
            o.pixFmt = value;
        }
        else if (flag == "--preset") {
            ok = isX264Preset(value);
            o.preset = value;
            presetGiven = true;
        }
        else if (flag == "--out")
            o.out = value;
        else if (flag == "--chunk") {
            ChunkSpan span;
            ok = parseChunkSpan(value, span);
            o.chunkFirst = span.first;
            o.chunkLast = span.last;
        }
        else if (flag == "--record-draw-states")
            o.recordDrawStates = value;
        else
            o.archive = value;
        if (!ok)
            return fail(problem, "bad value '" + value + "' for " + flag + ": " + allowedValues(flag));
    }
    if (!outputKindFor(o.out, o.output, problem))
        return false;
    if (!codecGiven && o.output == OutputKind::Webm)
        o.codec = VideoCodec::Vp9;
    if (presetGiven && (o.codec != VideoCodec::H264 || o.output == OutputKind::Frames))
        return fail(problem, "--preset applies to H.264 in an .mp4 or .mkv output only");
    if (!checkCodec(o, codecGiven, problem) || !checkCombination(o, problem))
        return false;
    // The last chunk may be asked for beyond the range's end: it ends with the range.
    if (o.chunkFirst >= 0)
        o.chunkLast = std::min(o.chunkLast, framesInRange(o.fromMs, o.toMs, o.fps) - 1);
    return true;
}
