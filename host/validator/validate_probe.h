// The validator's instruments, shared by its batteries: a signal object under guarded buffers
// with every process call judged, and one instance with its panel in a real window.
#pragma once

#include <cfloat>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "host/core/gui_host.h"
#include "host/core/signal_host.h"
#include "host/validator/validator.h"

namespace tarnhost {

// Values every input is held at: ordinary, huge, infinite, not a number, subnormal.
constexpr float kSpecialValues[] = {0.0f, 1.0f, -1.0f, 10.0f, -10.0f, 1e30f, -1e30f,
                                    std::numeric_limits<float>::infinity(),
                                    -std::numeric_limits<float>::infinity(),
                                    std::numeric_limits<float>::quiet_NaN(), FLT_MIN / 2, -FLT_MIN / 2,
                                    FLT_TRUE_MIN};

// A choice value outside the enum list lets a module leave its output alone.
bool choiceInList(const PinProperties& p, int16_t choice);

struct Probe {
    std::unique_ptr<SignalHost> host;
    std::vector<float> audio;  // current value of each pin (audio inputs)
    std::vector<int16_t> choices;

    // Whether the output may stay unwritten (an enum outside its list).
    bool mayWriteNothing() const;
    // Whether every input is finite and of a sane size, so that the output must be finite.
    bool saneInputs() const;
    void setAudio(int pin, float v, bool notify = true);
    void setChoice(int pin, int16_t c, bool notify = true);
    // One process call judged: "" or what went wrong.
    std::string run(int first, int count, bool endsBlock = true);
    std::string blocks(int n, int count);
};

// Makes a signal object with every input at its default, rate and block set before the pins
// are asked (or after, with pinsFirst), opened unless told otherwise.
Probe makeProbe(Validator& v, float rate, int block, bool open = true, bool pinsFirst = false);

// One instance: its signal object (block 64, opened) and its panel in a window of its own.
struct Instance {
    SignalHost signal;
    std::unique_ptr<GuiHost> gui;
    explicit Instance(Validator& v);
    // The text of the module's text input as the host now holds it.
    std::string text() const { return signal.pinText(signal.textPin()); }
    // A new text for that input, as the host's user would type it, reported to the panel.
    void pinChange(const std::string& t);
};

bool hasPanel(Validator& v);

}  // namespace tarnhost
