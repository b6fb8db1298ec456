// From the forest to the jellyfish (66.5 s to 150 s): one simulation step of each scene (no GL),
// and whole frames of the show at chosen times, drawn by the driver's own start-up and frame code
// offline at 1280x720. Run from the build directory (it opens data.pak there); see
// bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/alkuotukset.h"
#include "scenes/meduusa.h"
#include "scenes/metsae.h"
#include "shell/driver.h"
#include "toolkit/random.h"
#include "toolkit/swimmer.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// -------------------------------------------------------------------------------------------------
// Simulation steps

// 2000 fronds swaying (a sway and a curve per point above the middle) and 500 specks.
void BM_ForestStep(benchmark::State& state)
{
    MetsaeEffect forest;
    float t = 0.5f;
    for (auto _ : state) {
        forest.simulate(t);
        t += 0.000001f;
    }
    state.SetItemsProcessed(state.iterations() * (forest.frondCount + static_cast<int64_t>(forest.specks.size())));
}
BENCHMARK(BM_ForestStep);

void BM_EarlyCreaturesStep(benchmark::State& state)
{
    AlkuotuksetEffect creatures(0);
    for (auto _ : state)
        creatures.simulate();
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(creatures.swimmers.size()));
}
BENCHMARK(BM_EarlyCreaturesStep);

// All thirteen jellyfish out, bubbles at their steady count, the shared swimmers on every fourth.
void BM_JellyfishStep(benchmark::State& state)
{
    MeduusaEffect jellyfish;
    jellyfish.init(91000, 150000);
    seedRandom(5);
    for (int i = 0; i < 2000; ++i)
        jellyfish.simulate(120000);
    for (auto _ : state)
        jellyfish.simulate(120000);
    size_t bubbles = 0, tentacles = 0;
    for (const BubbleEmitter& e : jellyfish.emitters)
        bubbles += e.bubbles.size();
    for (const Jellyfish& j : jellyfish.jellyfish)
        tentacles += j.tentacles.size();
    state.counters["bubbles"] = static_cast<double>(bubbles);
    state.counters["tentacles"] = static_cast<double>(tentacles);
}
BENCHMARK(BM_JellyfishStep);

// -------------------------------------------------------------------------------------------------
// Whole frames

// At 16 frames a second no simulation step is lost to the step timers' cap of four 16 ms steps.
constexpr int framesPerSecond = 16;
constexpr int warmUpFrames = 5;

bool showStarted()
{
    static const bool started = [] {
        dmsEnableOffline({framesPerSecond, 0});
        ShowMode mode;
        mode.width = 1280;
        mode.height = 720;
        mode.aspectIndex = 2;
        return startShow(mode, "data.pak");
    }();
    return started;
}

// Plays from fromMs up to atMs so that the scenes are in the state a viewer sees there, warms up,
// then times each frame to the end of its GL work; the median goes into the counters.
void BM_FrameOfTheShow(benchmark::State& state)
{
    if (!showStarted()) {
        state.SkipWithError("the show did not start offline (is there a display, and data.pak here?)");
        return;
    }
    const int fromMs = static_cast<int>(state.range(0));
    const int atMs = static_cast<int>(state.range(1));
    dmsAdjustTime(static_cast<float>(fromMs - dmsGetModulePosition())); // a seek, as F1 + arrow does
    LoopState loop;
    for (int frames = 0; dmsGetModulePosition() < atMs || frames < warmUpFrames; ++frames)
        drawFrame(loop);
    glFinish();

    std::vector<double> times;
    for (auto _ : state) {
        const auto begin = std::chrono::steady_clock::now();
        drawFrame(loop);
        glFinish();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        times.push_back(took.count() * 1000.0);
        state.SetIterationTime(took.count());
    }
    std::nth_element(times.begin(), times.begin() + static_cast<long>(times.size() / 2), times.end());
    state.counters["median_ms"] = times[times.size() / 2];
    state.counters["glErrors"] = glGetError() != GL_NO_ERROR;
}
// The forest alone; the forest under the early creatures' specks; the shells (with the shared
// swimmers and the specks); all the jellyfish with their bubbles.
BENCHMARK(BM_FrameOfTheShow)
    ->Args({66500, 70000})
    ->Args({72000, 80000})
    ->Args({91000, 95000})
    ->Args({100000, 120000})
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
