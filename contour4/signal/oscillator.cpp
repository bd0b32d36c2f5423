// Contour4's per-block pitch work and per-sample table reading.
#include "oscillator.h"

#include <emmintrin.h>

#include <cfloat>
#include <cmath>
#include <optional>

#include "common/fp_env.h"

namespace tarn {

int32_t bandForPitch(float p) {
    // The outer bounds are compared in double precision, the inner ones as floats.
    if (static_cast<double>(p) >= 0.8) return 9;
    if (p >= 0.75f) return 8;
    if (p >= 0.7f) return 7;
    if (p >= 0.65f) return 6;
    if (p >= 0.6f) return 5;
    if (p >= 0.55f) return 4;
    if (p >= 0.5f) return 3;
    if (p >= 0.45f) return 2;
    if (static_cast<double>(p) >= 0.4) return 1;
    return 0;
}

float incrementPerHzFor(float sampleRate) {
    if (!(sampleRate > 0.0f) || !std::isfinite(sampleRate)) return 0.0f;
    return (1.0f / sampleRate) * kTwoPi;
}

#if defined(__i386__) || defined(__x86_64__)
double powerOfTwo(double y) {
    // The instructions need a finite y: 2^inf - inf would be NaN where pow gives inf or 0.
    if (!std::isfinite(y)) return std::isnan(y) || y > 0.0 ? y : 0.0;
    double result;
    uint16_t control;
    uint16_t truncating;
    __asm__ volatile(
        "fnstcw %[control]\n\t"
        "movzwl %[control], %%eax\n\t"
        "orl $0xC00, %%eax\n\t"  // rounding toward zero, for the integer part only
        "movw %%ax, %[truncating]\n\t"
        "fldl %[y]\n\t"
        "fld %%st(0)\n\t"
        "fldcw %[truncating]\n\t"
        "frndint\n\t"
        "fldcw %[control]\n\t"
        "fsubr %%st, %%st(1)\n\t"
        "fxch %%st(1)\n\t"
        "f2xm1\n\t"
        "fld1\n\t"
        "faddp %%st, %%st(1)\n\t"
        "fscale\n\t"
        "fstp %%st(1)\n\t"
        "fstpl %[result]\n\t"
        : [result] "=m"(result), [control] "=m"(control), [truncating] "=m"(truncating)
        : [y] "m"(y)
        : "eax", "st", "st(1)", "st(2)");
    return result;
}
#else
double powerOfTwo(double y) { return std::exp2(y); }
#endif

float phaseIncrementFor(float pitch, float incrementPerHz) {
    const double frequency = 440.0 * powerOfTwo(10.0 * static_cast<double>(pitch) - 5.0);
    const float increment = static_cast<float>(frequency * incrementPerHz);
    return increment >= 0.0f && std::isfinite(increment) ? increment : 0.0f;
}

namespace {

// Between two tiny entries of opposite sign, or at a tiny level, a sample can fall below the
// normal range; it becomes 0 rather than reach the modules downstream. A pass of its own over the
// block, four samples at a time and without a branch, keeps it off the oscillator's loop: each
// sample's bits are kept where its magnitude is not below FLT_MIN (NaN included).
void flushSubnormals(float* out, int32_t count) {
    const __m128 magnitudeBits = _mm_castsi128_ps(_mm_set1_epi32(0x7FFFFFFF));
    const __m128 smallest = _mm_set1_ps(FLT_MIN);
    int32_t n = 0;
    for (; n + 4 <= count; n += 4) {
        const __m128 s = _mm_loadu_ps(out + n);
        const __m128 keep = _mm_cmpnlt_ps(_mm_and_ps(s, magnitudeBits), smallest);
        _mm_storeu_ps(out + n, _mm_and_ps(s, keep));
    }
    for (; n < count; ++n) {
        const __m128 s = _mm_load_ss(out + n);
        const __m128 keep = _mm_cmpnlt_ss(_mm_and_ps(s, magnitudeBits), smallest);
        _mm_store_ss(out + n, _mm_and_ps(s, keep));
    }
}

}  // namespace

void renderCycle(OscillatorState& s, const WaveTable& table, int32_t row, const float* sync,
                 int32_t syncStep, float level, float* out, int32_t count) {
    const float* value = table.valueRow(row);
    const float* slope = table.slopeRow(row);
    const float inc = s.phaseIncrement;
    const float scale = s.cyclePositionScale;
    float phase = s.phase;
    float lastSync = s.lastSync;
    // The C library's fmod runs on the x87 (fprem) where the process path leaves its status word
    // to the code: the flags it raises are taken back when the block ends, and the keeper is made
    // only by a block that needs fmod, so the common one pays nothing for it.
    std::optional<X87StatusKeeper> x87;
    for (int32_t n = 0; n < count; ++n) {
        phase += inc;
        if (phase >= kTwoPi) {
            phase -= kTwoPi;
            // Only an increment of 2pi or more (a high pitch at a low rate) gets here.
            if (phase >= kTwoPi) {
                if (!x87) x87.emplace();
                phase = std::fmod(phase, kTwoPi);
            }
        }
        const float x = *sync;
        sync += syncStep;
        if (lastSync < 0.0f && x >= 0.0f) phase = 0.0f;
        lastSync = x;
        const float position = scale * phase;
        const int32_t i = _mm_cvtss_si32(_mm_set_ss(position));  // nearest, ties to even
        const float frac = position - static_cast<float>(i);
        out[n] = (value[i] + frac * slope[i]) * level;
    }
    s.phase = phase;
    s.lastSync = lastSync;
    flushSubnormals(out, count);
}

}  // namespace tarn
