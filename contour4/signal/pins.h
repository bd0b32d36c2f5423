// The pins of Tarn Contour4 by index, and the names, defaults and ranges of its inputs in volts,
// as the plug-in glue and the validator read them: all from the module's description.
#pragma once

#include <cstdint>

#include "contour4/description.h"

namespace tarn {

using Contour4Pin = contour4::Pin;
using contour4::PIN_SHAPE;
using contour4::PIN_PITCH;
using contour4::PIN_SYNC;
using contour4::PIN_LEVEL;
using contour4::PIN_OUTPUT;
constexpr int32_t CONTOUR4_PIN_COUNT = contour4::PIN_COUNT;

struct VoltsPin {
    const char* name;
    const char* defaultText;  // as the host's pin table gives it; null where there is none
    float minVolts;           // the range a front-end with knobs offers
    float maxVolts;
};

constexpr VoltsPin voltsPin(int32_t pin) {
    const PinDescription& p = contour4::kPins[pin];
    return VoltsPin{p.name, p.defaultText, p.minimum, p.maximum};
}

// Index = Contour4Pin. The shape pin is text, not volts.
constexpr VoltsPin kContour4Pins[CONTOUR4_PIN_COUNT] = {
    voltsPin(PIN_SHAPE), voltsPin(PIN_PITCH), voltsPin(PIN_SYNC), voltsPin(PIN_LEVEL), voltsPin(PIN_OUTPUT),
};

}  // namespace tarn
