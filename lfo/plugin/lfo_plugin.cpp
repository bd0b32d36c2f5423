// Tarn LFO in every format DPF builds (LV2, CLAP, VST3, JACK): Wave as an enumerated
// parameter, Speed as a parameter (in the modular LV2 form also a CV input, added to it), one
// output.
//
// Each run is one process call of the module: the speed of its first frame holds for the call.
// Every sample comes from the signal core.
#include <atomic>
#include <cstring>

#include "DistrhoPlugin.hpp"
#include "frame/crt_random.h"
#include "lfo/signal/lfo_waves.h"
#include "common/fp_env.h"
#include "plugins/format_glue.h"

START_NAMESPACE_DISTRHO

namespace {

enum Parameters : uint32_t { kWave = 0, kSpeed, kParameterCount };

// One choice of the module's list "Label=value,...", by position.
struct Choice {
    char label[32] = {};
    int value = 0;
};

struct WaveChoices {
    Choice items[tarn::kLfoWaveCount];
    WaveChoices() {
        const char* p = tarn::kLfoWaveList;
        for (Choice& c : items) {
            const char* eq = std::strchr(p, '=');
            const size_t length = static_cast<size_t>(eq - p) < sizeof c.label ? static_cast<size_t>(eq - p) : sizeof c.label - 1;
            std::memcpy(c.label, p, length);
            c.value = static_cast<int>(tarn::voltsFromText(eq + 1));
            const char* comma = std::strchr(eq, ',');
            p = comma != nullptr ? comma + 1 : eq + std::strlen(eq);
        }
    }
};

const WaveChoices& waveChoices() {
    static const WaveChoices choices;
    return choices;
}

}  // namespace

// Every entry that computes runs in the modules' floating-point environment, as the DLL's do.
class LfoPlugin : public Plugin {
public:
    LfoPlugin() : Plugin(kParameterCount, 0, 0) {
        const tarn::ModuleFpScope environment;
        setParameterValue(kWave, tarn::voltsFromText(tarn::kLfoWaveDefault));
        setParameterValue(kSpeed, tarn::voltsFromText(tarn::kLfoSpeedDefault));
        tarn::resetLfo(state_);
        state_.increment = 0.0f;
    }

protected:
    const char* getLabel() const override { return "TarnLFO"; }
    const char* getDescription() const override {
        return "A low-frequency oscillator with eight control waves; one cycle lasts 40000 / Speed "
               "(in volts) sample frames, whatever the sample rate. Not for audio use.";
    }
    const char* getMaker() const override { return "Tarn"; }
    const char* getLicense() const override { return "MIT"; }
    uint32_t getVersion() const override { return tarn::dpfVersion(tarn::lfo::kDescription); }
    int64_t getUniqueId() const override { return tarn::dpfUniqueId(tarn::lfo::kDescription); }

    void initAudioPort(bool input, uint32_t, AudioPort& port) override {
        port.name = input ? tarn::kLfoSpeedName : tarn::kLfoOutputName;
        port.symbol = input ? "speed_cv" : "output";
#ifdef TARN_PLUGIN_CV
        // Speed 0...10 V; the output -10...10 V (its waves swing between -5 V and 5 V).
        port.hints = kAudioPortIsCV | (input ? kCVPortHasPositiveUnipolarRange : kCVPortHasBipolarRange);
#endif
    }

    void initParameter(uint32_t index, Parameter& parameter) override {
        const tarn::ModuleFpScope environment;
        parameter.hints = kParameterIsAutomatable;
        if (index == kWave) {
            parameter.hints |= kParameterIsInteger;
            parameter.name = tarn::kLfoWaveName;
            parameter.symbol = "wave";
            parameter.ranges.def = tarn::voltsFromText(tarn::kLfoWaveDefault);
            parameter.ranges.min = 0.0f;
            parameter.ranges.max = tarn::kLfoWaveCount - 1;
            ParameterEnumerationValue* values = new ParameterEnumerationValue[tarn::kLfoWaveCount];
            for (int i = 0; i < tarn::kLfoWaveCount; ++i) {
                values[i].label = waveChoices().items[i].label;
                values[i].value = static_cast<float>(waveChoices().items[i].value);
            }
            parameter.enumValues.count = tarn::kLfoWaveCount;
            parameter.enumValues.restrictedMode = true;
            parameter.enumValues.values = values;
            return;
        }
        parameter.name = tarn::kLfoSpeedName;
        parameter.symbol = "speed";
        parameter.unit = "V";
        parameter.ranges.def = tarn::voltsFromText(tarn::kLfoSpeedDefault);
        parameter.ranges.min = tarn::kLfoSpeedMinVolts;
        parameter.ranges.max = tarn::kLfoSpeedMaxVolts;
    }

    float getParameterValue(uint32_t index) const override {
        return index == kWave ? wave_.load(std::memory_order_relaxed) : speed_.volts(0);
    }

    // [audio or main] Read at the next block's start.
    void setParameterValue(uint32_t index, float value) override {
        const tarn::ModuleFpScope environment;
        if (index == kWave) {
            wave_.store(value, std::memory_order_relaxed);
            waveIndex_.store(static_cast<int32_t>(value), std::memory_order_relaxed);
        } else {
            speed_.set(0, value);
        }
    }

    // [main] The module's open: phase, held level and triangle back to their start.
    void activate() override {
        const tarn::ModuleFpScope environment;
        tarn::resetLfo(state_);
        state_.increment = 0.0f;
    }

    void run(const float** inputs, float** outputs, uint32_t frames) override {
        const tarn::ModuleFpScope environment(tarn::X87Status::LeftToTheCode);
#ifdef TARN_PLUGIN_CV
        const float speed = inputs[0][0] + speed_.signals()[0];  // the knob offsets the CV
#else
        static_cast<void>(inputs);
        const float speed = speed_.signals()[0];
#endif
        tarn::runLfo(state_, speed, waveIndex_.load(std::memory_order_relaxed), outputs[0], static_cast<int32_t>(frames),
                     &tarn::crtRand);
    }

private:
    tarn::LfoState state_;
    // Set on the audio thread or another (a host's main thread, a state it restores).
    std::atomic<float> wave_{0.0f};
    std::atomic<int32_t> waveIndex_{0};
    tarn::VoltsParameters<1> speed_;

    DISTRHO_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(LfoPlugin)
};

Plugin* createPlugin() { return new LfoPlugin(); }

END_NAMESPACE_DISTRHO
