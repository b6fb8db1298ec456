// orvalune-capture: the show rendered offline, frame by frame, to PNG files or a video.
//
//   orvalune-capture --at MS --out DIR                      one frame, as a viewer sees it right
//                                                           after seeking to MS
//   orvalune-capture --from MS --to MS [--fps N] --out DIR  every frame of the range, ending early
//                                                           with the show past 363000 ms
//   orvalune-capture ... --out FILE.mp4                     a video with the music (needs ffmpeg)
//   --size WxH (default 1280x720), --archive PATH (default: data.pak beside the program)
#include "platform/backend.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "shell/driver.h"
#include "tools/capture/child_process.h"

#include <GL/gl.h>
#include <stb/stb_image_write.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct Options {
    int atMs = -1;
    int fromMs = -1, toMs = -1;
    int fps = 60;
    int width = 1280, height = 720;
    std::string out;
    std::string archive = "data.pak";
};

int usage(const char* problem)
{
    if (problem)
        std::fprintf(stderr, "orvalune-capture: %s\n", problem);
    std::fprintf(stderr,
                 "usage: orvalune-capture (--at MS | --from MS --to MS [--fps N]) [--size WxH] [--archive PATH]\n"
                 "                        --out DIR|FILE.mp4|FILE.mkv|FILE.webm\n");
    return 2;
}

bool parseInt(const char* text, int& value)
{
    char* end = nullptr;
    const long parsed = std::strtol(text, &end, 10);
    if (!*text || *end || parsed < 0 || parsed > 100000000)
        return false;
    value = static_cast<int>(parsed);
    return true;
}

bool parseOptions(int argc, char** argv, Options& o, const char*& problem)
{
    for (int i = 1; i < argc; ++i) {
        const std::string flag = argv[i];
        if (i + 1 >= argc) {
            problem = "every option takes a value";
            return false;
        }
        const char* value = argv[++i];
        bool ok = true;
        if (flag == "--at")
            ok = parseInt(value, o.atMs);
        else if (flag == "--from")
            ok = parseInt(value, o.fromMs);
        else if (flag == "--to")
            ok = parseInt(value, o.toMs);
        else if (flag == "--fps")
            ok = parseInt(value, o.fps) && o.fps > 0 && o.fps <= 240;
        else if (flag == "--size")
            ok = std::sscanf(value, "%dx%d", &o.width, &o.height) == 2 && o.width >= 16 && o.height >= 16 &&
                 o.width <= 8192 && o.height <= 8192;
        else if (flag == "--out")
            o.out = value;
        else if (flag == "--archive")
            o.archive = value;
        else {
            problem = "unknown option";
            return false;
        }
        if (!ok) {
            problem = "bad value for an option";
            return false;
        }
    }
    const bool single = o.atMs >= 0;
    const bool range = o.fromMs >= 0 || o.toMs >= 0;
    if (single == range || (range && (o.fromMs < 0 || o.toMs < o.fromMs))) {
        problem = "give either --at MS, or --from MS --to MS with FROM <= TO";
        return false;
    }
    if (o.out.empty()) {
        problem = "--out is required";
        return false;
    }
    return true;
}

// The aspect ratio of the three the show knows that is nearest the frame's.
int aspectIndexFor(int width, int height)
{
    const double ratio = static_cast<double>(width) / height;
    const double ratios[] = {4.0 / 3.0, 16.0 / 10.0, 16.0 / 9.0};
    int best = 0;
    for (int i = 1; i < 3; ++i)
        if (std::fabs(ratios[i] - ratio) < std::fabs(ratios[best] - ratio))
            best = i;
    return best;
}

bool isVideoPath(const std::string& path)
{
    for (const char* ext : {".mp4", ".mkv", ".webm", ".mov"})
        if (path.size() > std::strlen(ext) && path.compare(path.size() - std::strlen(ext), std::string::npos, ext) == 0)
            return true;
    return false;
}

void showProgress(int done, int total)
{
    constexpr int barWidth = 40;
    const int filled = total ? done * barWidth / total : barWidth;
    std::fprintf(stderr, "\r[%.*s%*s] %d/%d frames", filled, "########################################", barWidth - filled, "",
                 done, total);
    if (done == total)
        std::fputc('\n', stderr);
    std::fflush(stderr);
}

// Writes frames as PNG files or streams them into ffmpeg.
class FrameSink {
public:
    bool open(const Options& o, int firstMs)
    {
        options = &o;
        if (!isVideoPath(o.out)) {
            std::error_code error;
            std::filesystem::create_directories(o.out, error);
            if (error) {
                std::fprintf(stderr, "orvalune-capture: cannot create %s: %s\n", o.out.c_str(), error.message().c_str());
                return false;
            }
            return true;
        }
        std::vector<uint8_t> song;
        musicPath = (std::filesystem::temp_directory_path() / ("orvalune-capture-" + std::to_string(getpid()) + ".ogg")).string();
        if (!dmsReadArchiveFile("music.ogg", song) || !writeAll(musicPath, song))
            musicPath.clear();
        // "file:" keeps ffmpeg from reading a path as an option or a protocol, whatever it holds.
        std::vector<std::string> command = {"ffmpeg", "-loglevel", "error", "-y", "-f", "rawvideo", "-pix_fmt", "rgba",
                                            "-s", std::to_string(o.width) + "x" + std::to_string(o.height),
                                            "-r", std::to_string(o.fps), "-i", "-"};
        if (!musicPath.empty())
            command.insert(command.end(), {"-ss", seconds(firstMs), "-i", "file:" + musicPath});
        command.insert(command.end(), {"-map", "0:v"});
        if (!musicPath.empty())
            command.insert(command.end(), {"-map", "1:a", "-c:a", "aac", "-b:a", "192k"});
        command.insert(command.end(), {"-c:v", "libx264", "-pix_fmt", "yuv420p", "-crf", "18", "-shortest",
                                       "file:" + o.out});
        if (!encoder.start(command)) {
            std::fprintf(stderr, "orvalune-capture: cannot start ffmpeg for %s\n", o.out.c_str());
            return false;
        }
        return true;
    }

    bool write(const std::vector<uint8_t>& rgba, const std::string& fileName)
    {
        if (encoder.input)
            return std::fwrite(rgba.data(), 1, rgba.size(), encoder.input) == rgba.size();
        const std::string path = (std::filesystem::path(options->out) / fileName).string();
        if (!stbi_write_png(path.c_str(), options->width, options->height, 4, rgba.data(), options->width * 4)) {
            std::fprintf(stderr, "orvalune-capture: cannot write %s\n", path.c_str());
            return false;
        }
        return true;
    }

    bool close()
    {
        bool ok = true;
        if (encoder.pid > 0)
            ok = encoder.finish();
        if (!musicPath.empty())
            std::remove(musicPath.c_str());
        if (!ok)
            std::fprintf(stderr, "orvalune-capture: ffmpeg failed to write %s\n", options->out.c_str());
        return ok;
    }

private:
    static std::string seconds(int ms) { return std::to_string(ms / 1000) + "." + std::to_string(ms % 1000 / 100); }
    static bool writeAll(const std::string& path, const std::vector<uint8_t>& bytes)
    {
        FILE* file = std::fopen(path.c_str(), "wb");
        if (!file)
            return false;
        const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
        return std::fclose(file) == 0 && ok;
    }

    const Options* options = nullptr;
    ChildProcess encoder; // ffmpeg, when the output is a video
    std::string musicPath;
};

} // namespace

int main(int argc, char** argv)
{
    Options o;
    const char* problem = nullptr;
    if (!parseOptions(argc, argv, o, problem))
        return usage(problem);
    registerBuiltInResources();

    const bool single = o.atMs >= 0;
    const int firstMs = single ? o.atMs : o.fromMs;
    const int frames = single ? 1 : static_cast<int>(static_cast<long long>(o.toMs - o.fromMs) * o.fps / 1000) + 1;

    dmsEnableOffline({o.fps, firstMs});
    ShowMode mode;
    mode.width = o.width;
    mode.height = o.height;
    mode.aspectIndex = aspectIndexFor(o.width, o.height);
    int exitCode = 0;
    FrameSink sink;
    try {
        if (!startShow(mode, o.archive.c_str()) || !sink.open(o, firstMs)) {
            exitCode = 1;
        } else {
            LoopState state;
            std::vector<uint8_t> rgba;
            // The show ends by itself past its last frame, as it does on screen; that frame is kept.
            for (int i = 0; i < frames && exitCode == 0 && !state.done; ++i) {
                drawFrame(state);
                // Reported, not fatal: the picture is still worth having, and tests look for it.
                for (GLenum error = glGetError(); error != GL_NO_ERROR; error = glGetError())
                    std::fprintf(stderr, "\norvalune-capture: GL error 0x%04x in the frame at %d ms\n", error,
                                 dmsGetModulePosition());
                dmsReadFrame(rgba);
                // A window shows no alpha: the picture is opaque, whatever the last pass left there.
                for (size_t a = 3; a < rgba.size(); a += 4)
                    rgba[a] = 255;
                char name[64];
                if (single)
                    std::snprintf(name, sizeof name, "at_%06d.png", o.atMs);
                else
                    std::snprintf(name, sizeof name, "frame_%06d.png", i);
                if (!sink.write(rgba, name))
                    exitCode = 1;
                showProgress(i + 1, state.done ? i + 1 : frames);
            }
            if (!sink.close())
                exitCode = 1;
        }
    } catch (const char* error) {
        dmsMsg("Exception: %s\n", error);
        exitCode = 1;
    }
    shutDownShow();
    return exitCode;
}
