// ProbeHost: guarded buffers and the per-call checks of the validator.
#include "probe_host.h"

#include "import_watch.h"

#include <cmath>
#include <cstring>
#include <map>

namespace tarnhost {

namespace {

float markValue() {
    float f;
    const uint32_t m = ProbeHost::kMark;
    std::memcpy(&f, &m, 4);
    return f;
}

bool isMark(float f) {
    uint32_t w;
    std::memcpy(&w, &f, 4);
    return w == ProbeHost::kMark;
}

std::map<std::string, std::vector<float>>& probeShared() {
    static std::map<std::string, std::vector<float>> blocks;
    return blocks;
}

}  // namespace

std::string CallReport::describe(int first, int count) const {
    std::string s = "call first=" + std::to_string(first) + " count=" + std::to_string(count) + ":";
    if (outside) s += " wrote outside its frames;";
    if (written != count) s += " wrote " + std::to_string(written) + " of its frames;";
    if (inputsChanged) s += " changed an input buffer;";
    if (nonFinite) s += " wrote a non-finite sample;";
    if (sleptAfterSound) s += " asked to sleep after writing sound;";
    return s;
}

ProbeHost::ProbeHost(ModuleLibrary& library) : library_(library) {
    hostData_ = registerReceiver(this);
}

ProbeHost::~ProbeHost() {
    close();
    unregisterReceiver(hostData_);
}

bool ProbeHost::create() {
    void* r = library_.makeModule(0, KIND_SIGNAL, &hostCallback, hostData_);
    record_ = static_cast<ModuleRecord*>(r);
    if (record_ != nullptr) process_ = record_->process;
    return record_ != nullptr;
}

void ProbeHost::setSampleRate(float rate) {
    if (record_ != nullptr) record_->dispatcher(record_, MOD_SET_SAMPLE_RATE, 0, 0, nullptr, rate);
}

void ProbeHost::setBlockSize(int32_t frames) {
    blockSize_ = frames;
    if (record_ != nullptr) record_->dispatcher(record_, MOD_SET_BLOCK_SIZE, 0, frames, nullptr, 0);
    allocate();
    bind();
}

void ProbeHost::allocate() {
    for (Pin& p : pins_) {
        if (p.props.datatype != DT_AUDIO) continue;
        const float keep = p.buffer.size() > static_cast<size_t>(kGuard) ? p.buffer[kGuard] : 0.0f;
        p.buffer.assign(static_cast<size_t>(blockSize_) + 2 * kGuard, p.props.direction == DIR_IN ? keep : 0.0f);
    }
}

void ProbeHost::queryPins() {
    pins_.clear();
    signalPins_ = 0;
    for (int32_t i = 0; i < 64 && record_ != nullptr; ++i) {
        Pin p;
        if (record_->dispatcher(record_, MOD_GET_PIN_PROPERTIES, i, 0, &p.props, 0) == 0) break;
        p.name = p.props.name != nullptr ? p.props.name : "";
        const bool guiOnly = (p.props.flags & PF_GUI) != 0 && (p.props.flags & PF_DUAL) == 0;
        if (!guiOnly) p.signalIndex = signalPins_++;
        pins_.push_back(p);
    }
    allocate();
    bind();
}

int ProbeHost::findPin(const std::string& name) const {
    for (size_t i = 0; i < pins_.size(); ++i)
        if (pins_[i].name == name) return static_cast<int>(i);
    return -1;
}

int ProbeHost::outputPin() const {
    for (size_t i = 0; i < pins_.size(); ++i)
        if (pins_[i].props.direction == DIR_OUT && pins_[i].props.datatype == DT_AUDIO) return static_cast<int>(i);
    return -1;
}

void ProbeHost::bind() {
    for (Pin& p : pins_) {
        void* v = p.props.variable;
        if (v == nullptr) continue;
        switch (p.props.datatype) {
        case DT_AUDIO: *static_cast<float**>(v) = frames(p); break;
        case DT_ENUM: *static_cast<int16_t*>(v) = p.choice; break;
        case DT_TEXT: *static_cast<const char**>(v) = p.text.c_str(); break;
        default: break;
        }
    }
}

void ProbeHost::open() {
    if (record_ == nullptr) return;
    bind();
    record_->dispatcher(record_, MOD_OPEN, 0, 0, nullptr, 0);
    opened_ = true;
    for (const Pin& p : pins_)
        if (p.props.direction == DIR_IN && p.signalIndex >= 0) event(EV_PIN_STATUS, p.signalIndex, ST_ONE_OFF);
}

void ProbeHost::close() {
    if (record_ == nullptr) return;
    record_->dispatcher(record_, MOD_CLOSE, 0, 0, nullptr, 0);
    record_ = nullptr;
    opened_ = false;
}

void ProbeHost::event(int32_t type, intptr_t target, int32_t value) {
    if (record_ == nullptr) return;
    ModuleEvent ev{};
    ev.timeStamp = clock_;
    ev.type = type;
    ev.value = value;
    ev.target = reinterpret_cast<void*>(target);
    sleeping_ = false;
    if (!opened_) {
        record_->event(record_->object, &ev);
        return;
    }
    WatchScope audioPath("event of type " + std::to_string(type) + " on pin " + std::to_string(target));
    record_->event(record_->object, &ev);
}

void ProbeHost::setAudio(int pin, float value, bool notify) {
    Pin& p = pins_[pin];
    for (int k = 0; k < blockSize_; ++k) frames(p)[k] = value;
    for (int k = 0; k < kGuard; ++k) {
        p.buffer[k] = value;
        p.buffer[p.buffer.size() - 1 - k] = value;
    }
    if (notify && p.signalIndex >= 0) event(EV_PIN_STATUS, p.signalIndex, ST_STILL);
}

void ProbeHost::setChoice(int pin, int16_t choice, bool notify) {
    pins_[pin].choice = choice;
    bind();
    if (notify && pins_[pin].signalIndex >= 0) event(EV_PIN_STATUS, pins_[pin].signalIndex, ST_ONE_OFF);
}

void ProbeHost::setText(int pin, const std::string& text, bool notify) {
    pins_[pin].text = text;
    bind();
    if (notify && pins_[pin].signalIndex >= 0) event(EV_PIN_STATUS, pins_[pin].signalIndex, ST_ONE_OFF);
}

void ProbeHost::notify(int pin) {
    if (pins_[pin].signalIndex >= 0) event(EV_PIN_STATUS, pins_[pin].signalIndex, ST_ONE_OFF);
}

const char* ProbeHost::pinText(int32_t pin) const {
    return pin >= 0 && pin < static_cast<int>(pins_.size()) ? pins_[pin].text.c_str() : "";
}

void ProbeHost::changePinText(int32_t pin, const std::string& text) {
    if (pin >= 0 && pin < static_cast<int>(pins_.size())) setText(pin, text, opened_);
}

const float* ProbeHost::output() const {
    const int out = outputPin();
    return out < 0 ? nullptr : pins_[out].buffer.data() + kGuard;
}

CallReport ProbeHost::process(int first, int count, bool endsBlock) {
    CallReport r;
    if (record_ == nullptr || sleeping_) return r;
    const int out = outputPin();
    std::vector<std::vector<float>> inputs;
    for (const Pin& p : pins_)
        if (p.props.direction == DIR_IN && p.props.datatype == DT_AUDIO) inputs.push_back(p.buffer);
    if (out >= 0) std::fill(pins_[out].buffer.begin(), pins_[out].buffer.end(), markValue());
    // Between blocks the clock stands at the start of the next one; inside a split block, at
    // the frame where the next part starts.
    if (!insideBlock_) blockStart_ = clock_;
    sleptNow_ = false;
    clock_ = blockStart_ + first;
    r.called = true;
    {
        WatchScope audioPath("process");
        process_(record_->object, first, count);
    }
    insideBlock_ = !endsBlock;
    clock_ = endsBlock ? blockStart_ + blockSize_ : blockStart_ + first + count;
    if (endsBlock) blockStart_ = clock_;
    r.slept = sleptNow_;

    size_t n = 0;
    for (const Pin& p : pins_) {
        if (p.props.direction != DIR_IN || p.props.datatype != DT_AUDIO) continue;
        if (std::memcmp(inputs[n].data(), p.buffer.data(), p.buffer.size() * 4) != 0) r.inputsChanged = true;
        ++n;
    }
    if (out >= 0) {
        const std::vector<float>& b = pins_[out].buffer;
        bool sound = false;
        for (size_t k = 0; k < b.size(); ++k) {
            const int frame = static_cast<int>(k) - kGuard;
            const bool inside = frame >= first && frame < first + count;
            if (isMark(b[k])) continue;
            if (!inside) {
                r.outside = true;
                continue;
            }
            ++r.written;
            if (!std::isfinite(b[k])) r.nonFinite = true;
            if (b[k] != 0.0f) sound = true;
        }
        r.sleptAfterSound = r.slept && sound;
    }
    return r;
}

HostWord ProbeHost::onHostCall(void*, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    switch (opcode) {
    case HOST_SET_PIN_STATUS: {
        // The pin must be an output of the object, the status a known one, the clock the current one.
        const Pin* target = nullptr;
        for (const Pin& p : pins_)
            if (p.signalIndex == index && index >= 0) target = &p;
        const intptr_t clock = reinterpret_cast<intptr_t>(ptr);
        std::string problem;
        if (target == nullptr) problem = "pin " + std::to_string(index) + " is not a pin of the object";
        else if (target->props.direction != DIR_OUT) problem = "pin \"" + target->name + "\" is an input";
        else if (value != ST_STILL && value != ST_ONE_OFF && value != ST_RUN) problem = "status " + std::to_string(value) + " is unknown";
        else if (clock != clock_) problem = "clock " + std::to_string(clock) + " is not the current " + std::to_string(clock_);
        if (!problem.empty() && pinStatusProblem_.empty()) pinStatusProblem_ = "HOST_SET_PIN_STATUS: " + problem;
        return 0;
    }
    case HOST_GET_SAMPLE_CLOCK: return clock_;
    case HOST_GET_BLOCK_START: return blockStart_;
    case HOST_GET_PIN_COUNT: return signalPins_;
    case HOST_GET_HANDLE: return 0x5EED;
    case HOST_GET_PIN_BUFFER:
        for (Pin& p : pins_)
            if (p.signalIndex == index && p.props.datatype == DT_AUDIO) return reinterpret_cast<HostWord>(frames(p));
        return 0;
    case HOST_SLEEP:
        sleeping_ = true;
        sleptNow_ = true;
        return 0;
    case HOST_PROCESS_FUNCTION_CHANGED:
        if (record_ != nullptr) process_ = record_->process;
        return 0;
    case HOST_ALLOCATE_SHARED: {
        if (ptr == nullptr || value <= 0 || value > (1 << 20)) return 0;
        auto& block = probeShared()[static_cast<const char*>(ptr)];
        if (block.empty()) block.assign(value, opt);
        if (index != 0) *reinterpret_cast<float**>(index) = block.data();
        return 1;
    }
    default: return 0;
    }
}

}  // namespace tarnhost
