// The format glue's shared pieces: volts, parameters in volts, two-source inputs.
#include "format_glue.h"

#include <charconv>
#include <cstring>

namespace tarn {

namespace {

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

}  // namespace

float signalFromVolts(float volts) {
    char text[48];
    const auto written = std::to_chars(text, text + sizeof text, volts);
    double shortest = 0.0;
    std::from_chars(text, written.ptr, shortest);
    return static_cast<float>(shortest / 10.0);
}

float voltsFromText(const char* text) {
    if (text == nullptr) return 0.0f;
    double volts = 0.0;
    std::from_chars(text, text + std::strlen(text), volts);
    return static_cast<float>(volts);
}

void TwoSourceInput::observe(float streamNow) {
    const uint32_t bits = bitsOf(streamNow);
    if (seen_ && bits != lastStreamBits_) followsStream_ = true;
    lastStreamBits_ = bits;
    seen_ = true;
}

void TwoSourceInput::set(float value) {
    held_ = value;
    followsStream_ = false;
}

}  // namespace tarn
