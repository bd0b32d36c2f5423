// Tarn LFO: pins, open, and the process function that hands each block to the waves.
#include "lfo_module.h"

#include <cmath>

#include "frame/crt_random.h"

namespace tarn {

const char* const LfoModule::kAbout =
    "Tarn LFO\n"
    "from the Tarn modules project\n"
    "by the Tarn module makers\n"
    "MIT licence\n"
    "\n"
    "LFO wave oscillator\n"
    "Not for audio use";

void LfoModule::open() {
    resetLfo(state);
    state.increment = 0.0f;
    ModuleBase::open();
    setProcessFunction(processFunctionOf<LfoModule, &LfoModule::process>());
    if (Pin* out = findPin(PIN_OUTPUT)) out->setOutputStatus(sampleClock(), ST_RUN);
    callHost(HOST_SCRATCH_BUFFER, 0, 0, scratch, 0.0f);
}

bool LfoModule::getPinProperties(int32_t index, PinProperties& props) {
    switch (index) {
    case PIN_SPEED:
        props.variable = &speed;
        props.direction = DIR_IN;
        props.datatype = DT_AUDIO;
        props.name = kLfoSpeedName;
        props.defaultValue = kLfoSpeedDefault;
        props.flags = 0;
        return true;
    case PIN_WAVE:
        props.variable = &wave;
        props.direction = DIR_IN;
        props.datatype = DT_ENUM;
        props.name = kLfoWaveName;
        props.defaultValue = kLfoWaveDefault;
        props.enumList = kLfoWaveList;
        props.flags = 0;
        return true;
    case PIN_OUTPUT:
        props.variable = &output;
        props.direction = DIR_OUT;
        props.datatype = DT_AUDIO;
        props.name = kLfoOutputName;
        props.flags = 0;
        return true;
    default:
        return false;
    }
}

void LfoModule::process(int32_t first, int32_t count) {
    if (speed == nullptr || output == nullptr) return;
    runLfo(state, speed[first], wave, output + first, count, &crtRand);
}

}  // namespace tarn
