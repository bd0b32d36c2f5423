// Tarn LFO's signal core alone, driven as the plug-ins drive it (Saw, the default wave, at Speed
// 5 V): the yardstick of the plug-in table that scripts/bench.sh prints, where each format and
// the DLL are read against it.
#include <benchmark/benchmark.h>

#include <vector>

#include "frame/crt_random.h"
#include "lfo/signal/lfo_waves.h"

namespace {

constexpr float kSpeed = 0.5f;  // 5 V
constexpr int32_t kSaw = 1;

void BM_LfoCore(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    tarn::LfoState lfo;
    tarn::resetLfo(lfo);
    lfo.increment = 0.0f;
    std::vector<float> out(frames);
    for (auto _ : state) {
        tarn::runLfo(lfo, kSpeed, kSaw, out.data(), frames, &tarn::crtRand);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_LfoCore)->Name("plugin/Tarn LFO/core alone")->Arg(64)->Arg(1024);

}  // namespace
