// Contour4's per-block pitch work and per-sample table reading.
#include "oscillator.h"

#include <xmmintrin.h>

#include <cfloat>
#include <cmath>

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

void renderCycle(OscillatorState& s, const WaveTable& table, int32_t row, const float* sync,
                 int32_t syncStep, float level, float* out, int32_t count) {
    const float* value = table.valueRow(row);
    const float* slope = table.slopeRow(row);
    const float inc = s.phaseIncrement;
    const float scale = s.cyclePositionScale;
    float phase = s.phase;
    float lastSync = s.lastSync;
    for (int32_t n = 0; n < count; ++n) {
        phase += inc;
        if (phase >= kTwoPi) {
            phase -= kTwoPi;
            // Only an increment of 2pi or more (a high pitch at a low rate) gets here.
            if (phase >= kTwoPi) phase = std::fmod(phase, kTwoPi);
        }
        const float x = *sync;
        sync += syncStep;
        if (lastSync < 0.0f && x >= 0.0f) phase = 0.0f;
        lastSync = x;
        const float position = scale * phase;
        const int32_t i = _mm_cvtss_si32(_mm_set_ss(position));  // nearest, ties to even
        const float frac = position - static_cast<float>(i);
        // Between two tiny entries of opposite sign, or at a tiny level, a sample can fall
        // below the normal range; it becomes 0 rather than reach the modules downstream.
        const float sample = (value[i] + frac * slope[i]) * level;
        out[n] = std::fabs(sample) < FLT_MIN ? 0.0f : sample;
    }
    s.phase = phase;
    s.lastSync = lastSync;
}

}  // namespace tarn
