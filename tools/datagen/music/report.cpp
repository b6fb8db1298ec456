#include "tools/datagen/music/report.h"

#include "tools/datagen/music/analysis.h"
#include "tools/datagen/music/dsp.h"
#include "tools/datagen/music/score.h"

#include <algorithm>
#include <cmath>

namespace {

struct Window {
    const char* name;
    double from, to;
};

// The show's scenes (the timeline of the driver) and the spans inside them that matter.
const Window windows[] = {
    {"opening", 0, 10500},     {"descent", 8000, 39000},     {"flares", 39000, 66500},
    {"forest", 66500, 91000},  {"shells", 91000, 101000},    {"glow", 101000, 133500},
    {"colour", 133500, 150000}, {"fish", 150000, 167000},     {"push", 167000, 182800},
    {"creatures", 182950, 191580}, {"dark", 191580, 204000}, {"spray", 204000, 221500},
    {"ropes", 221500, 237842}, {"flares up", 237842, 253047}, {"return", 254500, 271200},
    {"orange", 271200, 296000}, {"greets", 296000, 305000},   {"last", 305000, 346000},
    {"credits", 346000, 362000}, {"after", 363000, 363500},
};

} // namespace

void printReport(const Song& song, std::FILE* out)
{
    float peak = 0;
    double sum = 0;
    for (size_t i = 0; i < song.frames(); ++i) {
        peak = std::max({peak, std::fabs(song.left[i]), std::fabs(song.right[i])});
        sum += song.left[i] + song.right[i];
    }
    std::fprintf(out, "length %.3f s, peak %.2f dBFS, mean %.2e\n", static_cast<double>(song.frames()) / sampleRate,
                 20.0 * std::log10(std::max(peak, 1e-9f)), sum / (2.0 * static_cast<double>(song.frames())));
    int missed = 0;
    for (const Cue& cue : showCues()) {
        std::vector<double> onsets = detectOnsets(song, cue.ms - 150, cue.ms + 150);
        double best = 1e9;
        for (double t : onsets)
            if (std::fabs(t - cue.ms) < std::fabs(best))
                best = t - cue.ms;
        bool ok = std::fabs(best) <= 10.0;
        if (cue.accent && !ok)
            ++missed;
        std::fprintf(out, "  %-8s %9.0f ms %-27s onset %+7.1f ms %s", cue.accent ? "accent" : "landmark", cue.ms,
                     cue.what, best > 1e8 ? 0.0 : best, cue.accent ? (ok ? "ok" : "MISSED, found") : "");
        if (cue.accent && !ok)
            for (double t : onsets)
                std::fprintf(out, " %+.1f", t - cue.ms);
        std::fputc('\n', out);
    }
    std::fprintf(out, "accents missed: %d\n", missed);
    for (const Window& w : windows) {
        // Two frames before the window fill the three-frame average, as a running scene's would be.
        std::vector<float> level = smoothedLoudness(song, w.from - 2000.0 / 30.0, w.to, 30.0);
        if (level.size() < 3)
            continue;
        level.erase(level.begin(), level.begin() + 2);
        std::vector<float> sorted = level;
        std::sort(sorted.begin(), sorted.end());
        const double leastAt = w.from / 1000 + static_cast<double>(std::min_element(level.begin(), level.end()) -
                                                                  level.begin()) / 30.0;
        std::fprintf(out,
                     "  %-10s %6.1f-%6.1f s  rms %6.1f dB  loudness min %5.2f (at %5.1f s)  median %5.2f  p90 %5.2f  "
                     "max %5.2f\n",
                     w.name, w.from / 1000, w.to / 1000, meanPowerDb(song, w.from, w.to), sorted.front(), leastAt,
                     sorted[sorted.size() / 2], sorted[sorted.size() * 9 / 10], sorted.back());
    }
}
