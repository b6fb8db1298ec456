// The render infrastructure's costs on the machine's GL: one glow pass at 1280x720 (the pass
// eleven scenes end their frame with), the meta and zoom-trail passes, and building the whole
// shader catalogue as start-up does. Run from the build directory (it opens data.pak there).
#include "render/gl_capabilities.h"
#include "render/post_process.h"
#include "render/shader_manager.h"
#include "runtime/dms.h"
#include "runtime/offline.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdio>

namespace {

bool openWindow()
{
    static const bool opened = [] {
        dmsEnableOffline({60, 0});
        if (!dmsInitEx(1280, 720, 32, false, 1, false, false, 0, 2, "data.pak", 0))
            return false;
        initGl();
        shaderManager = ShaderManager::create();
        return true;
    }();
    return opened;
}

void capture()
{
    glClearColor(0.2f, 0.3f, 0.4f, 1.0f);
    PostProcess::beginCapture(true);
}

void BM_GlowPass(benchmark::State& state)
{
    if (!openWindow()) {
        state.SkipWithError("no offline window");
        return;
    }
    for (auto _ : state) {
        capture();
        PostProcess::glowPass(static_cast<int32_t>(state.range(0)), 0.008f, 0.008f, 0.86f, -1.0f, 1.0f, 0);
        glFinish();
    }
}
BENCHMARK(BM_GlowPass)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_MetaPass(benchmark::State& state)
{
    if (!openWindow()) {
        state.SkipWithError("no offline window");
        return;
    }
    for (auto _ : state) {
        capture();
        PostProcess::metaPass();
        glFinish();
    }
}
BENCHMARK(BM_MetaPass)->Unit(benchmark::kMillisecond);

void BM_ZoomTrailPass(benchmark::State& state)
{
    if (!openWindow()) {
        state.SkipWithError("no offline window");
        return;
    }
    for (auto _ : state) {
        capture();
        PostProcess::zoomTrailPass();
        glFinish();
    }
}
BENCHMARK(BM_ZoomTrailPass)->Unit(benchmark::kMillisecond);

// Release and create again: all 31 programs compiled and linked (the log lines go to stderr).
void BM_BuildCatalogue(benchmark::State& state)
{
    if (!openWindow()) {
        state.SkipWithError("no offline window");
        return;
    }
    for (auto _ : state) {
        ShaderManager::release();
        shaderManager = ShaderManager::create();
        glFinish();
    }
}
BENCHMARK(BM_BuildCatalogue)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
