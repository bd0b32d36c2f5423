// The pins of Tarn Contour4 as every front-end names them: index, name, default and the range a
// user sets each input in, in volts.
#pragma once

#include <cstdint>

namespace tarn {

enum Contour4Pin : int32_t { PIN_SHAPE = 0, PIN_PITCH, PIN_SYNC, PIN_LEVEL, PIN_OUTPUT, CONTOUR4_PIN_COUNT };

struct VoltsPin {
    const char* name;
    const char* defaultText;  // as the host's pin table gives it; null where there is none
    float minVolts;           // the range a front-end with knobs offers
    float maxVolts;
};

// Index = Contour4Pin. The shape pin is text, not volts.
constexpr VoltsPin kContour4Pins[CONTOUR4_PIN_COUNT] = {
    {"shape", nullptr, 0.0f, 0.0f},
    {"Pitch", "5", 0.0f, 10.0f},    // 0 V = 13.75 Hz; from 9.4 V on the pitch holds
    {"Sync", "0", -10.0f, 10.0f},   // a rise through 0 V restarts the cycle
    {"Level", "8", 0.0f, 10.0f},    // 0.05 V and below: silence
    {"Output", "0", -10.0f, 10.0f},
};

}  // namespace tarn
