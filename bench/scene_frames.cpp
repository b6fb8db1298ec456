// Whole frames of every scene, drawn by the driver's own start-up and frame code offline at
// 1280x720 (run from the build directory, where data.pak is), and the frame times of the whole
// show with the stalls at scene changes.
//
//   BM_SceneFrame/<scene>/<moment>: plays from a run-up time to the moment at the frame rate the
//   scene's stepping needs (16 fps loses no step of the 16/25/50 ms step timers; the opening and
//   the spray move by the frame, so they run up at 60 fps), then times 30 frames at 60 fps, each to
//   glFinish; the median goes into the counters.
//   BM_WholeShowFrames: plays the whole show at 10 fps once, each frame to glFinish, and reports per
//   stretch of the timeline (a stretch = a set of scenes on screen together) the median and the
//   slowest frame. Run it alone in a fresh process (with MESA_SHADER_CACHE_DISABLE=true for a
//   cold cache): the first use of every program and target in the process is what it looks for.
#include "bench/show_frames.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

namespace {

constexpr int measuredFps = 60;
constexpr int measuredFrames = 30;

// The offline clock at another frame rate from the current position on.
void setFrameRate(int fps)
{
    dmsEnableOffline({fps, 0});
    dmsAdjustTime(0.0f); // restarts the frame count from here at the new rate
}

double timedFrame(LoopState& loop)
{
    const auto start = std::chrono::steady_clock::now();
    drawFrame(loop);
    glFinish();
    const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
    return spent.count();
}

// With perf record -D -1 --control fifo:PATH, ORV_PERF_CONTROL=PATH lets perf sample only the
// measured frames: "enable" before them, "disable" after.
void perfControl(const char* command)
{
    const char* path = std::getenv("ORV_PERF_CONTROL");
    if (!path)
        return;
    if (std::FILE* fifo = std::fopen(path, "w")) {
        std::fprintf(fifo, "%s\n", command);
        std::fclose(fifo);
    }
}

double median(std::vector<double> values)
{
    if (values.empty())
        return 0.0;
    std::nth_element(values.begin(), values.begin() + static_cast<long>(values.size() / 2), values.end());
    return values[values.size() / 2];
}

struct Moment {
    const char* scene;
    int runUpFromMs;
    int runUpFps;
    int measureMs;
    const char* what;
};

// Two moments per scene, in the order of the show.
const Moment moments[] = {
    {"fairyt", 0, 60, 3000, "opening: smoke over the water"},
    {"fairyt", 5000, 60, 8500, "opening as the descent begins"},
    {"uppo", 14000, 16, 28000, "descent alone"},
    {"uppo", 24000, 16, 36000, "descent, deeper"},
    {"metakappyra", 36000, 16, 48000, "flares over the descent"},
    {"metakappyra", 52000, 16, 60000, "flares, late"},
    {"metsae", 66500, 16, 70000, "forest alone"},
    {"metsae", 80000, 16, 88000, "forest grown, with the specks"},
    {"alkuotukset", 72000, 16, 80000, "specks over the forest"},
    {"alkuotukset", 130000, 16, 140000, "specks among the jellyfish"},
    {"meduusa", 91000, 16, 95000, "shells, before the jellyfish"},
    {"meduusa", 100000, 16, 120000, "all thirteen jellyfish"},
    {"fisut", 150000, 16, 155000, "fish, early"},
    {"fisut", 150000, 16, 163000, "fish, late"},
    {"tyonto", 167000, 16, 170000, "push, cloud whole"},
    {"tyonto", 167000, 16, 175000, "push, cloud torn"},
    {"oliot", 183000, 16, 188000, "creatures' ribbons"},
    {"oliot", 190000, 16, 200000, "sprouts and strands grown"},
    {"suihke", 205000, 60, 208000, "spray, early"},
    {"suihke", 211000, 60, 214000, "spray at its fullest"},
    {"ropes", 221400, 16, 228000, "ropes swaying"},
    {"ropes", 235000, 16, 245000, "ropes with the stretched swimmers"},
    {"fairyt", 254400, 16, 262000, "return: flight early"},
    {"fairyt", 270000, 16, 280000, "return: after the colour change"},
    {"Greets", 296000, 16, 299500, "greetings, one picture"},
    {"Greets", 296000, 16, 302650, "greetings, all three"},
    {"viimeinen", 305000, 16, 315000, "last scene, stalks growing"},
    {"viimeinen", 320000, 16, 330000, "last scene, stalks wilting"},
    {"credits", 345000, 16, 352000, "credits over the last scene"},
    {"credits", 352000, 16, 358000, "credits, late"},
};

void BM_SceneFrame(benchmark::State& state)
{
    if (!startOfflineShow()) {
        state.SkipWithError("the show could not start offline (display? data.pak in the working directory?)");
        return;
    }
    const Moment& m = moments[state.range(0)];
    state.SetLabel(std::string(m.scene) + ": " + m.what);
    setFrameRate(m.runUpFps);
    dmsAdjustTime(static_cast<float>(m.runUpFromMs - dmsGetModulePosition())); // a seek, as F1 + arrow does
    LoopState loop;
    while (dmsGetModulePosition() < m.measureMs)
        drawFrame(loop);
    setFrameRate(measuredFps);
    drawFrame(loop); // the first frame at 60 fps, so the measured ones all step alike
    glFinish();

    std::vector<double> frameMs;
    perfControl("enable");
    for (auto _ : state) {
        const double spent = timedFrame(loop);
        frameMs.push_back(spent);
        state.SetIterationTime(spent / 1000.0);
    }
    perfControl("disable");
    state.counters["median_ms"] = median(frameMs);
    state.counters["glErrors"] = glGetError() != GL_NO_ERROR;
}

void momentArguments(benchmark::internal::Benchmark* b)
{
    for (long i = 0; i < static_cast<long>(std::size(moments)); ++i)
        b->Arg(i);
}

BENCHMARK(BM_SceneFrame)
    ->Apply(momentArguments)
    ->Iterations(measuredFrames)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

// The scenes on screen at a music position, as one name with the start of the first
// ("metsae+alkuotukset@66500"; the opening and the return share their name). Both ends count, as
// in the timeline: a frame landing exactly where one scene hands over to the next draws both, and
// is a stretch of its own ("oliot+suihke@182950"), not the next scene's first frame.
std::string stretchAt(int ms)
{
    std::string names;
    unsigned long start = 0;
    for (const TimelineEntry& e : dmsTimeline()) {
        if (static_cast<unsigned long>(ms) < e.start || static_cast<unsigned long>(ms) > e.end)
            continue;
        start = names.empty() ? e.start : start;
        names += names.empty() ? "" : "+";
        names += e.name;
    }
    return names.empty() ? "(none)" : names + "@" + std::to_string(start);
}

struct Stretch {
    int firstMs = -1;
    std::vector<double> frameMs;
    double slowestMs = 0.0;
    int slowestAtMs = 0;
};

void BM_WholeShowFrames(benchmark::State& state)
{
    constexpr int fps = 10;
    const auto start = std::chrono::steady_clock::now();
    if (!startOfflineShow()) {
        state.SkipWithError("the show could not start offline (display? data.pak in the working directory?)");
        return;
    }
    setFrameRate(fps);
    std::map<int, std::string> order; // first frame -> stretch, to print in the show's order
    std::map<std::string, Stretch> stretches;
    double startUpMs = 0.0;
    for (auto _ : state) {
        dmsAdjustTime(static_cast<float>(-dmsGetModulePosition()));
        LoopState loop;
        for (int frame = 0; !loop.done; ++frame) {
            // A frame draws the time its own clock step reaches, so it is counted where it lands.
            const double spent = timedFrame(loop);
            const int ms = dmsGetModulePosition();
            if (frame == 0)
                startUpMs = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
            const std::string name = stretchAt(ms);
            Stretch& s = stretches[name];
            if (s.firstMs < 0) {
                s.firstMs = ms;
                order[ms] = name;
            }
            s.frameMs.push_back(spent);
            if (spent > s.slowestMs) {
                s.slowestMs = spent;
                s.slowestAtMs = ms;
            }
        }
    }
    // A stretch's first frames are where a first use stalls; the slowest frame anywhere in it
    // also catches the machine's own hiccups (it is shared), so both are shown.
    double worstFirst = 0.0, worstAny = 0.0;
    std::fprintf(stderr, "%-32s %7s %9s %9s %6s %9s %6s\n", "stretch", "frames", "median", "first", "ratio",
                 "slowest", "ratio");
    for (const auto& [firstMs, name] : order) {
        const Stretch& s = stretches[name];
        const double m = median(s.frameMs);
        const double first = s.frameMs.front();
        std::fprintf(stderr, "%-32s %7zu %7.1fms %7.1fms %6.2f %7.1fms %6.2f  (at %d ms)\n", name.c_str(),
                     s.frameMs.size(), m, first, first / m, s.slowestMs, s.slowestMs / m, s.slowestAtMs);
        if (s.frameMs.size() < 20 || name == "(none)")
            continue; // the 150 ms gap in the timeline, the 2.5 s of the opening alone
        worstFirst = std::max(worstFirst, first / m);
        worstAny = std::max(worstAny, s.slowestMs / m);
    }
    state.counters["worst_first_ratio"] = worstFirst;
    state.counters["worst_ratio"] = worstAny;
    state.counters["startup_ms"] = startUpMs;
}

BENCHMARK(BM_WholeShowFrames)->Iterations(1)->Unit(benchmark::kSecond);

} // namespace

BENCHMARK_MAIN();
