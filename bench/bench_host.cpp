// The benchmarks' modules, set up through the host core.
#include "bench_host.h"

namespace tarnbench {

BenchModule::BenchModule(MakeModuleFn make, int block, const std::vector<float>& values,
                         const std::vector<int16_t>& choices, const char* text) {
    library_.makeModuleEntry = make;
    host_ = std::make_unique<tarnhost::SignalHost>(library_, nullptr);
    host_->create();
    host_->setBlockSize(block);
    host_->queryPins();
    for (int i = 0; i < host_->pinCount(); ++i) {
        if (host_->pin(i).direction != DIR_IN) continue;
        if (host_->pin(i).datatype == DT_AUDIO && i < static_cast<int>(values.size())) host_->setAudio(i, values[i], false);
        if (host_->pin(i).datatype == DT_ENUM && i < static_cast<int>(choices.size())) host_->setChoice(i, choices[i], false);
    }
    if (host_->textPin() >= 0) host_->setText(host_->textPin(), text != nullptr ? text : "", false);
    host_->open();
}

}  // namespace tarnbench
