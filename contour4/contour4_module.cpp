// Tarn Contour4's signal side: the curve block, open, pin notifications and the two process functions.
#include "contour4_module.h"

#include <charconv>
#include <cstring>

namespace tarn {

// The frame leaves module fields unset until open; these are the safe values until then: no
// curve block, the voice's own safe state and silent tables.
Contour4Module::Contour4Module(HostCallback callback, int32_t hostData) noexcept
    : DescribedModule(callback, hostData, kDescription), curveBlock_(nullptr) {
    table_.clear();
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

void Contour4Module::rebuildTable() { table_.rebuild(text(PIN_SHAPE)); }

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

void Contour4Module::generate(int32_t first, int32_t count) {
    if (!buffersBound()) return;
    const PinBlock pins = pinBlock(first);
    voice_.generate(table_, pins.input(PIN_PITCH)[0], pins.input(PIN_SYNC), 1, pins.input(PIN_LEVEL)[0],
                    pins.output(PIN_OUTPUT), count);
}

void Contour4Module::generateIdle(int32_t first, int32_t count) {
    const PinBlock pins = pinBlock(first);
    const bool due = buffersBound() ? voice_.generateIdle(table_, pins.input(PIN_PITCH)[0], pins.input(PIN_SYNC), 1,
                                                          pins.input(PIN_LEVEL)[0], pins.output(PIN_OUTPUT), count)
                                    : voice_.countDown(count);
    if (due) callHost(HOST_SLEEP);
}

}  // namespace tarn
