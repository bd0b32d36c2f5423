// DescribedModule: pin slots and the pin table from the module's description.
#include "described_module.h"

namespace tarn {
inline namespace TARN_FRAME_NAMESPACE {

namespace {

int32_t datatypeOf(PinType type) {
    switch (type) {
    case PinType::Choice: return DT_ENUM;
    case PinType::Text: return DT_TEXT;
    case PinType::Audio: break;
    }
    return DT_AUDIO;
}

}  // namespace

DescribedModule::DescribedModule(HostCallback callback, int32_t hostData,
                                 const ModuleDescription& description) noexcept
    : ModuleBase(callback, hostData, description.magic), description_(description) {
    for (int32_t i = 0; i < kMaxPins; ++i) {
        buffers_[i] = nullptr;
        texts_[i] = nullptr;
        choices_[i] = 0;
    }
    for (int32_t i = 0; i < description.pinCount && i < kMaxPins; ++i) {
        const PinDescription& pin = description.pins[i];
        if (pin.type == PinType::Choice) choices_[i] = static_cast<int16_t>(pin.defaultValue);
    }
}

bool DescribedModule::getPinProperties(int32_t index, PinProperties& props) {
    if (index < 0 || index >= description_.pinCount || index >= kMaxPins) return false;
    const PinDescription& pin = description_.pins[index];
    switch (pin.type) {
    case PinType::Audio: props.variable = &buffers_[index]; break;
    case PinType::Choice: props.variable = &choices_[index]; break;
    case PinType::Text: props.variable = &texts_[index]; break;
    }
    props.direction = pin.output ? DIR_OUT : DIR_IN;
    props.datatype = datatypeOf(pin.type);
    props.name = pin.name;
    if (pin.defaultText != nullptr) props.defaultValue = pin.defaultText;
    if (pin.choiceList != nullptr) props.enumList = pin.choiceList;
    props.flags = pin.hostFlags;
    return true;
}

bool DescribedModule::buffersBound() const {
    for (int32_t i = 0; i < description_.pinCount && i < kMaxPins; ++i) {
        if (description_.pins[i].type == PinType::Audio && buffers_[i] == nullptr) return false;
    }
    return true;
}

}  // namespace TARN_FRAME_NAMESPACE
}  // namespace tarn
