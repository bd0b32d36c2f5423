// Tarn Contour4's signal side: pins, open, pin notifications and the two process functions.
#include "contour4_module.h"

#include <charconv>
#include <cstring>

namespace tarn {

namespace {
constexpr int32_t kShapeFlags = PF_DUAL | PF_GUI | PF_TEXT_SHAPE;
}

// The frame leaves module fields unset until open; these are the safe values until then:
// unbound pins, the voice's own safe state and silent tables.
Contour4Module::Contour4Module(HostCallback callback, int32_t hostData) noexcept
    : ModuleBase(callback, hostData, kMagic),
      shapeText_(nullptr),
      curveBlock_(nullptr),
      pitchIn_(nullptr),
      syncIn_(nullptr),
      levelIn_(nullptr),
      output_(nullptr) {
    table_.clear();
}

bool Contour4Module::getPinProperties(int32_t index, PinProperties& props) {
    auto audio = [&](float** field, int32_t direction) {
        props.variable = field;
        props.direction = direction;
        props.datatype = DT_AUDIO;
        props.name = kContour4Pins[index].name;
        props.defaultValue = kContour4Pins[index].defaultText;
        props.flags = 0;
        return true;
    };
    switch (index) {
    case PIN_SHAPE:
        props.variable = &shapeText_;
        props.direction = DIR_IN;
        props.datatype = DT_TEXT;
        props.name = kContour4Pins[PIN_SHAPE].name;
        props.flags = kShapeFlags;
        return true;
    case PIN_PITCH: return audio(&pitchIn_, DIR_IN);
    case PIN_SYNC: return audio(&syncIn_, DIR_IN);
    case PIN_LEVEL: return audio(&levelIn_, DIR_IN);
    case PIN_OUTPUT: return audio(&output_, DIR_OUT);
    default: return false;
    }
}

void Contour4Module::requestCurveBlock() {
    const uint32_t handle = static_cast<uint32_t>(callHost(HOST_GET_HANDLE));
    char name[40] = "ZK wave shaper ";
    const size_t prefix = std::strlen(name);
    const auto r = std::to_chars(name + prefix, name + sizeof name, handle, 16);
    std::memcpy(r.ptr, " curve", 7);
    // The host stores the block's address in curveBlock_; the answer is not needed.
    callHost(HOST_ALLOCATE_SHARED, reinterpret_cast<HostWord>(&curveBlock_), kCurveBlockSize, name,
             kCurveBlockFill);
}

void Contour4Module::open() {
    requestCurveBlock();
    voice_.open(getSampleRate());
    ModuleBase::open();
    setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generateIdle>());
}

void Contour4Module::rebuildTable() { table_.rebuild(shapeText_); }

float Contour4Module::levelNow() {
    Pin* level = findPin(PIN_LEVEL);
    return level != nullptr ? level->valueNow() : 0.0f;
}

void Contour4Module::onPinStatusChanged(Pin& pin) {
    if (pin.index == PIN_SHAPE) rebuildTable();
    if (voice_.decide(levelNow(), getBlockSize())) {
        if (Pin* out = findPin(PIN_OUTPUT)) out->setOutputStatus(sampleClock(), ST_RUN);
        setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generate>());
    } else {
        setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generateIdle>());
    }
}

bool Contour4Module::pinsBound() const {
    return pitchIn_ != nullptr && syncIn_ != nullptr && levelIn_ != nullptr && output_ != nullptr;
}

void Contour4Module::generate(int32_t first, int32_t count) {
    if (!pinsBound()) return;
    voice_.generate(table_, pitchIn_[first], syncIn_ + first, 1, levelIn_[first], output_ + first, count);
}

void Contour4Module::generateIdle(int32_t first, int32_t count) {
    const bool due = pinsBound() ? voice_.generateIdle(table_, pitchIn_[first], syncIn_ + first, 1,
                                                       levelIn_[first], output_ + first, count)
                                 : voice_.countDown(count);
    if (due) callHost(HOST_SLEEP);
}

}  // namespace tarn
