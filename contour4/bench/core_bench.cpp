// Tarn Contour4's signal core alone, driven as the plug-ins drive it (the default shape, Pitch
// 5 V, Level 8 V, Sync read per frame at 0 V): the yardstick of the plug-in table that
// scripts/bench.sh prints, where each format and the DLL are read against it.
#include <benchmark/benchmark.h>

#include <vector>

#include "contour4/signal/voice.h"
#include "contour4/signal/wave_table.h"

namespace {

constexpr float kSampleRate = 44100.0f;
constexpr float kPitch = 0.5f;  // 5 V
constexpr float kLevel = 0.8f;  // 8 V

void BM_Contour4Core(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    static tarn::WaveTable table;
    table.rebuild("");
    tarn::Contour4Voice voice;
    voice.open(kSampleRate);
    voice.decide(kLevel, frames);
    std::vector<float> sync(frames, 0.0f), out(frames);
    for (auto _ : state) {
        voice.generate(table, kPitch, sync.data(), 1, kLevel, out.data(), frames);
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Contour4Core)->Name("plugin/Tarn Contour4/core alone")->Arg(64)->Arg(1024);

}  // namespace
