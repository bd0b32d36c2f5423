// The pins of one block as a signal core reads and writes them, whichever front-end runs it.
#pragma once

#include <cstdint>

namespace tarn {

// Arrays by pin index (as the module's description numbers its pins), and the block's first
// frame in every buffer. Only the entry of a pin's own type is meaningful.
struct PinBlock {
    float* const* buffers;     // audio pins: the sample buffers
    const int16_t* choices;    // choice pins: the current choice
    const char* const* texts;  // text pins: the current text, or null
    int32_t first;

    const float* input(int32_t pin) const { return buffers[pin] + first; }
    float* output(int32_t pin) const { return buffers[pin] + first; }
    int16_t choice(int32_t pin) const { return choices[pin]; }
    const char* text(int32_t pin) const { return texts[pin]; }
};

}  // namespace tarn
