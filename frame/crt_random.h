// The C library's random generator, as the modules use it, in both builds.
//
// The library the host loads calls the CRT's rand(): a linear congruential generator with one
// state per thread, starting at 1, shared with whatever else on that thread draws from it.
// The native build has a different rand(), so it runs the same generator itself, also one
// state per thread, so that both builds give the same sequence.
#pragma once

#include <cstdint>

#if defined(_WIN32)
#include <cstdlib>
#endif

namespace tarn {

#if defined(_WIN32)
inline int32_t crtRand() { return std::rand(); }
#else
// Initial-exec: a library that a plug-in host loads at run time then finds the state in the
// thread's static block; the default model would allocate it on a thread's first draw, inside
// an audio callback.
inline uint32_t& crtRandState() {
    thread_local uint32_t state __attribute__((tls_model("initial-exec"))) = 1;
    return state;
}
inline int32_t crtRand() {
    uint32_t& state = crtRandState();
    state = state * 214013u + 2531011u;
    return static_cast<int32_t>((state >> 16) & 0x7fff);
}
#endif

}  // namespace tarn
