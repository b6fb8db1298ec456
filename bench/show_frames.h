// Whole frames of the show, drawn by the driver's own start-up and frame code offline at
// 1280x720, for the per-scene frame benchmarks. Run from the build directory (data.pak there).
#pragma once

#include "runtime/dms.h"
#include "runtime/offline.h"
#include "shell/driver.h"

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <vector>

// 16 frames a second loses no simulation step (the step timers cap at four 16 ms steps).
inline constexpr int benchFramesPerSecond = 16;
inline constexpr int benchWarmUpFrames = 5;

inline bool startOfflineShow()
{
    static const bool started = [] {
        dmsEnableOffline({benchFramesPerSecond, 0});
        ShowMode mode;
        mode.width = 1280;
        mode.height = 720;
        mode.aspectIndex = 2;
        return startShow(mode, "data.pak");
    }();
    return started;
}

// Benchmark arguments (runUpMs, measureMs): plays the show from runUpMs to measureMs, so the
// scenes are in the state a viewer sees there, warms up, then times every frame to the end of
// its GL work. The median goes into the counters.
inline void BM_ShowFrame(benchmark::State& state)
{
    if (!startOfflineShow()) {
        state.SkipWithError("the show could not start offline (display? data.pak in the working directory?)");
        return;
    }
    const int runUpMs = static_cast<int>(state.range(0));
    const int measureMs = static_cast<int>(state.range(1));
    dmsAdjustTime(static_cast<float>(runUpMs - dmsGetModulePosition())); // a seek, as F1 + arrow does
    LoopState loop;
    for (int frames = 0; dmsGetModulePosition() < measureMs || frames < benchWarmUpFrames; ++frames)
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
    std::nth_element(frameMs.begin(), frameMs.begin() + static_cast<long>(frameMs.size() / 2), frameMs.end());
    state.counters["median_ms"] = frameMs[frameMs.size() / 2];
    state.counters["glErrors"] = glGetError() != GL_NO_ERROR;
}
