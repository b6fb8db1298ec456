// The first 66 seconds: one simulation step of each scene (no GL). Whole frames are in
// bench/scene_frames.cpp; see bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/fairyt_open.h"
#include "scenes/metakappyra.h"
#include "scenes/uppo.h"
#include "shell/driver.h"
#include "maths/random.h"

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

} // namespace

BENCHMARK_MAIN();
