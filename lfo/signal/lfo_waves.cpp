// The Tarn LFO waves, frame by frame in float arithmetic.
#include "lfo_waves.h"

namespace tarn {

namespace {

template <class Step>
inline void run(float* out, int32_t count, Step step) {
    for (int32_t k = 0; k < count; ++k) out[k] = step();
}

// The triangle in runs: each run is one plain loop of additions that leaves at the turn, so no
// frame tests the direction.
void triangle(LfoState& s, float* out, int32_t count) {
    const float inc = s.increment;
    float level = s.level;
    bool rising = s.direction >= 1.0f;
    int32_t k = 0;
    while (k < count) {
        if (rising) {
            while (k < count) {
                level += inc;
                out[k++] = level;
                if (level >= 0.5f) {
                    rising = false;
                    break;
                }
            }
        } else {
            while (k < count) {
                level -= inc;
                out[k++] = level;
                if (level <= -0.5f) {
                    rising = true;
                    break;
                }
            }
        }
    }
    s.level = level;
    s.direction = rising ? 1.0f : 0.0f;
}

// A pulse in runs, like the triangle: the saw's phase climbs, and the output is high while the
// phase is above the threshold (exactly at it is low), low from a wrap until it passes the
// threshold again. The increment is positive, so between wraps the phase only climbs.
void pulse(LfoState& s, float threshold, float* out, int32_t count) {
    const float inc = s.increment;
    float ph = s.phase;
    bool high = ph > threshold;
    int32_t k = 0;
    while (k < count) {
        if (high) {
            while (k < count) {
                ph += inc;
                if (ph >= 0.5f) {
                    ph = -0.5f;
                    high = -0.5f > threshold;
                    out[k++] = high ? 0.5f : -0.5f;
                    break;
                }
                out[k++] = 0.5f;
            }
        } else {
            while (k < count) {
                ph += inc;
                if (ph >= 0.5f) ph = -0.5f;
                if (ph > threshold) {
                    high = true;
                    out[k++] = 0.5f;
                    break;
                }
                out[k++] = -0.5f;
            }
        }
    }
    s.phase = ph;
    if (count > 0) s.held = high ? 0.5f : -0.5f;
}

}  // namespace

void resetLfo(LfoState& s) {
    s.phase = 0.0f;
    s.held = 0.0f;
    s.level = 0.0f;
    s.direction = 1.0f;
}

float lfoIncrementFor(float speed) {
    float s = speed;
    if (!(s > kLfoMinSpeed)) s = kLfoMinSpeed;
    const float increment = s * kLfoIncrementPerSpeed;
    // An infinite or enormous speed would leave the phase and the triangle's level infinite or
    // so far out that a sane speed never brings them back; a whole cycle per frame is the most
    // any speed can mean, and with it every state stays within a cycle of its range.
    return increment <= kLfoMaxIncrement ? increment : kLfoMaxIncrement;
}

float lfoRandomLevel(RandomSource random) {
    const int32_t r = random();
    return static_cast<float>(static_cast<double>(r % 10) * 0.1 - 0.5);
}

void renderLfo(LfoState& s, int32_t wave, float* out, int32_t count, RandomSource random) {
    if (wave < 0 || wave >= kLfoWaveCount) return;
    static constexpr float kPulseThreshold[] = {0.0f, -0.25f, -0.37f};
    if (wave == LFO_SINE) {
        triangle(s, out, count);
        return;
    }
    if (wave >= LFO_PULSE_100 && wave <= LFO_PULSE_25) {
        pulse(s, kPulseThreshold[wave - LFO_PULSE_100], out, count);
        return;
    }
    const float inc = s.increment;
    float ph = s.phase;
    float hl = s.held;
    switch (wave) {
    case LFO_SAW:
        run(out, count, [&] {
            ph += inc;
            if (ph >= 0.5f) ph = -0.5f;
            return ph;
        });
        break;
    case LFO_RAMP:
        run(out, count, [&] {
            ph -= inc;
            if (ph <= -0.5f) ph = 0.5f;
            return ph;
        });
        break;
    case LFO_FAST_RAND:
    case LFO_SLOW_RAND: {
        // A new level each time the phase reaches its limit: twenty times a cycle, or once.
        const bool fast = wave == LFO_FAST_RAND;
        const float limit = fast ? 0.05f : 0.5f;
        const float restart = fast ? 0.0f : -0.5f;
        run(out, count, [&] {
            ph += inc;
            if (ph >= limit) {
                ph = restart;
                hl = lfoRandomLevel(random);
            }
            return hl;
        });
        break;
    }
    default:
        break;
    }
    s.phase = ph;
    s.held = hl;
}

void runLfo(LfoState& s, float firstSpeed, int32_t wave, float* out, int32_t count,
            RandomSource random) {
    s.increment = lfoIncrementFor(firstSpeed);
    renderLfo(s, wave, out, count, random);
}

}  // namespace tarn
