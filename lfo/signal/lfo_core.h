// Tarn LFO's signal core as every front-end runs it: the waves' state, reset at open, and each
// block from its pins (the speed's first sample, the wave, the output).
#pragma once

#include <cstdint>

#include "common/pin_block.h"
#include "frame/crt_random.h"
#include "lfo/description.h"
#include "lfo/signal/lfo_waves.h"

namespace tarn {

class LfoCore {
public:
    static constexpr const ModuleDescription& kDescription = lfo::kDescription;
    static_assert(lfo::kPins[lfo::PIN_WAVE].choiceCount == kLfoWaveCount, "a choice for every wave");

    // [main] Phase, held level and triangle back to their start.
    void open(float) {
        resetLfo(state_);
        state_.increment = 0.0f;
    }

    // [audio] The random waves draw from the C library's generator of the calling thread.
    void process(const PinBlock& pins, int32_t count) {
        runLfo(state_, pins.input(lfo::PIN_SPEED)[0], pins.choice(lfo::PIN_WAVE),
               pins.output(lfo::PIN_OUTPUT), count, &crtRand);
    }

    const LfoState& state() const { return state_; }

private:
    LfoState state_;
};

}  // namespace tarn
