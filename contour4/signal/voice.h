// What Tarn Contour4 does per block, whatever drives it: the pitch taken once per block, the
// level gate between sounding and silence, and the count of silent samples before it may sleep.
#pragma once

#include <cstdint>

#include "oscillator.h"
#include "wave_table.h"

namespace tarn {

class Contour4Voice {
public:
    static constexpr float kLevelGate = 0.005f;  // at or below: silence, then sleep
    static constexpr float kInitialPitch = -20.0f;
    static constexpr int32_t kDefaultBlock = 1024;

    // Safe before open: silent, a countdown of one block, no increment, band 0.
    Contour4Voice() noexcept;

    // The cycle at its start and the pitch unknown, at this sample rate.
    void open(float sampleRate);

    // An input changed: sounding while levelNow is above the gate, else silent with a countdown
    // of one block. Returns whether it sounds.
    bool decide(float levelNow, int32_t blockSize);

    // One block from the pitch and level of its first frame, sync per frame (syncStep 1) or held
    // (syncStep 0). Silence while the gate is shut.
    void generate(const WaveTable& table, float pitch, const float* sync, int32_t syncStep,
                  float level, float* out, int32_t count);

    // generate, then the countdown; true once the silence has lasted a block: the host may then
    // stop calling until an input changes.
    bool generateIdle(const WaveTable& table, float pitch, const float* sync, int32_t syncStep,
                      float level, float* out, int32_t count);
    // The countdown alone, for count samples of silence.
    bool countDown(int32_t count);

    bool active() const { return active_ == 1; }
    int32_t bandIndex() const { return bandIndex_; }
    float phase() const { return osc_.phase; }
    float phaseIncrement() const { return osc_.phaseIncrement; }
    int32_t idleCountdown() const { return idleCountdown_; }

private:
    void takePitch(float pitch);

    int32_t idleCountdown_;
    float lastPitch_;
    int16_t active_;
    OscillatorState osc_;
    float incrementPerHz_;
    int32_t bandIndex_;
};

}  // namespace tarn
