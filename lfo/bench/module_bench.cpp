// Tarn LFO's process function per sample, each wave, against a plain loop of the saw's arithmetic.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_host.h"
#include "lfo/description.h"

extern "C" void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback, int32_t hostData);

namespace {

// The saw written plainly in one loop: the yardstick for every wave.
void BM_LfoBaselineSaw(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    std::vector<float> speed(block, 0.5f), out(block);
    float phase = 0.0f;
    for (auto _ : state) {
        float s = speed[0];
        if (!(s > 0.0001f)) s = 0.0001f;
        const float inc = s * 0.00025f;
        for (int k = 0; k < block; ++k) {
            phase += inc;
            if (phase >= 0.5f) phase = -0.5f;
            out[k] = phase;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
}

void BM_LfoWave(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    const auto wave = static_cast<int16_t>(state.range(1));
    tarnbench::BenchModule m(&makeModule, block, {0.5f, 0.0f, 0.0f}, {0, wave, 0});
    for (auto _ : state) {
        m.process(block);
        benchmark::DoNotOptimize(m.output());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
}

BENCHMARK(BM_LfoBaselineSaw)->Arg(64)->Arg(1024);
BENCHMARK(BM_LfoWave)->ArgsProduct({{64, 1024}, {0, 1, 2, 3, 4, 5, 6, 7}})->ArgNames({"block", "wave"});

}  // namespace
