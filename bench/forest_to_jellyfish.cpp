// From the forest to the jellyfish (66.5 s to 150 s): one simulation step of each scene (no GL).
// Whole frames are in bench/scene_frames.cpp; see bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/alkuotukset.h"
#include "scenes/meduusa.h"
#include "scenes/metsae.h"
#include "shell/driver.h"
#include "maths/random.h"
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

} // namespace

BENCHMARK_MAIN();
