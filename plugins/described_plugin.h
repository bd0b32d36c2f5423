// The plug-in DPF builds of a module from its description and its signal core, and the pieces of it
// that a module with a plug-in class of its own shares: who the plug-in is, its parameters, its ports.
//
// Included by the module's plug-in source, compiled once per format (DPF's headers read the
// format and the module's DistrhoPluginInfo.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <vector>

#include "DistrhoPlugin.hpp"
#include "common/fp_env.h"
#include "common/module_description.h"
#include "common/pin_block.h"
#include "plugins/format_glue.h"

namespace tarn {

constexpr const char* kPluginMaker = "Tarn";
constexpr const char* kPluginLicense = "MIT";

// A pin as a parameter: an audio input in its unit over its range, a choice as its named values.
inline void describeParameter(const PinDescription& pin, DISTRHO::Parameter& parameter) {
    parameter.hints = DISTRHO::kParameterIsAutomatable;
    parameter.name = pin.name;
    parameter.symbol = pin.symbol;
    parameter.unit = pin.unit;
    parameter.ranges.def = pin.defaultValue;
    parameter.ranges.min = pin.minimum;
    parameter.ranges.max = pin.maximum;
    if (pin.type != PinType::Choice) return;
    parameter.hints |= DISTRHO::kParameterIsInteger;
    // DPF frees the list with the parameter.
    auto* values = new DISTRHO::ParameterEnumerationValue[static_cast<size_t>(pin.choiceCount)];
    for (int32_t i = 0; i < pin.choiceCount; ++i) {
        values[i].label = pin.choices[i].name;
        values[i].value = static_cast<float>(pin.choices[i].value);
    }
    parameter.enumValues.count = static_cast<uint8_t>(pin.choiceCount);
    parameter.enumValues.restrictedMode = true;
    parameter.enumValues.values = values;
}

// A CV port's range in signal units, as DPF declares them (0...1, -1...1): from the pin's range.
inline uint32_t cvRangeHint(const PinDescription& pin) {
    return pin.minimum < 0.0f ? DISTRHO::kCVPortHasBipolarRange : DISTRHO::kCVPortHasPositiveUnipolarRange;
}

// A plug-in whose identity is its module's description.
class DescribedPluginBase : public DISTRHO::Plugin {
public:
    DescribedPluginBase(const ModuleDescription& description, uint32_t parameters, uint32_t programs,
                        uint32_t states)
        : Plugin(parameters, programs, states), description_(description) {}

protected:
    const char* getLabel() const override { return description_.library; }
    const char* getDescription() const override { return description_.pluginText; }
    const char* getMaker() const override { return kPluginMaker; }
    const char* getLicense() const override { return kPluginLicense; }
    uint32_t getVersion() const override { return dpfVersion(description_); }
    int64_t getUniqueId() const override { return dpfUniqueId(description_); }

private:
    const ModuleDescription& description_;
};

// The plug-in of a module whose pins are ordinary (Core: frame/core_module.h): each audio and
// choice input a parameter, each audio output a port; in the modular LV2 form (TARN_PLUGIN_CV)
// each audio input also a CV port, which its parameter offsets, and an output with a range a CV
// port. Each run is one process call of the core. Every entry that computes runs in the modules'
// floating-point environment, as the DLL's do.
template <class Core>
class DescribedPlugin final : public DescribedPluginBase {
    static constexpr const ModuleDescription& kModule = Core::kDescription;
    static constexpr int32_t kPinCount = kModule.pinCount;
    static constexpr size_t kParameterCount = static_cast<size_t>(kModule.parameterCount);
    static constexpr uint32_t kSmallestBlock = 64;  // where a host states no block size

public:
    DescribedPlugin() : DescribedPluginBase(kModule, kModule.parameterCount, 0, 0) {
        const ModuleFpScope environment;
        for (int32_t pin = 0; pin < kPinCount; ++pin) {
            const PinDescription& p = kModule.pins[pin];
            buffers_[pin] = nullptr;
            texts_[pin] = p.defaultText;  // a text input keeps its default
            choices_[pin] = static_cast<int16_t>(p.defaultValue);
            parameterOf_[pin] = -1;
        }
        for (uint32_t i = 0; i < kParameterCount; ++i) {
            parameterOf_[kModule.parameters[i]] = static_cast<int32_t>(i);
            values_.set(i, parameterPin(i).defaultValue);
        }
        reserve(getBufferSize());
        core_.open(static_cast<float>(getSampleRate()));
    }

protected:
    void initAudioPort(bool input, uint32_t index, DISTRHO::AudioPort& port) override {
        const PinDescription& pin = kModule.pins[audioPin(input, index)];
        port.name = pin.name;
        port.symbol = pin.symbol;
#ifdef TARN_PLUGIN_CV
        if (input) {
            // The input is a parameter too: the port takes the pin's CV names, so that no two
            // ports or parameters share a name or a symbol.
            port.name = pin.cvName;
            port.symbol = pin.cvSymbol;
        }
        if (input || pin.minimum != pin.maximum) port.hints = DISTRHO::kAudioPortIsCV | cvRangeHint(pin);
#endif
    }

    void initParameter(uint32_t index, DISTRHO::Parameter& parameter) override {
        const ModuleFpScope environment;
        describeParameter(parameterPin(index), parameter);
    }

    float getParameterValue(uint32_t index) const override { return values_.volts(index); }

    // [audio or main] Read at the next block's start.
    void setParameterValue(uint32_t index, float value) override {
        const ModuleFpScope environment;
        values_.set(index, value);
    }

    // [main] Called while the plug-in is inactive.
    void bufferSizeChanged(uint32_t frames) override { reserve(frames); }

    // [main] The module's open.
    void activate() override {
        const ModuleFpScope environment;
        core_.open(static_cast<float>(getSampleRate()));
    }

    // [audio] A host that hands more frames than it said it would gets them in several calls.
    void run(const float** inputs, float** outputs, uint32_t frames) override {
        const ModuleFpScope environment(X87Status::LeftToTheCode);
        const float* knobs = values_.signals();
        for (uint32_t i = 0; i < kParameterCount; ++i) {
            const PinDescription& pin = parameterPin(i);
            if (pin.type == PinType::Choice) choices_[kModule.parameters[i]] = choiceOf(pin, values_.volts(i));
        }
        for (uint32_t done = 0; done < frames;) {
            const uint32_t count = std::min(frames - done, capacity_);
            bind(inputs, outputs, knobs, done, count);
            core_.process(PinBlock{buffers_, choices_, texts_, 0}, static_cast<int32_t>(count));
            done += count;
        }
    }

private:
    static constexpr const PinDescription& parameterPin(uint32_t index) {
        return kModule.pins[kModule.parameters[index]];
    }

    static constexpr bool isAudio(const PinDescription& pin, bool input) {
        return pin.type == PinType::Audio && pin.output != input;
    }

    // The index-th audio input or output.
    static int32_t audioPin(bool input, uint32_t index) {
        for (int32_t pin = 0; pin < kPinCount; ++pin) {
            if (isAudio(kModule.pins[pin], input) && index-- == 0) return pin;
        }
        return 0;
    }

    // A host's value of a choice, within the list's values (a value between two is the lower).
    static int16_t choiceOf(const PinDescription& pin, float value) {
        if (!(value > pin.minimum)) return static_cast<int16_t>(pin.minimum);
        return static_cast<int16_t>(value < pin.maximum ? value : pin.maximum);
    }

    void reserve(uint32_t frames) {
        capacity_ = std::max(frames, kSmallestBlock);
        inputBuffers_.assign(static_cast<size_t>(kPinCount) * capacity_, 0.0f);
        std::fill(std::begin(filledFrames_), std::end(filledFrames_), 0u);
    }

    static bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

    // Each audio input's block from its parameter (in the modular form added to its CV port's),
    // each output's from the host's buffers.
    void bind(const float** inputs, float** outputs, const float* knobs, uint32_t done, uint32_t count) {
        uint32_t input = 0, output = 0;
        for (int32_t pin = 0; pin < kPinCount; ++pin) {
            const PinDescription& p = kModule.pins[pin];
            if (isAudio(p, false)) {
                buffers_[pin] = outputs[output++] + done;
            } else if (isAudio(p, true)) {
                float* block = inputBuffers_.data() + static_cast<size_t>(pin) * capacity_;
                const float knob = knobs[parameterOf_[pin]];
#ifdef TARN_PLUGIN_CV
                // An input read once a block needs its first frame alone.
                const float* cv = inputs[input++] + done;
                const uint32_t read = p.everyFrame ? count : 1;
                for (uint32_t f = 0; f < read; ++f) block[f] = cv[f] + knob;
#else
                static_cast<void>(inputs);
                // A knob held still keeps its block: filled again only when it moves or the
                // block grows.
                if (filledFrames_[pin] < count || !sameBits(filledWith_[pin], knob)) {
                    std::fill(block, block + count, knob);
                    filledWith_[pin] = knob;
                    filledFrames_[pin] = count;
                }
#endif
                buffers_[pin] = block;
            }
        }
        static_cast<void>(input);
    }

    Core core_;
    VoltsParameters<std::max<size_t>(kParameterCount, 1)> values_;
    float* buffers_[kPinCount];
    const char* texts_[kPinCount];
    int16_t choices_[kPinCount];
    int32_t parameterOf_[kPinCount];
    std::vector<float> inputBuffers_;
    uint32_t capacity_ = 0;
    float filledWith_[kPinCount] = {};     // the knob each input's block holds
    uint32_t filledFrames_[kPinCount] = {};  // and for how many frames

    DISTRHO_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DescribedPlugin)
};

}  // namespace tarn
