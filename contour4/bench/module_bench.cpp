// Contour4's generate per sample against the same per-sample work written plainly in one loop,
// its idle path against a plain block fill, and one table rebuild.
#include <benchmark/benchmark.h>

#include "wave_table_reference.h"
#include <xmmintrin.h>

#include <cstring>
#include <vector>

#include "bench_host.h"
#include "contour4/contour4_module.h"

namespace {

constexpr float kTwoPi = 6.2831855f;

extern "C" void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback, int32_t hostData);

// A sounding or idle instance: pitch and level held, the default shape.
struct Running {
    tarnbench::BenchModule bench;
    tarn::Contour4Module& module;
    const float* sync;
    float level;
    Running(int block, float pitchValue, float levelValue)
        : bench(&makeModule, block, {0.0f, pitchValue, 0.0f, levelValue, 0.0f}),
          module(*static_cast<tarn::Contour4Module*>(static_cast<tarn::ModuleBase*>(bench.object()))),
          sync(zeros(block)), level(levelValue) {}
    static const float* zeros(int block) {
        static std::vector<float> z;
        if (static_cast<int>(z.size()) < block) z.assign(block, 0.0f);
        return z.data();
    }
};

float pitchFor(int64_t hz) { return hz == 440 ? 0.5f : 0.78f; }  // 440 Hz, about 3 kHz

void BM_Contour4Baseline(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    Running r(block, pitchFor(state.range(1)), 0.8f);
    r.bench.process(block);  // picks band and increment
    const float* value = r.module.table().valueRow(r.module.bandIndex());
    const float* slope = r.module.table().slopeRow(r.module.bandIndex());
    const float inc = r.module.phaseIncrement();
    std::vector<float> out(block);
    float phase = 0.0f, lastSync = 0.0f;
    for (auto _ : state) {
        const float level = r.level;
        for (int n = 0; n < block; ++n) {
            phase += inc;
            if (phase >= kTwoPi) phase -= kTwoPi;
            if (lastSync < 0.0f && r.sync[n] >= 0.0f) phase = 0.0f;
            lastSync = r.sync[n];
            const float pos = 39.390846f * phase;
            const int i = _mm_cvtss_si32(_mm_set_ss(pos));
            out[n] = (value[i] + (pos - static_cast<float>(i)) * slope[i]) * level;
        }
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
}

// Blocks of the module itself, its pitch and level held.
void processBlocks(benchmark::State& state, float pitchValue, float levelValue) {
    const int block = static_cast<int>(state.range(0));
    Running r(block, pitchValue, levelValue);
    for (auto _ : state) {
        r.bench.process(block);
        benchmark::DoNotOptimize(r.bench.output());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
}

void BM_Contour4Generate(benchmark::State& state) { processBlocks(state, pitchFor(state.range(1)), 0.8f); }

void BM_BlockFillBaseline(benchmark::State& state) {
    const int block = static_cast<int>(state.range(0));
    std::vector<float> out(block);
    for (auto _ : state) {
        for (int n = 0; n < block; ++n) out[n] = 0.0f;
        benchmark::DoNotOptimize(out.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * block);
}

void BM_Contour4Idle(benchmark::State& state) { processBlocks(state, 0.5f, 0.0f); }

// A rebuild as the module runs it, against the plain build it must equal bit for bit.
void BM_Contour4RebuildTable(benchmark::State& state) {
    tarn::WaveTable table;
    table.clear();
    for (auto _ : state) {
        table.rebuild(tarn::kDefaultShapeText);
        benchmark::DoNotOptimize(table.bandValue);
    }
}

void BM_Contour4RebuildTablePlain(benchmark::State& state) {
    tarn::WaveTable table;
    table.clear();
    for (auto _ : state) {
        tarntest::referenceRebuild(table, tarn::kDefaultShapeText);
        benchmark::DoNotOptimize(table.bandValue);
    }
}

// The stages of a rebuild, each on the curve of the default text.
void BM_Contour4RebuildStage(benchmark::State& state) {
    tarn::WaveTable table;
    table.rebuild(tarn::kDefaultShapeText);
    table.buildWindowMeans();
    tarn::WaveTable means = table;  // the filter's input, restored before each filter pass
    tarn::Node nodes[tarn::kNodeCount];
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0: tarn::parseShapeText(nodes, tarn::kDefaultShapeText); table.buildCurve(nodes); break;
        case 1: table.buildWindowMeans(); break;
        case 2: table.buildWindowMeansPlain(); break;
        default:
            std::memcpy(table.bandValue, means.bandValue, sizeof table.bandValue);
            table.filterRows();
            break;
        }
        benchmark::DoNotOptimize(table.bandValue);
    }
    state.SetLabel(state.range(0) == 0   ? "parse and curve"
                   : state.range(0) == 1 ? "window means"
                   : state.range(0) == 2 ? "window means, plain"
                                         : "filter and slopes");
}

BENCHMARK(BM_Contour4Baseline)->ArgsProduct({{64, 1024}, {440, 3000}})->ArgNames({"block", "hz"});
BENCHMARK(BM_Contour4Generate)->ArgsProduct({{64, 1024}, {440, 3000}})->ArgNames({"block", "hz"});
BENCHMARK(BM_BlockFillBaseline)->Arg(64)->Arg(1024);
BENCHMARK(BM_Contour4Idle)->Arg(64)->Arg(1024);
BENCHMARK(BM_Contour4RebuildTable)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Contour4RebuildTablePlain)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Contour4RebuildStage)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

}  // namespace
