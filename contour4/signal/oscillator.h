// The Contour4 oscillator's arithmetic: pitch to band and increment, and one block of the
// cycle read from a band row with sync restarts and a level.
#pragma once

#include <cstdint>

#include "wave_table.h"

namespace tarn {

constexpr float kTwoPi = 6.2831855f;
// Table position per radian: one cycle covers positions 0 <= position < 247.5.
constexpr float kCyclePositionScale = 39.390846f;
constexpr float kMaxPitch = 0.94f;  // 10 V scale: 440 * 2^4.4 Hz

// The band row for a pitch in signal units: half-octave bands from 4 V to 8 V.
int32_t bandForPitch(float pitch);

// 2^y as the Windows build's C library computes pow(2, y) there: x87 extended precision, the
// integer part of y cut toward zero, 2^fraction from the processor's f2xm1, plus 1, scaled, and
// rounded once to double in the caller's x87 precision. Natively the same instructions run, so
// both builds get the same bits on one processor (glibc's pow differs in the last bit for about
// one pitch in 1250). Elsewhere than x86: std::exp2.
double powerOfTwo(double y);

// Radians per sample for a pitch (already clamped); never negative, never infinite or NaN.
float phaseIncrementFor(float pitch, float incrementPerHz);

// 2pi / sample rate; zero for a rate that is not a positive finite number.
float incrementPerHzFor(float sampleRate);

struct OscillatorState {
    float phase;           // 0 <= phase < 2pi
    float phaseIncrement;  // radians per sample
    float cyclePositionScale;
    float lastSync;  // Sync sample before the next output sample
};

// Writes count samples of band row `row`, restarting the cycle where sync rises through 0. Sync
// advances by syncStep per sample: 1 for a stream, 0 for a value held over the block.
void renderCycle(OscillatorState& s, const WaveTable& table, int32_t row, const float* sync,
                 int32_t syncStep, float level, float* out, int32_t count);

}  // namespace tarn
