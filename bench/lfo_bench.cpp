// Tarn LFO's process function per sample, each wave, against a plain loop of the saw's arithmetic.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_host.h"
#include "lfo/lfo_module.h"

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
    std::vector<float> speed(block, 0.5f), out(block);
    float* buffers[3] = {speed.data(), nullptr, out.data()};
    int16_t choices[3] = {0, wave, 0};
    const char* texts[3] = {};
    tarnbench::BenchHost::pinCount = 3;
    auto* m = new tarn::LfoModule(&tarnbench::BenchHost::callback, 0);
    ModuleRecord* rec = &m->record();
    tarnbench::bindPins(rec, buffers, choices, texts, 3);
    rec->dispatcher(rec, MOD_OPEN, 0, 0, nullptr, 0);
    for (auto _ : state) {
        rec->process(rec->object, 0, block);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
    rec->dispatcher(rec, MOD_CLOSE, 0, 0, nullptr, 0);
}

BENCHMARK(BM_LfoBaselineSaw)->Arg(64)->Arg(1024);
BENCHMARK(BM_LfoWave)->ArgsProduct({{64, 1024}, {0, 1, 2, 3, 4, 5, 6, 7}})->ArgNames({"block", "wave"});

}  // namespace
