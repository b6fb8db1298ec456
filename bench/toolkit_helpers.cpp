// Costs of the toolkit helpers that run per object per simulation step (currents, sway, pulse
// lists) or at start-up (arc-length resampling of the camera tracks).
#include "toolkit/current_fields.h"
#include "toolkit/pulse_list.h"
#include "maths/random.h"
#include "toolkit/spline_path.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

// A jellyfish-sized batch of points spread through the water.
std::vector<Vector3> scatteredPoints(int count)
{
    seedRandom(17);
    std::vector<Vector3> points;
    for (int i = 0; i < count; ++i)
        points.push_back(Vector3(randomScaledVector(10.0f, 6.0f, 10.0f)));
    return points;
}

void currentFieldBatch(benchmark::State& state)
{
    const std::vector<Vector3> points = scatteredPoints(1000);
    const int kind = static_cast<int>(state.range(0));
    float phase = 0.0f;
    for (auto _ : state) {
        Vector3 sum;
        for (const Vector3& p : points)
            sum += currentField(kind, p, phase);
        benchmark::DoNotOptimize(sum);
        phase += 0.016f;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}
BENCHMARK(currentFieldBatch)->DenseRange(0, 3);

void swayOffsetBatch(benchmark::State& state)
{
    const std::vector<Vector3> points = scatteredPoints(1000);
    float t = 0.0f;
    for (auto _ : state) {
        Vector3 sum;
        for (const Vector3& p : points)
            sum += swayOffset(p, t);
        benchmark::DoNotOptimize(sum);
        t += 0.0001f;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(points.size()));
}
BENCHMARK(swayOffsetBatch);

// The camera rig resamples six paths (up to 40 keys) by 1000 probes each at start-up.
void cameraTrackResample(benchmark::State& state)
{
    SplinePath keys;
    seedRandom(50);
    for (int i = 0; i < 40; ++i)
        keys.addPoint(Vector3(randomDirection() * randomRange(10.0f, 20.0f)));
    keys.bake();
    for (auto _ : state) {
        SplinePath path;
        path.copyFrom(keys);
        path.resample(0, 1000);
        benchmark::DoNotOptimize(path.points.data());
    }
}
BENCHMARK(cameraTrackResample);

// A scene's cue list asked once a frame: every pulse is visited.
void pulseListEvaluate(benchmark::State& state)
{
    PulseList list;
    for (int i = 0; i < 200; ++i)
        list.add(i * 500, i * 500 + 400, 1 + i % 6);
    int t = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(list.evaluate(t));
        t = (t + 17) % 100000;
    }
}
BENCHMARK(pulseListEvaluate);

} // namespace

BENCHMARK_MAIN();
