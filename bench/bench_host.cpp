// The benchmarks' modules, set up through the host core.
#include "bench_host.h"

namespace tarnbench {

void openForTiming(tarnhost::SignalHost& host, int block, const std::vector<float>& values,
                   const std::vector<int16_t>& choices, const char* text) {
    host.setBlockSize(block);
    host.queryPins();
    for (int i = 0; i < host.pinCount(); ++i) {
        if (host.pin(i).direction != DIR_IN) continue;
        if (host.pin(i).datatype == DT_AUDIO && i < static_cast<int>(values.size())) host.setAudio(i, values[i], false);
        if (host.pin(i).datatype == DT_ENUM && i < static_cast<int>(choices.size())) host.setChoice(i, choices[i], false);
    }
    if (host.textPin() >= 0) host.setText(host.textPin(), text != nullptr ? text : "", false);
    host.open();
}

BenchModule::BenchModule(MakeModuleFn make, int block, const std::vector<float>& values,
                         const std::vector<int16_t>& choices, const char* text) {
    library_.makeModuleEntry = make;
    host_ = std::make_unique<tarnhost::SignalHost>(library_, nullptr);
    host_->create();
    openForTiming(*host_, block, values, choices, text);
}

}  // namespace tarnbench
