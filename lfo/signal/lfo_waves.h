// The eight control waveforms of Tarn LFO: state, reset and rendering into a buffer. Plain C++:
// no frame, no operating system; the random source comes from the caller.
#pragma once

#include <cstdint>

namespace tarn {

enum LfoWave : int16_t {
    LFO_SINE = 0, LFO_SAW, LFO_RAMP, LFO_PULSE_100, LFO_PULSE_50, LFO_PULSE_25, LFO_FAST_RAND, LFO_SLOW_RAND
};
constexpr int32_t kLfoWaveCount = 8;

// The phase step per frame per unit of speed; one cycle is a phase travel of 1.0.
constexpr float kLfoIncrementPerSpeed = 0.00025f;
constexpr float kLfoMinSpeed = 0.0001f;
constexpr float kLfoMaxIncrement = 1.0f;  // a whole cycle per frame

struct LfoState {
    float phase;      // shared by waves 1-7
    float increment;  // phase step per frame
    float held;       // the last pulse or random level, shared by waves 3-7
    float level;      // the triangle ("Sine")
    float direction;  // 1.0 while the triangle rises, 0.0 while it falls
};

// A C library style generator: 0 ... 32767 per call.
using RandomSource = int32_t (*)();

// Phase, held level and triangle back to 0, rising; the increment is left as it is.
void resetLfo(LfoState& state);

// The step for a speed in signal units: never below the floor's, never above a whole cycle.
float lfoIncrementFor(float speed);

// One of the ten levels -0.5 ... 0.4 from one draw.
float lfoRandomLevel(RandomSource random);

// Writes count frames of a wave (0 ... 7) at the state's increment; any other wave writes nothing.
void renderLfo(LfoState& state, int32_t wave, float* out, int32_t count, RandomSource random);

// One call of the module: the speed of its first frame sets the increment (even for count 0),
// then the wave is written.
void runLfo(LfoState& state, float firstSpeed, int32_t wave, float* out, int32_t count,
            RandomSource random);

}  // namespace tarn
