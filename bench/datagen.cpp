// How long the data generator takes: it runs in every build, so it must stay quick. Each asset
// family on its own, and the whole set as the build runs it.
#include "tools/datagen/assets.h"
#include "tools/datagen/generators.h"

#include <benchmark/benchmark.h>

static void BM_AllAssets(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(generateAssets());
}
BENCHMARK(BM_AllAssets)->Unit(benchmark::kMillisecond)->Iterations(2);

static void BM_CausticFrame(benchmark::State& state)
{
    int frame = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(makeCausticFrame(frame++ % causticFrameCount));
}
BENCHMARK(BM_CausticFrame)->Unit(benchmark::kMillisecond);

static void BM_Floors(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(makeSiltFloor());
        benchmark::DoNotOptimize(makeSandFloor());
    }
}
BENCHMARK(BM_Floors)->Unit(benchmark::kMillisecond);

static void BM_Smoke(benchmark::State& state)
{
    for (auto _ : state)
        for (int i = 0; i < 4; ++i)
            benchmark::DoNotOptimize(makeSmoke(i));
}
BENCHMARK(BM_Smoke)->Unit(benchmark::kMillisecond);

static void BM_Creatures(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(makeCiliate());
        benchmark::DoNotOptimize(makeStentor());
        benchmark::DoNotOptimize(makeDiatom());
        benchmark::DoNotOptimize(makeCopepod());
        benchmark::DoNotOptimize(makeMedusa());
        benchmark::DoNotOptimize(makeSeahorse());
        benchmark::DoNotOptimize(makeRadiolarian());
        benchmark::DoNotOptimize(makeCentricDiatom());
    }
}
BENCHMARK(BM_Creatures)->Unit(benchmark::kMillisecond);

static void BM_Pictures(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(makeCredits());
        for (int i = 0; i < 3; ++i)
            benchmark::DoNotOptimize(makeGreeting(i));
    }
}
BENCHMARK(BM_Pictures)->Unit(benchmark::kMillisecond);

static void BM_Meshes(benchmark::State& state)
{
    for (auto _ : state) {
        benchmark::DoNotOptimize(makeFish());
        benchmark::DoNotOptimize(makeShell());
        benchmark::DoNotOptimize(makeCoral());
    }
}
BENCHMARK(BM_Meshes)->Unit(benchmark::kMillisecond);

static void BM_Encoding(benchmark::State& state)
{
    const Image image = makeCausticFrame(0);
    for (auto _ : state) {
        benchmark::DoNotOptimize(encodeJpeg(image));
        benchmark::DoNotOptimize(encodePng(image, true));
    }
}
BENCHMARK(BM_Encoding)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
