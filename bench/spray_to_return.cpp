// From the spray to the return (204 s to 305 s): one simulation step of the ropes and of the
// return's specks, the spray's particles for one frame (no GL). Whole frames are in
// bench/scene_frames.cpp; see bench/README.md for the commands and figures.
#include "maths/random.h"
#include "scenes/fairyt_return.h"
#include "scenes/ropes.h"
#include "scenes/suihke.h"

#include <benchmark/benchmark.h>

namespace {

// -------------------------------------------------------------------------------------------------
// Simulation steps

// 6000 points of inertia and 5800 links relaxed five times, the anchors wandering as in the scene.
void BM_RopeStep(benchmark::State& state)
{
    RopesEffect ropes;
    ropes.init(221500, 254500);
    float t = 0.0f;
    for (auto _ : state) {
        for (int k = 0; k < RopesEffect::bundleCount; ++k)
            ropes.anchors[k] = ropes.anchorAt(k, t);
        ropes.ropeStep();
        t = t < 1.0f ? t + 0.0005f : 0.0f;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ropes.points.size()));
}
BENCHMARK(BM_RopeStep);

// 3000 wandering specks.
void BM_ReturnSpeckStep(benchmark::State& state)
{
    FairytReturnEffect ret;
    ret.init(254500, 305000);
    for (auto _ : state)
        for (ReturnSpeck& speck : ret.specks)
            FairytReturnEffect::stepSpeck(speck);
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(ret.specks.size()));
}
BENCHMARK(BM_ReturnSpeckStep);

// A frame's worth of the spray at its steady count (a batch every 30 ms, 8.5 s of life: 1420
// particles), each aged and moved by a 16 ms frame.
void BM_SprayParticles(benchmark::State& state)
{
    seedRandom(3);
    std::vector<SprayParticle> particles;
    for (int i = 0; i < 1420; ++i)
        particles.push_back(SuihkeEffect::spawnSprayParticle(Vector3(0, 0, 20), Vector3()));
    for (auto _ : state) {
        for (SprayParticle& p : particles) {
            SuihkeEffect::stepSprayParticle(p, 16.0f);
            p.life = 8500.0f;
        }
        benchmark::DoNotOptimize(particles.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(particles.size()));
}
BENCHMARK(BM_SprayParticles);

} // namespace

BENCHMARK_MAIN();
