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
constexpr int kBufferGap = 64;  // floats

void BM_Contour4Core(benchmark::State& state) {
    const int frames = static_cast<int>(state.range(0));
    static tarn::WaveTable table;
    table.rebuild("");
    tarn::Contour4Voice voice;
    voice.open(kSampleRate);
    voice.decide(kLevel, frames);
    // Sync and output in one allocation, apart by other than a multiple of 4 KiB: two buffers of
    // 4 KiB allocated one after the other would make every load of Sync wait on the stores to
    // the output a few frames before it (4K aliasing), a cost of the placement and not the core.
    std::vector<float> buffers(2 * frames + kBufferGap, 0.0f);
    const float* sync = buffers.data();
    float* out = buffers.data() + frames + kBufferGap;
    for (auto _ : state) {
        voice.generate(table, kPitch, sync, 1, kLevel, out, frames);
        benchmark::DoNotOptimize(out);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Contour4Core)->Name("plugin/Tarn Contour4/core alone")->Arg(64)->Arg(1024);

}  // namespace
