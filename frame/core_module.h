// CoreModule: the signal object the frame makes for a module that brings only its signal core
// and its description, so such a module writes no glue to the frame.
//
// Core is the module's signal core, plain C++:
//   static constexpr const ModuleDescription& kDescription;   its description
//   void open(float sampleRate);                                [main] back to its start
//   void process(const PinBlock& pins, int32_t count);          [audio] count frames from the pins
// The module it makes sounds from open on: it reports every output running at open and never
// sleeps; a process call before the host bound every buffer writes nothing.
#pragma once

#include <cstdint>

#include "described_module.h"

namespace tarn {
inline namespace TARN_FRAME_NAMESPACE {

template <class Core>
class CoreModule final : public DescribedModule {
public:
    static constexpr const ModuleDescription& kDescription = Core::kDescription;
    static_assert(kDescription.pinCount <= kMaxPins, "the frame binds at most kMaxPins pins");

    CoreModule(HostCallback callback, int32_t hostData) noexcept
        : DescribedModule(callback, hostData, kDescription) {}

    // [main]
    void open() override {
        core_.open(getSampleRate());
        DescribedModule::open();
        setProcessFunction(processFunctionOf<CoreModule, &CoreModule::process>());
        for (int32_t i = 0; i < kDescription.pinCount; ++i) {
            if (!kDescription.pins[i].output) continue;
            if (Pin* out = findPin(i)) out->setOutputStatus(sampleClock(), ST_RUN);
        }
        if (kScratchBytes > 0) callHost(HOST_SCRATCH_BUFFER, 0, 0, scratch_, 0.0f);
    }

    // [audio]
    void process(int32_t first, int32_t count) {
        if (buffersBound()) core_.process(pinBlock(first), count);
    }

    const Core& core() const { return core_; }

private:
    static constexpr int32_t kScratchBytes = kDescription.scratchBytes;

    Core core_;
    // Handed to the host at open; it must outlive every call the host might make.
    uint8_t scratch_[kScratchBytes > 0 ? kScratchBytes : 1];
};

}  // namespace TARN_FRAME_NAMESPACE
}  // namespace tarn
