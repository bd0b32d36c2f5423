// The frame's own cost per process call: the entry that puts the modules' floating-point
// environment in force and counts the call, around a process function that does nothing,
// against a plain indirect call of the same empty function.
#include <benchmark/benchmark.h>

#include "frame/module_base.h"
#include "host/core/fp_environments.h"

namespace {

class Empty : public tarn::ModuleBase {
public:
    Empty() : ModuleBase(nullptr, 0, 0) { setProcessFunction(processFunctionOf<Empty, &Empty::run>()); }
    void run(int32_t, int32_t) { benchmark::ClobberMemory(); }
};

void TARN_CDECL plainEntry(void*, int32_t, int32_t) { benchmark::ClobberMemory(); }

void BM_PlainIndirectCall(benchmark::State& state) {
    ProcessEntry volatile entry = &plainEntry;
    for (auto _ : state) entry(nullptr, 0, 64);
}

// range(0): 0 = the host already in the modules' environment, 1 = rounding down in both units.
void BM_FrameProcessEntry(benchmark::State& state) {
    Empty module;
    ProcessEntry volatile entry = module.record().process;
    const tarnhost::FpState own = tarnhost::readFpState();
    tarnhost::setFpControl(tarnhost::fpEnvironments()[state.range(0) == 0 ? 0 : 8].control);
    for (auto _ : state) entry(&module, 0, 64);
    tarnhost::restoreFpState(own);
    state.SetLabel(state.range(0) == 0 ? "host in the modules' environment" : "host rounding down");
}

BENCHMARK(BM_PlainIndirectCall);
BENCHMARK(BM_FrameProcessEntry)->Arg(0)->Arg(1);

}  // namespace
