// An output buffer between guard zones, filled with a marked NaN before a process call: after the
// call, which frames it wrote, whether it wrote outside the frames it was asked for, and whether
// what it wrote is finite. Header only: the host core judges every guarded call with it, and the
// fuzz harness, which links no host, the calls it makes.
#pragma once

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

namespace tarnhost {

constexpr uint32_t kGuardMark = 0x7FC0DEAD;  // a NaN no arithmetic produces

inline float guardMark() {
    float f;
    std::memcpy(&f, &kGuardMark, sizeof f);
    return f;
}

inline bool isGuardMark(float f) {
    uint32_t w;
    std::memcpy(&w, &f, sizeof w);
    return w == kGuardMark;
}

struct GuardedWrites {
    int written = 0;         // frames of [first, first + count) that were written
    bool outside = false;    // a write outside them, guards included
    bool nonFinite = false;  // a written frame is NaN or infinite
    bool sound = false;      // a written frame is not 0
};

// `Buffer` is any block of floats with size() and [] (a std::vector, the host's lent pages).
template <class Buffer>
void markOutput(Buffer& buffer) {
    for (size_t k = 0; k < buffer.size(); ++k) buffer[k] = guardMark();
}

// `buffer` holds `guard` frames, then the frames the call addresses, then more guard frames.
template <class Buffer>
GuardedWrites judgeOutput(const Buffer& buffer, int guard, int first, int count) {
    GuardedWrites w;
    for (size_t k = 0; k < buffer.size(); ++k) {
        const float v = buffer[k];
        if (isGuardMark(v)) continue;
        const int frame = static_cast<int>(k) - guard;
        if (frame < first || frame >= first + count) {
            w.outside = true;
            continue;
        }
        ++w.written;
        if (!std::isfinite(v)) w.nonFinite = true;
        if (v != 0.0f) w.sound = true;
    }
    return w;
}

}  // namespace tarnhost
