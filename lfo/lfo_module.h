// LfoModule: the signal object of Tarn LFO. Reads its pins and holds the speed; the waves are
// the signal core's (lfo/signal).
#pragma once

#include <cstdint>

#include "frame/module_base.h"
#include "lfo/signal/lfo_waves.h"

namespace tarn {

class LfoModule : public ModuleBase {
public:
    static constexpr uint32_t kMagic = 0xECCFE810;
    using Wave = LfoWave;
    enum PinIndex : int32_t { PIN_SPEED = LFO_PIN_SPEED, PIN_WAVE = LFO_PIN_WAVE, PIN_OUTPUT = LFO_PIN_OUTPUT };

    // Buffers start unbound so that a process call before the host binds them writes nothing.
    LfoModule(HostCallback callback, int32_t hostData) noexcept
        : ModuleBase(callback, hostData, kMagic), speed(nullptr), output(nullptr), wave(LFO_SAW) {}

    void open() override;
    bool getPinProperties(int32_t index, PinProperties& props) override;

    void process(int32_t first, int32_t count);  // [audio]

    static const char* const kAbout;

private:
    float* speed;
    float* output;
    int16_t wave;
    LfoState state;  // phase, increment, held, level, direction
    // Handed to the host once at open; it must outlive every call the host might make.
    uint8_t scratch[100];
};

}  // namespace tarn
