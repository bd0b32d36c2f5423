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

// Writes count samples of band row `row`, restarting the cycle where sync rises through 0.
void renderCycle(OscillatorState& s, const WaveTable& table, int32_t row, const float* sync,
                 float level, float* out, int32_t count);

}  // namespace tarn
