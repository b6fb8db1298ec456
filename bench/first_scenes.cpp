// The first 66 seconds: one simulation step of each scene (no GL), and whole frames of the show
// at each scene's time as the capture tool draws them (the driver's own start-up and frame,
// offline, 1280x720). Run from the build directory (it opens data.pak there); see
// bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/fairyt_open.h"
#include "scenes/metakappyra.h"
#include "scenes/uppo.h"
#include "shell/driver.h"
#include "toolkit/random.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

namespace {

// -------------------------------------------------------------------------------------------------
// Simulation steps

void BM_OpeningSmokeDrift(benchmark::State& state)
{
    FairytOpenEffect opening;
    for (auto _ : state) {
        opening.movePuffs(0.016f);
        benchmark::DoNotOptimize(opening.puffPositions.data());
    }
}
BENCHMARK(BM_OpeningSmokeDrift);

// A texture lookup without GL: the sizes of the archive's sprites.
Texture* benchTexture(const char*)
{
    static Texture texture{0, 256, 128};
    return &texture;
}

void BM_DescentStep(benchmark::State& state)
{
    UppoEffect descent;
    descent.textureLookup = benchTexture;
    seedRandom(3);
    // Late in the scene, with the lists as full as they get (350 plankton, 70 motes).
    const float t = 0.95f;
    for (int i = 0; i < 2000; ++i)
        descent.step(t);
    for (auto _ : state)
        descent.step(t);
    state.counters["plankton"] = static_cast<double>(descent.planktonList.size());
    state.counters["motes"] = static_cast<double>(descent.moteList.size());
}
BENCHMARK(BM_DescentStep);

void BM_FlareStep(benchmark::State& state)
{
    MetakappyraEffect flares;
    flares.init(39000, 65500);
    for (auto _ : state) {
        flares.step();
        benchmark::DoNotOptimize(flares.particles.data());
    }
}
BENCHMARK(BM_FlareStep);

// -------------------------------------------------------------------------------------------------
// Whole frames

// 16 frames a second loses no simulation step (the step timers cap at four 16 ms steps).
constexpr int offlineFps = 16;

bool startOfflineShow()
{
    static const bool started = [] {
        dmsEnableOffline({offlineFps, 0});
        ShowMode mode;
        mode.width = 1280;
        mode.height = 720;
        mode.aspectIndex = 2;
        return startShow(mode, "data.pak");
    }();
    return started;
}

// Plays the show from runUpMs to measureMs (so the scene's sprites are there), then five
// frames to warm up, then times every frame to the end of its GL work. Reports the median.
void BM_ShowFrame(benchmark::State& state)
{
    if (!startOfflineShow()) {
        state.SkipWithError("the show could not start offline (display? data.pak in the working directory?)");
        return;
    }
    const int runUpMs = static_cast<int>(state.range(0));
    const int measureMs = static_cast<int>(state.range(1));
    dmsAdjustTime(static_cast<float>(runUpMs - dmsGetModulePosition()));
    LoopState loop;
    while (dmsGetModulePosition() < measureMs)
        drawFrame(loop);
    for (int i = 0; i < 5; ++i)
        drawFrame(loop);
    glFinish();

    std::vector<double> frameMs;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        drawFrame(loop);
        glFinish();
        const std::chrono::duration<double, std::milli> spent = std::chrono::steady_clock::now() - start;
        frameMs.push_back(spent.count());
        state.SetIterationTime(spent.count() / 1000.0);
    }
    std::sort(frameMs.begin(), frameMs.end());
    state.counters["median_ms"] = frameMs[frameMs.size() / 2];
    state.counters["glErrors"] = glGetError() != GL_NO_ERROR;
}
// Opening alone; descent alone; descent with the flares over it.
BENCHMARK(BM_ShowFrame)
    ->Args({2000, 3000})
    ->Args({14000, 28000})
    ->Args({36000, 48000})
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
