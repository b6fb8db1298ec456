#include "tests/support/played_range.h"

#include "tests/support/process.h"

#include <stb/stb_image.h>

#include <cstdio>
#include <filesystem>
#include <unistd.h>

namespace fs = std::filesystem;

PlayedRange capturePlayed(int fromMs, int toMs, int fps, const std::vector<int>& keepMs, int width, int height)
{
    PlayedRange range;
    const fs::path out = fs::temp_directory_path() /
                         ("orvalune-played-" + std::to_string(getpid()) + "-" + std::to_string(fromMs) + "-" +
                          std::to_string(toMs));
    fs::remove_all(out);
    const ProgramResult run = runProgram({builtProgram("orvalune-capture"), "--from", std::to_string(fromMs), "--to",
                                          std::to_string(toMs), "--fps", std::to_string(fps), "--size",
                                          std::to_string(width) + "x" + std::to_string(height), "--out", out.string()},
                                         ORV_BINARY_DIR, 900.0);
    range.log = run.output;
    range.ok = run.exitCode == 0;
    for (const int ms : keepMs) {
        CapturedFrame frame;
        frame.log = run.output;
        const long long index = (static_cast<long long>(ms) - fromMs) * fps / 1000;
        char name[64];
        std::snprintf(name, sizeof name, "frame_%06lld.png", index);
        int w = 0, h = 0, channels = 0;
        unsigned char* pixels =
            ms >= fromMs && ms <= toMs ? stbi_load((out / name).c_str(), &w, &h, &channels, 4) : nullptr;
        if (run.exitCode == 0 && pixels) {
            frame.width = w;
            frame.height = h;
            frame.rgba.assign(pixels, pixels + static_cast<size_t>(w) * h * 4);
            frame.ok = true;
        }
        range.ok = range.ok && frame.ok;
        stbi_image_free(pixels);
        range.frames.push_back(std::move(frame));
    }
    fs::remove_all(out);
    return range;
}
