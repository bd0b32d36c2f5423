// The validator's probe of a signal object and its instance with a panel.
#include "host/validator/validate_probe.h"

#include <cmath>
#include <stdexcept>

#include "common/pin_values.h"
#include "host/core/fp_environments.h"
#include "host/io/number_text.h"

namespace tarnhost {

bool choiceInList(const PinProperties& p, int16_t choice) {
    if (p.enumList == nullptr) return true;
    for (const auto& c : tarn::parseChoiceList(p.enumList))
        if (c.second == choice) return true;
    return false;
}

bool Probe::mayWriteNothing() const {
    for (int i = 0; i < host->pinCount(); ++i)
        if (host->pin(i).datatype == DT_ENUM && !choiceInList(host->pin(i), choices[i])) return true;
    return false;
}

bool Probe::saneInputs() const {
    for (int i = 0; i < host->pinCount(); ++i)
        if (host->pin(i).datatype == DT_AUDIO && host->pin(i).direction == DIR_IN && !(std::fabs(audio[i]) <= 1e30f))
            return false;
    return true;
}

void Probe::setAudio(int pin, float v, bool notify) {
    audio[pin] = v;
    host->setAudio(pin, v, notify);
}

void Probe::setChoice(int pin, int16_t c, bool notify) {
    choices[pin] = c;
    host->setChoice(pin, c, notify);
}

std::string Probe::run(int first, int count, bool endsBlock) {
    const CallReport r = host->process(first, count, endsBlock);
    if (!r.called) return "";
    std::string bad;
    if (r.outside || r.inputsChanged || r.sleptAfterSound) bad = r.describe(first, count);
    if (r.written != count && !(r.written == 0 && mayWriteNothing())) bad = r.describe(first, count);
    if (r.nonFinite && saneInputs()) bad = r.describe(first, count);
    return bad;
}

std::string Probe::blocks(int n, int count) {
    for (int b = 0; b < n; ++b) {
        const std::string bad = run(0, count);
        if (!bad.empty()) return "block " + std::to_string(b) + ": " + bad;
    }
    return "";
}

Probe makeProbe(Validator& v, float rate, int block, bool open, bool pinsFirst) {
    Probe p;
    p.host = std::make_unique<SignalHost>(v.library(), nullptr, SignalHost::Buffers::Guarded);
    p.host->create();
    if (pinsFirst) p.host->queryPins();
    p.host->setSampleRate(rate);
    p.host->setBlockSize(block);
    if (!pinsFirst) p.host->queryPins();
    p.audio.assign(p.host->pinCount(), 0.0f);
    p.choices.assign(p.host->pinCount(), 0);
    for (int i = 0; i < p.host->pinCount(); ++i) {
        const PinProperties& pp = p.host->pin(i);
        if (pp.direction != DIR_IN) continue;
        const std::string def = pp.defaultValue != nullptr ? pp.defaultValue : "";
        const auto volts = pp.datatype == DT_AUDIO ? parseDouble(def) : std::nullopt;
        if (volts) p.setAudio(i, tarn::signalFromWrittenVolts(*volts), false);
        const auto choice = pp.datatype == DT_ENUM ? parseInt(def) : std::nullopt;
        if (choice) p.setChoice(i, static_cast<int16_t>(*choice), false);
    }
    if (open) p.host->open();
    return p;
}

Instance::Instance(Validator& v) : signal(v.library(), nullptr, SignalHost::Buffers::Guarded) {
    signal.create();
    signal.setBlockSize(64);
    signal.queryPins();
    signal.open();
    gui = std::make_unique<GuiHost>(v.library(), signal, nullptr);
    gui->create();
    gui->createWindow(600, 300, false);
    gui->open();
}

void Instance::pinChange(const std::string& t) {
    signal.changePinText(signal.textPin(), t);
    gui->dispatch(GUI_PIN_CHANGED, signal.textPin());
}

bool hasPanel(Validator& v) {
    void* r = v.library().makeModule(0, KIND_GUI, nullptr, 0);
    if (r == nullptr) return false;
    auto* g = static_cast<GuiRecord*>(r);
    const HostFpPolicy::Call call("the panel's dispatcher");
    g->dispatcher(g, GUI_CLOSE, 0, 0, nullptr, 0);
    return true;
}

}  // namespace tarnhost
