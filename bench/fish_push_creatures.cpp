// The fish, the push and the creatures (150 s to 204 s): one simulation step of each scene (no
// GL). Whole frames are in bench/scene_frames.cpp; see bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "scenes/fisut.h"
#include "scenes/oliot.h"
#include "scenes/tyonto.h"

#include <benchmark/benchmark.h>

namespace {

// -------------------------------------------------------------------------------------------------
// Simulation steps

// The fish has no step: its per-frame work is the bend of every face corner of a mesh. Here a
// mesh of the generator's size (about 7000 corners) stands in, since no archive is opened.
void BM_FishDeformCorner(benchmark::State& state)
{
    FisutEffect fish;
    fish.swimPhase = 1.3f;
    Vector3 p(-40.0f, 3.0f, 2.0f);
    for (auto _ : state) {
        benchmark::DoNotOptimize(p = fish.deformVertex(p));
        p.x += 0.01f;
        if (p.x > 330.0f)
            p.x = -46.0f;
    }
}
BENCHMARK(BM_FishDeformCorner);

// 10000 specks: springs and integration, then five pushers each touching every speck.
void BM_PushStep(benchmark::State& state)
{
    TyontoEffect push;
    push.init(167000, 182800);
    for (int i = 0; i < 200; ++i) // the cloud torn as it is mid-scene
        push.simulateStep();
    for (auto _ : state)
        push.simulateStep();
    state.SetItemsProcessed(state.iterations() * push.particleCount * 6);
}
BENCHMARK(BM_PushStep);

// 150 ribbons, 200 sprouts growing, the 400 shared swimmers and 500 visible strands.
void BM_CreaturesStep(benchmark::State& state)
{
    OliotEffect creatures;
    for (auto _ : state)
        creatures.simulate(195000, 0.8f);
}
BENCHMARK(BM_CreaturesStep);

} // namespace

BENCHMARK_MAIN();
