// The capture's reduction of a supersampled sub-frame: adding its rows to the sums and, once a
// frame, rounding the sums to the written picture. No GL: the reading back is the driver's.
#include "tools/capture/frame_reducer.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

// One sub-frame of width x height written, supersampled n times each way, in linear light:
// every band added, then the picture finished, as a one-sub-frame capture does.
void reduceSubFrame(benchmark::State& state)
{
    const int width = static_cast<int>(state.range(0)), height = static_cast<int>(state.range(1));
    const int n = static_cast<int>(state.range(2));
    FrameReducer reducer(width, height, n, AverageIn::LinearLight);
    std::vector<uint8_t> band(static_cast<size_t>(width) * n * 4 * reducer.bandRows());
    for (size_t i = 0; i < band.size(); ++i)
        band[i] = static_cast<uint8_t>(i * 2654435761u >> 24);
    std::vector<uint8_t> picture;
    for (auto _ : state) {
        const int rows = height * n;
        for (int top = 0; top < rows; top += reducer.bandRows())
            reducer.addRows(top, std::min(reducer.bandRows(), rows - top), band.data());
        reducer.endSubFrame();
        reducer.finish(picture);
        benchmark::DoNotOptimize(picture.data());
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(width) * height * n * n);
}
BENCHMARK(reduceSubFrame)->Args({1280, 720, 2})->Args({3840, 2160, 2})->Args({1280, 720, 4})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
