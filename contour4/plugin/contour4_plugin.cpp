// Tarn Contour4 in every format DPF builds (LV2, CLAP, VST3, JACK): the shape text as state,
// the 27 presets as programs, Pitch, Sync and Level as parameters (CV inputs in the modular LV2
// form), and notes.
//
// The glue turns what the format delivers into the module's pin changes and blocks: the first
// run after activation, a new shape and every note are pin changes (the voice decides its gate
// there, and a block is split at a note); a CV input or a parameter is a stream the voice reads
// where it reads its pins. Every sample comes from the signal core.
#include <cstring>
#include <string>

#include "DistrhoPlugin.hpp"
#include "contour4/plugin/held_notes.h"
#include "contour4/plugin/programs.h"
#include "contour4/plugin/shape_state.h"
#include "contour4/signal/shape_text.h"
#include "contour4/signal/voice.h"
#include "common/fp_env.h"
#include "plugins/described_plugin.h"
#include "plugins/format_glue.h"
#include "plugins/vst3_entry.h"

START_NAMESPACE_DISTRHO

namespace {

constexpr const tarn::ModuleDescription& kModule = tarn::contour4::kDescription;

constexpr char kStateSeparator = '\xff';
constexpr char kStateEnd = '\xfe';
constexpr char kInertCharacter = '?';

// Parameters, where the format has no CV: index = pin index - 1, after the VST3 placeholder.
constexpr uint32_t kVoltsInputs = 3;
constexpr tarn::contour4::Pin kInputPins[kVoltsInputs] = {tarn::contour4::PIN_PITCH, tarn::contour4::PIN_SYNC,
                                                           tarn::contour4::PIN_LEVEL};
constexpr uint32_t kFirstInput = tarn::kVst3Placeholders;
#ifdef TARN_PLUGIN_CV
constexpr uint32_t kParameterCount = 0;
#else
constexpr uint32_t kParameterCount = kFirstInput + kVoltsInputs;
#endif

constexpr uint8_t kNoteOff = 0x80, kNoteOn = 0x90, kControl = 0xB0, kPitchBend = 0xE0;
constexpr uint8_t kAllSoundOff = 120, kAllNotesOff = 123;

}  // namespace

// Every entry that computes runs in the modules' floating-point environment, as the DLL's do: a
// host's rounding, precision or unmasked exceptions would otherwise reach the volts, the phase
// increment and the programs' texts (the table build keeps its own).
class Contour4Plugin : public tarn::DescribedPluginBase {
public:
    Contour4Plugin() : DescribedPluginBase(kModule, kParameterCount, tarn::kProgramCount, 1) {
        const tarn::ModuleFpScope environment;
        for (uint32_t i = 0; i < kVoltsInputs; ++i) volts_.set(i, kModule.pins[kInputPins[i]].defaultValue);
        noteLevel_ = tarn::signalFromVoltsSetting(volts_.volts(2));
    }

protected:
    // The CV form's inputs are CV ports alone: they keep the pins' names.
    void initAudioPort(bool input, uint32_t index, AudioPort& port) override {
        const tarn::PinDescription& pin = kModule.pins[input ? kInputPins[index] : tarn::contour4::PIN_OUTPUT];
        port.name = pin.name;
        port.symbol = pin.symbol;
        if (input) port.hints = kAudioPortIsCV | tarn::cvRangeHint(pin);
    }

    void initParameter(uint32_t index, Parameter& parameter) override {
        if (index < kFirstInput) {
            parameter.name = "Placeholder";
            parameter.symbol = "placeholder";
            return;
        }
        const tarn::ModuleFpScope environment;
        tarn::describeParameter(kModule.pins[kInputPins[index - kFirstInput]], parameter);
    }

    float getParameterValue(uint32_t index) const override {
        return index < kFirstInput ? 0.0f : volts_.volts(index - kFirstInput);
    }

    // [audio or main] A parameter is a stream: the voice reads it where it reads its pins, from
    // the block on whose start it is set.
    void setParameterValue(uint32_t index, float value) override {
        if (index >= kFirstInput) volts_.set(index - kFirstInput, value);
    }

    void initProgramName(uint32_t index, String& name) override { name = tarn::programName(index); }

    void initState(uint32_t, State& state) override {
        state.key = tarn::kShapeStateKey;
        state.label = "Shape";
        state.description = "The 25 nodes of the curve as the shape text";
        state.defaultValue = "";
        // Not host-readable: DPF 1.6 writes the LV2 presets of every program after the first
        // under its own key prefix, so the state keeps that one key everywhere. Not only for the
        // signal side either: the panel must hear of every state the host restores.
        state.hints = 0;
    }

    // [any, audio included] Heights from the preset, x positions from the current shape, as the
    // panel's menu does (and as the plug-in window shows a program the host loads), built on the
    // shape's own thread.
    void loadProgram(uint32_t index) override { shape_.loadProgram(index); }

    // [main or worker] A program chosen before is built first.
    String getState(const char* key) const override {
        if (std::strcmp(key, tarn::kShapeStateKey) != 0) return String();
        const tarn::ModuleFpScope environment;
        return String(shape_.text().c_str());
    }

    // [main or worker] Any text is a shape text: the module's parser gives every text its
    // answer, and a text whose table is not finite plays silence.
    void setState(const char* key, const char* value) override {
        if (std::strcmp(key, tarn::kShapeStateKey) != 0) return;
        const tarn::ModuleFpScope environment;
        std::string text = value != nullptr ? value : "";
        // DPF's CLAP and VST3 state marks its fields with bytes 0xFF and 0xFE, so a text holding
        // one would come back cut and spill into other fields. The parser reads '?' exactly as
        // it reads those (none is part of a number or a delimiter), so the sound is the same.
        for (char& c : text) {
            if (c == kStateSeparator || c == kStateEnd) c = kInertCharacter;
        }
        shape_.setText(std::move(text));
    }

    // [main] The module's open: the shape chosen so far, the cycle at its start; the first run
    // decides the gate.
    void activate() override {
        const tarn::ModuleFpScope environment;
        shape_.settle();
        voice_.open(static_cast<float>(getSampleRate()));
        opening_ = true;
        asleep_ = false;
    }

    // [audio]
    void run(const float** inputs, float** outputs, uint32_t frames, const MidiEvent* events,
             uint32_t eventCount) override {
        const tarn::ModuleFpScope environment(tarn::X87Status::LeftToTheCode);
        inputs_ = inputs;
        output_ = outputs[0];
#ifndef TARN_PLUGIN_CV
        signals_ = volts_.signals();
#endif
        bool changed = shape_.takeNewest() || opening_;
        opening_ = false;
        uint32_t from = 0;
        uint32_t next = 0;
        while (from < frames) {
            observeStreams(from);
            for (; next < eventCount && events[next].frame <= from; ++next) changed |= takeMidi(events[next]);
            if (changed) decide(from);
            changed = false;
            const uint32_t to = next < eventCount && events[next].frame < frames ? events[next].frame : frames;
            play(from, to);
            from = to;
        }
    }

private:
    // The host's value of an input at a frame, in signal units.
    float stream(uint32_t input, uint32_t frame) const {
#ifdef TARN_PLUGIN_CV
        return inputs_[input][frame];
#else
        static_cast<void>(frame);
        return signals_[input];
#endif
    }

    void observeStreams(uint32_t frame) {
        pitch_.observe(stream(0, frame));
        level_.observe(stream(2, frame));
    }

    // A note-on, note-off, bend or all-off; true when it changed a pin.
    bool takeMidi(const MidiEvent& event) {
        if (event.size < 3) return false;  // every message read here has three bytes
        const uint8_t status = event.data[0] & 0xF0;
        const uint8_t a = event.data[1] & 0x7F;
        const uint8_t b = event.data[2] & 0x7F;
        if (status == kNoteOn && b > 0) {
            notes_.press(a);
        } else if (status == kNoteOff || status == kNoteOn) {
            notes_.release(a);
        } else if (status == kPitchBend) {
            const int bend = tarn::bendValue(event.data[1], event.data[2]);
#ifdef DISTRHO_PLUGIN_TARGET_VST3
            if (!bendParameters_.isBend(event.data[0], bend)) return false;
#endif
            bend_ = bend;
            if (notes_.empty()) return false;
        } else if (status == kControl && (a == kAllNotesOff || a == kAllSoundOff)) {
            notes_.clear();
        } else {
            return false;
        }
        if (notes_.empty()) {
            level_.set(0.0f);
        } else {
            pitch_.set(tarn::signalFromWrittenVolts(tarn::noteVolts(notes_.newest(), bend_)));
            level_.set(noteLevel_);
        }
        return true;
    }

    // A pin change at a frame: the voice decides between sounding and silence by Level there.
    void decide(uint32_t frame) {
        voice_.decide(level_.value(stream(2, frame)), static_cast<int32_t>(getBufferSize()));
        asleep_ = false;
    }

    void play(uint32_t from, uint32_t to) {
        float* out = output_ + from;
        const int32_t count = static_cast<int32_t>(to - from);
        if (asleep_) {
            std::memset(out, 0, sizeof(float) * static_cast<size_t>(count));
            return;
        }
        const float pitch = pitch_.value(stream(0, from));
        const float level = level_.value(stream(2, from));
#ifdef TARN_PLUGIN_CV
        const float* sync = inputs_[1] + from;
        const int32_t syncStep = 1;
#else
        const float* sync = &signals_[1];
        const int32_t syncStep = 0;
#endif
        const tarn::WaveTable& table = shape_.table();
        if (voice_.active()) {
            voice_.generate(table, pitch, sync, syncStep, level, out, count);
        } else if (voice_.generateIdle(table, pitch, sync, syncStep, level, out, count)) {
            asleep_ = true;  // as a host lets the module sleep: silence until a pin changes
        }
    }

    mutable tarn::ShapeState shape_;
    tarn::Contour4Voice voice_;
    tarn::VoltsParameters<kVoltsInputs> volts_;
    const float* signals_ = nullptr;  // the parameters in signal units, from the block's start
    float noteLevel_;
    tarn::TwoSourceInput pitch_;
    tarn::TwoSourceInput level_;
    tarn::HeldNotes notes_;
#ifdef DISTRHO_PLUGIN_TARGET_VST3
    tarn::BendParameters bendParameters_;
#endif
    int bend_ = tarn::kBendCentre;
    bool opening_ = true;
    bool asleep_ = false;
    const float** inputs_ = nullptr;
    float* output_ = nullptr;

    DISTRHO_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Contour4Plugin)
};

Plugin* createPlugin() { return new Contour4Plugin(); }

END_NAMESPACE_DISTRHO
