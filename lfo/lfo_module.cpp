// Tarn LFO: pins, open, and the per-block process function with its eight waves.
#include "lfo_module.h"

#include <cmath>

#include "frame/crt_random.h"

namespace tarn {

namespace {
constexpr const char* kWaveList =
    "Sine=0,Saw=1,Ramp=2,100% Pulse=3,50% Pulse=4,25% Pulse=5,Fast Rand=6,Slow Rand=7";
}

const char* const LfoModule::kAbout =
    "Tarn LFO\n"
    "by the Tarn module makers\n"
    "https://example.org/tarn\n"
    "2026\n"
    "\n"
    "LFO wave oscillator\n"
    "Not for audio use";

float lfoRandomLevel() {
    const int32_t r = crtRand();
    return static_cast<float>(static_cast<double>(r % 10) * 0.1 - 0.5);
}

void LfoModule::open() {
    phase = 0.0f;
    held = 0.0f;
    level = 0.0f;
    direction = 1.0f;
    increment = 0.0f;
    ModuleBase::open();
    setProcessFunction(processFunctionOf<LfoModule, &LfoModule::process>());
    if (Pin* out = findPin(PIN_OUTPUT)) out->setOutputStatus(sampleClock(), ST_RUN);
    callHost(HOST_SCRATCH_BUFFER, 0, 0, scratch, 0.0f);
}

bool LfoModule::getPinProperties(int32_t index, PinProperties& props) {
    switch (index) {
    case PIN_SPEED:
        props.variable = &speed;
        props.direction = DIR_IN;
        props.datatype = DT_AUDIO;
        props.name = "Speed";
        props.defaultValue = "0";
        props.flags = 0;
        return true;
    case PIN_WAVE:
        props.variable = &wave;
        props.direction = DIR_IN;
        props.datatype = DT_ENUM;
        props.name = "Wave";
        props.defaultValue = "1";
        props.enumList = kWaveList;
        props.flags = 0;
        return true;
    case PIN_OUTPUT:
        props.variable = &output;
        props.direction = DIR_OUT;
        props.datatype = DT_AUDIO;
        props.name = "Output";
        props.flags = 0;
        return true;
    default:
        return false;
    }
}

template <class Step>
inline void LfoModule::run(float* out, int32_t count, Step step) {
    for (int32_t k = 0; k < count; ++k) out[k] = step();
}

void LfoModule::process(int32_t first, int32_t count) {
    if (speed == nullptr || output == nullptr) return;
    float s = speed[first];
    if (!(s > kMinSpeed)) s = kMinSpeed;
    increment = s * kIncrementPerSpeed;
    // An infinite or enormous speed would leave the phase and the triangle's level infinite or
    // so far out that a sane speed never brings them back; a whole cycle per frame is the most
    // any speed can mean, and with it every state stays within a cycle of its range.
    if (!(increment <= kMaxIncrement)) increment = kMaxIncrement;
    if (wave < 0 || wave >= kWaveCount) return;

    float* out = output + first;
    const float inc = increment;
    float ph = phase;
    float hl = held;
    auto saw = [&] {
        ph += inc;
        if (ph >= 0.5f) ph = -0.5f;
    };
    switch (wave) {
    case SINE: {
        float lv = level;
        float dir = direction;
        run(out, count, [&] {
            if (dir >= 1.0f) {
                lv += inc;
                if (lv >= 0.5f) dir = 0.0f;
            } else {
                lv -= inc;
                if (lv <= -0.5f) dir = 1.0f;
            }
            return lv;
        });
        level = lv;
        direction = dir;
        break;
    }
    case SAW:
        run(out, count, [&] { saw(); return ph; });
        break;
    case RAMP:
        run(out, count, [&] {
            ph -= inc;
            if (ph <= -0.5f) ph = 0.5f;
            return ph;
        });
        break;
    case PULSE_100:
    case PULSE_50:
    case PULSE_25: {
        // A phase exactly at the threshold is low. The level is picked by index rather than
        // by a branch, which the compiler would otherwise take per frame.
        static constexpr float kThreshold[] = {0.0f, -0.25f, -0.37f};
        static constexpr float kLevels[2] = {-0.5f, 0.5f};
        const float threshold = kThreshold[wave - PULSE_100];
        run(out, count, [&] { saw(); return hl = kLevels[ph > threshold]; });
        break;
    }
    case FAST_RAND:
        run(out, count, [&] {
            ph += inc;
            if (ph >= 0.05f) {
                ph = 0.0f;
                hl = lfoRandomLevel();
            }
            return hl;
        });
        break;
    case SLOW_RAND:
        run(out, count, [&] {
            ph += inc;
            if (ph >= 0.5f) {
                ph = -0.5f;
                hl = lfoRandomLevel();
            }
            return hl;
        });
        break;
    default:
        break;
    }
    phase = ph;
    held = hl;
}

}  // namespace tarn
