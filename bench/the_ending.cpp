// The ending (296 s to 363 s): the ripple field's step, its two maps and their upload, one step of
// the last scene. Whole frames are in bench/scene_frames.cpp; see bench/README.md for the
// commands and figures.
#include "bench/show_frames.h"
#include "runtime/dms.h"
#include "runtime/offline.h"
#include "scenes/viimeinen.h"
#include "maths/random.h"
#include "toolkit/water_ripple.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

namespace {

// -------------------------------------------------------------------------------------------------
// The ripple

// A field that has been rained on for a while, as the credits' is after a few seconds.
WaterRipple rainedOn(bool withTextures)
{
    WaterRipple ripple;
    if (withTextures)
        ripple.init(256);
    else
        ripple.resize(256);
    seedRandom(7);
    for (int i = 0; i < 100; ++i) {
        for (int d = 0; d < 3; ++d)
            ripple.dropRandom();
        ripple.step();
    }
    return ripple;
}

// Three drops and one step of the 256 x 256 field.
void BM_RippleStep(benchmark::State& state)
{
    WaterRipple ripple = rainedOn(false);
    for (auto _ : state) {
        for (int d = 0; d < 3; ++d)
            ripple.dropRandom();
        ripple.step();
    }
    state.SetItemsProcessed(state.iterations() * 256 * 256);
}
BENCHMARK(BM_RippleStep);

// Both maps' pixels, without uploading them.
void BM_RippleMaps(benchmark::State& state)
{
    WaterRipple ripple = rainedOn(false);
    for (auto _ : state) {
        ripple.buildNormalMap();
        ripple.buildDisplacement();
        benchmark::DoNotOptimize(ripple.normalPixels.data());
    }
}
BENCHMARK(BM_RippleMaps);

// Both maps built and uploaded, as a frame that ran a step does, to the end of the GL work.
void BM_RippleMapsUploaded(benchmark::State& state)
{
    if (!startOfflineShow()) {
        state.SkipWithError("the show could not start offline (display? data.pak in the working directory?)");
        return;
    }
    WaterRipple ripple = rainedOn(true);
    for (auto _ : state) {
        ripple.updateNormalMap();
        ripple.updateDisplacement();
        glFinish();
    }
    state.counters["glErrors"] = glGetError() != GL_NO_ERROR;
}
BENCHMARK(BM_RippleMapsUploaded)->Unit(benchmark::kMicrosecond);

// -------------------------------------------------------------------------------------------------
// The last scene

// One simulated step: 1000 stalks swaying and wilting (t = 0.4, the middle of their wilting) and
// 500 specks. A frame 32 ms after the last runs exactly one (two 16 ms timer steps).
void BM_LastSceneStep(benchmark::State& state)
{
    ViimeinenEffect scene;
    int position = 330000;
    dmsSetPositionForTest(position);
    scene.simulate(0.4f);
    int steps = 0;
    for (auto _ : state) {
        position += 32;
        dmsSetPositionForTest(position);
        steps += scene.simulate(0.4f);
    }
    state.counters["steps_per_call"] = static_cast<double>(steps) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_LastSceneStep)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
