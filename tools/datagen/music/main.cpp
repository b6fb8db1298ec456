// orvalune-music: composes, renders and encodes the show's soundtrack.
//
//   orvalune-music OUT.ogg [--wav OUT.wav] [--report]
//
// --wav also writes the render as 16-bit PCM; --report prints the cue onsets and the loudness
// the scenes will see.
#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/encode.h"
#include "tools/datagen/music/report.h"
#include "tools/datagen/music/score.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// Writes 16-bit PCM WAV for listening to a render without a decoder.
std::vector<uint8_t> wavBytes(const Song& song)
{
    std::vector<uint8_t> out;
    auto put32 = [&out](uint32_t v) {
        for (int i = 0; i < 4; ++i)
            out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    auto put16 = [&out](uint16_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    const uint32_t dataSize = static_cast<uint32_t>(song.frames() * 4);
    out.insert(out.end(), {'R', 'I', 'F', 'F'});
    put32(36 + dataSize);
    out.insert(out.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    put32(16);
    put16(1);
    put16(2);
    put32(sampleRate);
    put32(sampleRate * 4);
    put16(4);
    put16(16);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    put32(dataSize);
    for (size_t i = 0; i < song.frames(); ++i)
        for (float v : {song.left[i], song.right[i]})
            put16(static_cast<uint16_t>(static_cast<int16_t>(std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f))));
    return out;
}

// One line redrawn in place on a terminal; in a build log, a line per stage.
struct ProgressBar {
    std::chrono::steady_clock::time_point begin = std::chrono::steady_clock::now();
    bool terminal = isatty(STDERR_FILENO) != 0;
    std::string stage;
    int shown = -1;
    double seconds() const
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    }
    void operator()(const char* name, double fraction)
    {
        int percent = static_cast<int>(fraction * 100.0);
        if (name != stage) {
            endStage();
            stage = name;
            shown = -1;
        }
        if (!terminal || percent / 2 == shown / 2)
            return;
        shown = percent;
        const int width = 30;
        int filled = percent * width / 100;
        std::fprintf(stderr, "\rorvalune-music: %-9s [%.*s%*s] %3d%%  %5.1f s", name, filled,
                     "##############################", width - filled, "", percent, seconds());
        std::fflush(stderr);
    }
    void endStage()
    {
        if (stage.empty())
            return;
        if (terminal)
            std::fputc('\n', stderr);
        else
            std::fprintf(stderr, "orvalune-music: %s done at %.1f s\n", stage.c_str(), seconds());
        stage.clear();
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: orvalune-music OUT.ogg [--wav OUT.wav] [--report]\n");
        return 2;
    }
    const std::string out = argv[1];
    std::string wav;
    bool report = false;
    for (int i = 2; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--wav") && i + 1 < argc) {
            wav = argv[++i];
        } else if (!std::strcmp(argv[i], "--report")) {
            report = true;
        } else {
            std::fprintf(stderr, "orvalune-music: unknown option %s\n", argv[i]);
            return 2;
        }
    }
    ProgressBar bar;
    Progress progress = [&bar](const char* stage, double fraction) { bar(stage, fraction); };
    Song song = renderScore(progress);
    std::vector<uint8_t> bytes;
    std::string error;
    if (!encodeVorbis(song, 0.5f, bytes, error, progress)) {
        bar.endStage();
        std::fprintf(stderr, "orvalune-music: %s\n", error.c_str());
        return 1;
    }
    bar.endStage();
    if (!writeFileReplacing(out, bytes, error)) {
        std::fprintf(stderr, "orvalune-music: %s\n", error.c_str());
        return 1;
    }
    if (!wav.empty() && !writeFileReplacing(wav, wavBytes(song), error)) {
        std::fprintf(stderr, "orvalune-music: %s\n", error.c_str());
        return 1;
    }
    if (report)
        printReport(song, stdout);
    std::fprintf(stderr, "orvalune-music: wrote %s (%.1f s, %zu bytes)\n", out.c_str(),
                 static_cast<double>(song.frames()) / sampleRate, bytes.size());
    return 0;
}
