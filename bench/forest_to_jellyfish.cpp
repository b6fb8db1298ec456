// From the forest to the jellyfish (66.5 s to 150 s): one simulation step of each scene (no GL),
// and whole frames of the show at chosen times, drawn by the driver's own start-up and frame code
// offline at 1280x720. Run from the build directory (it opens data.pak there); see
// bench/README.md for the commands and figures.
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/alkuotukset.h"
#include "scenes/meduusa.h"
#include "scenes/metsae.h"
#include "bench/show_frames.h"
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

// -------------------------------------------------------------------------------------------------
// Whole frames

// The forest alone; the forest under the early creatures' specks; the shells (with the shared
// swimmers and the specks); all the jellyfish with their bubbles.
BENCHMARK(BM_ShowFrame)
    ->Args({66500, 70000})
    ->Args({72000, 80000})
    ->Args({91000, 95000})
    ->Args({100000, 120000})
    ->Iterations(60)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
