// The format glue's shared pieces: two-source inputs.
#include "format_glue.h"

#include <cstring>

namespace tarn {

namespace {

uint32_t bitsOf(float f) {
    uint32_t b;
    std::memcpy(&b, &f, sizeof b);
    return b;
}

}  // namespace

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
