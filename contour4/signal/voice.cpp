// Contour4's block: pitch to band and increment when the pitch moved, the gate, the countdown.
#include "voice.h"

#include <cmath>

#include "common/fp_env.h"

namespace tarn {

Contour4Voice::Contour4Voice() noexcept
    : idleCountdown_(kDefaultBlock),
      lastPitch_(kInitialPitch),
      active_(0),
      osc_{0.0f, 0.0f, kCyclePositionScale, 0.0f},
      incrementPerHz_(0.0f),
      bandIndex_(0) {}

void Contour4Voice::open(float sampleRate) {
    osc_.phase = 0.0f;
    lastPitch_ = kInitialPitch;
    osc_.lastSync = 0.0f;
    osc_.cyclePositionScale = kCyclePositionScale;
    incrementPerHz_ = incrementPerHzFor(sampleRate);
}

bool Contour4Voice::decide(float levelNow, int32_t blockSize) {
    if (levelNow > kLevelGate) {
        active_ = 1;
        return true;
    }
    active_ = 0;
    idleCountdown_ = blockSize;
    return false;
}

// A pitch that is not a number compares as unchanged. The clamp works on a copy: the pitch
// buffer belongs to the host and may feed other modules too.
void Contour4Voice::takePitch(float p) {
    if (p == lastPitch_ || std::isnan(p)) return;
    // The power of two runs on the x87, and a float comes back through it on i686.
    const X87StatusKeeper x87;
    bandIndex_ = bandForPitch(p);
    if (p > kMaxPitch) p = kMaxPitch;
    lastPitch_ = p;
    osc_.phaseIncrement = phaseIncrementFor(p, incrementPerHz_);
}

void Contour4Voice::generate(const WaveTable& table, float pitch, const float* sync,
                             int32_t syncStep, float level, float* out, int32_t count) {
    takePitch(pitch);
    if (active_ != 1) {
        for (int32_t n = 0; n < count; ++n) out[n] = 0.0f;
        return;
    }
    renderCycle(osc_, table, bandIndex_, sync, syncStep, level, out, count);
}

bool Contour4Voice::generateIdle(const WaveTable& table, float pitch, const float* sync,
                                 int32_t syncStep, float level, float* out, int32_t count) {
    generate(table, pitch, sync, syncStep, level, out, count);
    return countDown(count);
}

bool Contour4Voice::countDown(int32_t count) {
    // Stops counting once due, so hours of idling cannot overflow the count.
    if (idleCountdown_ > 0) idleCountdown_ -= count;
    return idleCountdown_ <= 0;
}

}  // namespace tarn
