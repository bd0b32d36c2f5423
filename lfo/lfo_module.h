// LfoModule: the signal object of Tarn LFO, eight control waveforms from a Speed input.
#pragma once

#include <cstdint>

#include "frame/module_base.h"

namespace tarn {

class LfoModule : public ModuleBase {
public:
    static constexpr uint32_t kMagic = 0xECCFE810;
    static constexpr int32_t kWaveCount = 8;
    // The phase step per frame per unit of speed; one cycle is a phase travel of 1.0.
    static constexpr float kIncrementPerSpeed = 0.00025f;
    static constexpr float kMinSpeed = 0.0001f;
    static constexpr float kMaxIncrement = 1.0f;  // a whole cycle per frame

    enum Wave : int16_t {
        SINE = 0, SAW, RAMP, PULSE_100, PULSE_50, PULSE_25, FAST_RAND, SLOW_RAND
    };
    enum PinIndex : int32_t { PIN_SPEED = 0, PIN_WAVE = 1, PIN_OUTPUT = 2 };

    // Buffers start unbound so that a process call before the host binds them writes nothing.
    LfoModule(HostCallback callback, int32_t hostData) noexcept
        : ModuleBase(callback, hostData, kMagic), speed(nullptr), output(nullptr), wave(SAW) {}

    void open() override;
    bool getPinProperties(int32_t index, PinProperties& props) override;

    void process(int32_t first, int32_t count);

    static const char* const kAbout;

private:
    template <class Step>
    void run(float* out, int32_t count, Step step);

    float* speed;
    float* output;
    int16_t wave;
    float phase;
    float increment;
    float held;
    float level;
    float direction;
    // Handed to the host once at open; it must outlive every call the host might make.
    uint8_t scratch[100];
};

// One of the ten random levels -0.5 ... 0.4, drawn from the C library's generator.
float lfoRandomLevel();

}  // namespace tarn
