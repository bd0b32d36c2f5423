// What DPF's CLAP and VST3 wrappers add to every process call beyond handing it on, measured on
// their own: the try-lock and unlock of the CLAP wrapper's UI event queue (DPF's own Mutex, in a
// plug-in with a window) and the VST3 wrapper's clearing of its dummy buffer (a block of floats).
// Neither can be switched off from our side without editing DPF; scripts/bench.sh puts both in
// the plug-in table.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "extra/Mutex.hpp"

namespace {

void BM_ClapUiQueueLock(benchmark::State& state) {
    DISTRHO_NAMESPACE::Mutex lock;
    for (auto _ : state) {
        const DISTRHO_NAMESPACE::MutexTryLocker locker(lock);
        benchmark::DoNotOptimize(locker.wasLocked());
    }
}

void BM_Vst3DummyClear(benchmark::State& state) {
    const auto frames = static_cast<size_t>(state.range(0));
    std::vector<float> dummy(frames);
    for (auto _ : state) {
        std::memset(dummy.data(), 0, sizeof(float) * frames);
        benchmark::DoNotOptimize(dummy.data());
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_ClapUiQueueLock)->Name("plugin/DPF's per-call work/CLAP UI-queue try-lock")->Arg(64)->Arg(1024);
BENCHMARK(BM_Vst3DummyClear)->Name("plugin/DPF's per-call work/VST3 dummy-buffer clearing")->Arg(64)->Arg(1024);

}  // namespace
