// Whole frames of the nine scenes from 150 s to the end, before and after their geometry went
// into vertex batches: the driver's start-up and drawFrame offline at 1280x720, played from the
// run-up time to the measured time, then the median of 30 frames to glFinish. Run from the build
// directory (it opens data.pak there); bench/README.md has the commands and figures.
#include "bench/show_frames.h"

#include <benchmark/benchmark.h>

// (run-up from, measured at), in ms of music: one or two moments per scene.
BENCHMARK(BM_ShowFrame)
    ->Args({150000, 152000}) // fish, swinging in
    ->Args({150000, 158000}) // fish
    ->Args({167000, 175000}) // push, the cloud torn
    ->Args({183000, 188000}) // creatures: ribbons and swimmers
    ->Args({190000, 200000}) // creatures: sprouts and strands
    ->Args({203900, 214000}) // spray
    ->Args({221400, 228000}) // ropes
    ->Args({221400, 245000}) // ropes, late
    ->Args({254400, 262000}) // return
    ->Args({254400, 290000}) // return, late
    ->Args({296000, 302650}) // greetings over the return
    ->Args({305000, 315000}) // last scene
    ->Args({305000, 330000}) // last scene, stalks wilting
    ->Args({346000, 352000}) // credits over the last scene
    ->Iterations(30)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();

BENCHMARK_MAIN();
