// DescribedModule: a signal object whose pins are those of its module's description, each bound
// to a slot of the object, so a module declares no pin table of its own.
#pragma once

#include <cstdint>

#include "common/module_description.h"
#include "common/pin_block.h"
#include "module_base.h"

namespace tarn {
inline namespace TARN_FRAME_NAMESPACE {

class DescribedModule : public ModuleBase {
public:
    static constexpr int32_t kMaxPins = 16;

    // The description outlives the object (it is a constant of the library). Before the host
    // binds them, buffers and texts are null and each choice holds its default.
    DescribedModule(HostCallback callback, int32_t hostData,
                    const ModuleDescription& description) noexcept;

    // [main] The description's pin: every field but enumList and defaultValue, and those where
    // the pin has them; past the last pin, false and nothing written.
    bool getPinProperties(int32_t index, PinProperties& props) override;

protected:
    // The values the host keeps current, by pin index.
    float* buffer(int32_t pin) const { return buffers_[pin]; }
    const char* text(int32_t pin) const { return texts_[pin]; }
    int16_t choice(int32_t pin) const { return choices_[pin]; }
    // Every audio pin has its buffer; a process call before then must write nothing.
    bool buffersBound() const;
    // The pins of a process call from its first frame.
    PinBlock pinBlock(int32_t first) const { return PinBlock{buffers_, choices_, texts_, first}; }

private:
    const ModuleDescription& description_;
    float* buffers_[kMaxPins];
    const char* texts_[kMaxPins];
    int16_t choices_[kMaxPins];
};

}  // namespace TARN_FRAME_NAMESPACE
}  // namespace tarn
