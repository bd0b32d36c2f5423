// The host's side of a signal object: pins bound by address, buffers, clock, sleep, tracing.
#include "host/core/signal_host.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <optional>

#include "common/pin_values.h"
#include "host/core/fp_environments.h"
#include "host/core/guarded_buffers.h"
#include "host/core/import_watch.h"
#include "host/core/opcode_names.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/io/wav_file.h"

namespace tarnhost {

namespace {

// Named blocks shared by every object that asks for the same name; kept for the process' life.
std::map<std::string, std::vector<float>>& sharedBlocks() {
    static std::map<std::string, std::vector<float>> blocks;
    return blocks;
}

constexpr int32_t kMaxSharedFloats = 1 << 20;
constexpr int32_t kHandleBase = 0x7A00;  // HOST_GET_HANDLE: this plus the host's number
constexpr int32_t kMaxDeclaredPins = 256;

std::string callArgs(HostWord index, int32_t value, void* ptr, float opt) {
    return " index=" + std::to_string(index) + " value=" + std::to_string(value) +
           " ptr=" + hex(reinterpret_cast<uintptr_t>(ptr)) +
           " opt=" + formatFloat(opt);
}

bool isGuiOnly(const PinProperties& p) {
    return (p.flags & PF_GUI) != 0 && (p.flags & PF_DUAL) == 0;
}

// Finds a choice by its name in an enum list.
std::optional<long long> findChoice(const std::string& list, const std::string& wanted) {
    for (const auto& choice : tarn::parseChoiceList(list))
        if (choice.first == wanted) return choice.second;
    return std::nullopt;
}

}  // namespace

PinText& PinText::operator=(const std::string& text) {
    char* fresh = new char[text.size() + 1];
    std::memcpy(fresh, text.c_str(), text.size() + 1);
    poison();
    data_ = fresh;
    size_ = text.size();
    return *this;
}

void PinText::poison() {
    if (data_ == nullptr) return;
    std::memset(data_, kPoison, size_);
    data_[size_] = '\0';
    delete[] data_;
    data_ = nullptr;
}

std::string CallReport::describe(int first, int count) const {
    std::string s = "call first=" + std::to_string(first) + " count=" + std::to_string(count) + ":";
    if (outside) s += " wrote outside its frames;";
    if (written != count) s += " wrote " + std::to_string(written) + " of its frames;";
    if (inputsChanged) s += " changed an input buffer;";
    if (nonFinite) s += " wrote a non-finite sample;";
    if (sleptAfterSound) s += " asked to sleep after writing sound;";
    return s;
}

SignalHost::SignalHost(ModuleLibrary& library, std::FILE* trace, Buffers buffers)
    : ObjectHost(library, trace), bufferPolicy_(buffers), handle_(kHandleBase + hostData()) {}

SignalHost::~SignalHost() {
    close();
    forgetTakenBack(&touchedAfterClose_);
}

void SignalHost::create() {
    record_ = static_cast<ModuleRecord*>(makeObject(KIND_SIGNAL, ""));
    if (record_ != nullptr) process_ = record_->process;
}

HostWord SignalHost::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    if (record_ == nullptr) return 0;
    if (tracing()) traceLine("dispatch " + moduleOpName(opcode) + callArgs(index, value, ptr, opt));
    HostWord result;
    {
        const HostFpPolicy::Call call("the dispatcher");
        result = record_->dispatcher(record_, opcode, index, value, ptr, opt);
    }
    if (tracing()) traceLine("  -> " + std::to_string(result));
    return result;
}

void SignalHost::setSampleRate(float rate) { dispatch(MOD_SET_SAMPLE_RATE, 0, 0, nullptr, rate); }

void SignalHost::setBlockSize(int32_t frames) {
    blockSize_ = frames;
    dispatch(MOD_SET_BLOCK_SIZE, 0, frames);
    allocateBuffers();
    bindPins();
}

// One block of frames between two guard zones per audio pin; inputs keep their value.
void SignalHost::allocateBuffers() {
    const size_t size = static_cast<size_t>(std::max(blockSize_, 1)) + 2 * kGuard;
    for (HostPin& p : pins_) {
        if (p.props.datatype != DT_AUDIO) continue;
        p.buffer.assign(size, p.input ? p.constant : 0.0f);
    }
}

void SignalHost::queryPins() {
    pins_.clear();
    signalPinCount_ = 0;
    for (int32_t i = 0; i < kMaxDeclaredPins; ++i) {
        HostPin pin;
        if (dispatch(MOD_GET_PIN_PROPERTIES, i, 0, &pin.props) == 0) break;
        pin.declaredIndex = i;
        pin.name = pin.props.name != nullptr ? pin.props.name : "";
        pin.defaultText = pin.props.defaultValue != nullptr ? pin.props.defaultValue : "";
        pin.enumList = pin.props.enumList != nullptr ? pin.props.enumList : "";
        pin.input = pin.props.direction == DIR_IN;
        if (!isGuiOnly(pin.props)) pin.signalIndex = signalPinCount_++;
        pins_.push_back(std::move(pin));
    }
    for (HostPin& pin : pins_) {
        if (!pin.input) continue;
        try {
            setPinFromUser(pin, pin.defaultText);
        } catch (const InputError&) {
            // A default the host cannot read leaves the input at zero.
        }
    }
    allocateBuffers();
    bindPins();
}

int SignalHost::findPin(const std::string& name) const {
    for (const HostPin& p : pins_) {
        if (p.name == name) return p.declaredIndex;
    }
    return -1;
}

HostPin* SignalHost::pinByName(const std::string& name) {
    const int i = findPin(name);
    return i < 0 ? nullptr : &pins_[i];
}

const HostPin* SignalHost::outputPin() const {
    for (const HostPin& p : pins_) {
        if (!p.input && p.props.datatype == DT_AUDIO && p.signalIndex >= 0) return &p;
    }
    return nullptr;
}

int SignalHost::textPin() const {
    for (const HostPin& p : pins_) {
        if (p.input && p.props.datatype == DT_TEXT) return p.declaredIndex;
    }
    return -1;
}

HostPin* SignalHost::signalPin(HostWord signalIndex) {
    for (HostPin& p : pins_) {
        if (p.signalIndex == signalIndex && signalIndex >= 0) return &p;
    }
    return nullptr;
}

std::string SignalHost::pinNames() const {
    std::string names;
    for (const HostPin& p : pins_) {
        if (!p.input) continue;
        if (!names.empty()) names += ", ";
        names += "\"" + p.name + "\"";
    }
    return names;
}

void SignalHost::setPinFromUser(HostPin& pin, const std::string& value) {
    switch (pin.props.datatype) {
    case DT_AUDIO: {
        const std::optional<double> volts = value.empty() ? 0.0 : parseDouble(value);
        if (!volts) throw InputError("pin \"" + pin.name + "\" takes volts, not \"" + value + "\"");
        pin.constant = tarn::signalFromWrittenVolts(*volts);
        pin.stream.clear();
        std::fill(pin.buffer.begin(), pin.buffer.end(), pin.constant);
        return;
    }
    case DT_ENUM: {
        std::optional<long long> choice = value.empty() ? 0 : parseInt(value);
        if (!choice) choice = findChoice(pin.enumList, value);
        if (!choice)
            throw InputError("pin \"" + pin.name + "\" takes one of " + pin.enumList + ", not \"" + value + "\"");
        if (*choice < INT16_MIN || *choice > INT16_MAX)
            throw InputError("pin \"" + pin.name + "\": " + value + " is out of range");
        pin.choice = static_cast<int16_t>(*choice);
        return;
    }
    case DT_TEXT:
        pin.text = value;
        return;
    default:
        throw InputError("pin \"" + pin.name + "\" has a datatype this host does not set");
    }
}

void SignalHost::setPinInput(HostPin& pin, const std::string& path) {
    if (pin.props.datatype != DT_AUDIO || !pin.input)
        throw InputError("pin \"" + pin.name + "\" is not an audio input");
    pin.stream = readRawFloats(path);
}

void SignalHost::setAudio(int declaredIndex, float value, bool notifyPin) {
    HostPin& p = pins_[declaredIndex];
    p.constant = value;
    p.stream.clear();
    std::fill(p.buffer.begin(), p.buffer.end(), value);
    if (notifyPin && p.signalIndex >= 0) sendPinStatus(p.signalIndex, ST_STILL);
}

void SignalHost::setChoice(int declaredIndex, int16_t choice, bool notifyPin) {
    pins_[declaredIndex].choice = choice;
    bindPins();
    if (notifyPin) notify(declaredIndex);
}

void SignalHost::setText(int declaredIndex, const std::string& text, bool notifyPin) {
    pins_[declaredIndex].text = text;
    bindPins();
    if (notifyPin) notify(declaredIndex);
}

void SignalHost::notify(int declaredIndex) {
    if (pins_[declaredIndex].signalIndex >= 0) sendPinStatus(pins_[declaredIndex].signalIndex, ST_ONE_OFF);
}

void SignalHost::bindPins() {
    if (record_ == nullptr) return;  // the variables live in an object that is gone
    for (HostPin& p : pins_) {
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

void SignalHost::fillInputs(int64_t frame, int32_t count) {
    for (HostPin& p : pins_) {
        if (!p.input || p.props.datatype != DT_AUDIO || p.stream.empty()) continue;
        for (int32_t k = 0; k < count; ++k) {
            const int64_t at = frame + k;
            frames(p)[k] = at < static_cast<int64_t>(p.stream.size()) ? p.stream[at] : p.stream.back();
        }
    }
}

void SignalHost::event(int32_t type, intptr_t target, int32_t value) {
    if (record_ == nullptr) return;
    ModuleEvent ev{};
    ev.timeStamp = clock_;
    ev.type = type;
    ev.value = value;
    ev.target = reinterpret_cast<void*>(target);
    if (tracing())
        traceLine("event " + eventTypeName(type) +
              " target=" + std::to_string(target) + " value=" + std::to_string(value));
    sleeping_ = false;
    if (!opened_) {
        const HostFpPolicy::Call call("the event entry");
        record_->event(record_->object, &ev);
        return;
    }
    const HostPin* pin = type == EV_PIN_STATUS ? signalPin(target) : nullptr;
    WatchScope audioPath("event on pin " + std::to_string(target) +
                         (pin != nullptr ? " \"" + pin->name + "\"" : std::string()));
    const HostFpPolicy::Call call("the event entry");
    record_->event(record_->object, &ev);
}

void SignalHost::sendPinStatus(int32_t signalIndex, int32_t status) {
    event(EV_PIN_STATUS, signalIndex, status);
}

void SignalHost::open() {
    if (record_ == nullptr) return;
    blockStart_ = 0;
    clock_ = 0;
    insideBlock_ = false;
    fillInputs(0, std::max(blockSize_, 1));
    bindPins();
    dispatch(MOD_OPEN);
    opened_ = record_ != nullptr;  // the host may have closed it inside its open
    for (HostPin& p : pins_) {
        if (!p.input || p.signalIndex < 0) continue;
        int32_t status = ST_ONE_OFF;
        if (p.props.datatype == DT_AUDIO) status = p.stream.empty() ? ST_STILL : ST_RUN;
        sendPinStatus(p.signalIndex, status);
    }
}

void SignalHost::changePinText(int32_t declaredIndex, const std::string& text) {
    if (declaredIndex < 0 || declaredIndex >= static_cast<int32_t>(pins_.size())) return;
    setText(declaredIndex, text, opened_);
}

const char* SignalHost::pinText(int32_t declaredIndex) const {
    if (declaredIndex < 0 || declaredIndex >= static_cast<int32_t>(pins_.size())) return "";
    return pins_[declaredIndex].text.c_str();
}

CallReport SignalHost::process(int32_t first, int32_t count, bool endsBlock) {
    CallReport r;
    if (record_ == nullptr || sleeping_ || process_ == nullptr) return r;
    const bool guarded = bufferPolicy_ == Buffers::Guarded;
    HostPin* out = outputPin();
    std::vector<std::vector<float>> inputs;
    if (guarded) {
        for (const HostPin& p : pins_)
            if (p.input && p.props.datatype == DT_AUDIO) inputs.emplace_back(p.buffer.begin(), p.buffer.end());
        if (out != nullptr) markOutput(out->buffer);
    }
    // Between blocks the clock stands at the start of the next one; inside a split block, at
    // the frame where the next part starts.
    if (!insideBlock_) blockStart_ = clock_;
    sleptNow_ = false;
    clock_ = blockStart_ + first;
    r.called = true;
    if (tracing()) traceLine("process first=" + std::to_string(first) + " count=" + std::to_string(count));
    {
        WatchScope audioPath("process");
        const HostFpPolicy::Call call("a process call");
        process_(record_->object, first, count);
    }
    insideBlock_ = !endsBlock;
    clock_ = endsBlock ? blockStart_ + blockSize_ : blockStart_ + first + count;
    if (endsBlock) blockStart_ = clock_;
    r.slept = sleptNow_;
    if (!guarded) return r;
    judgeInputs(inputs, r);
    if (out != nullptr) judgeOutput(*out, first, count, r);
    return r;
}

// Every input buffer, guards included, must be as it was before the call.
void SignalHost::judgeInputs(const std::vector<std::vector<float>>& before, CallReport& r) const {
    size_t n = 0;
    for (const HostPin& p : pins_) {
        if (!p.input || p.props.datatype != DT_AUDIO) continue;
        if (std::memcmp(before[n].data(), p.buffer.data(), p.buffer.size() * 4) != 0) r.inputsChanged = true;
        ++n;
    }
}

// The marked NaN must be gone from exactly the frames of the call, and nowhere else.
void SignalHost::judgeOutput(const HostPin& out, int32_t first, int32_t count, CallReport& r) const {
    const GuardedWrites w = tarnhost::judgeOutput(out.buffer, kGuard, first, count);
    r.written = w.written;
    r.outside = w.outside;
    r.nonFinite = w.nonFinite;
    r.sleptAfterSound = r.slept && w.sound;
}

void SignalHost::render(int64_t frames, std::vector<float>& out) {
    const HostPin* output = outputPin();
    out.clear();
    out.reserve(static_cast<size_t>(std::max<int64_t>(frames, 0)));
    const int32_t block = std::max(blockSize_, 1);
    for (int64_t frame = 0; frame < frames; frame += block) {
        const int32_t count = static_cast<int32_t>(std::min<int64_t>(block, frames - frame));
        fillInputs(frame, count);
        if (!sleeping_) {
            process(0, count);
        } else {
            clock_ += blockSize_;  // a sleeping module's clock runs on
        }
        for (int32_t k = 0; k < count; ++k) out.push_back(output != nullptr ? this->frames(*output)[k] : 0.0f);
    }
}

const float* SignalHost::output() const {
    const HostPin* out = outputPin();
    return out != nullptr ? frames(*out) : nullptr;
}

void SignalHost::close() {
    if (record_ == nullptr) return;
    dispatch(MOD_CLOSE);
    forgetObject();
}

// The object is gone: what the host lent it is taken back, and the host goes on with copies.
void SignalHost::forgetObject() {
    for (HostPin& p : pins_) p.buffer.takeBack(&touchedAfterClose_);
    record_ = nullptr;
    process_ = nullptr;
    opened_ = false;
}

// The pin must be an output of the object, the status a known one, the clock the current one.
void SignalHost::checkPinStatus(HostWord index, int32_t value, void* ptr) {
    const HostPin* target = signalPin(index);
    const intptr_t clock = reinterpret_cast<intptr_t>(ptr);
    std::string problem;
    if (target == nullptr) problem = "pin " + std::to_string(index) + " is not a pin of the object";
    else if (target->input) problem = "pin \"" + target->name + "\" is an input";
    else if (value != ST_STILL && value != ST_ONE_OFF && value != ST_RUN) problem = "status " + std::to_string(value) + " is unknown";
    else if (clock != clock_) problem = "clock " + std::to_string(clock) + " is not the current " + std::to_string(clock_);
    if (!problem.empty() && pinStatusProblem_.empty()) pinStatusProblem_ = "HOST_SET_PIN_STATUS: " + problem;
}

void SignalHost::closeFromInside(void* record, int32_t opcode) {
    if (tracing()) traceLine("dispatch MOD_CLOSE from inside " + hostOpName(opcode));
    auto* r = static_cast<ModuleRecord*>(record);
    {
        const HostFpPolicy::Call call("the dispatcher");
        r->dispatcher(r, MOD_CLOSE, 0, 0, nullptr, 0.0f);
    }
    forgetObject();
}

// A named block is made once and shared by every object that asks for that name.
HostWord SignalHost::allocateShared(HostWord index, int32_t value, void* ptr, float opt) {
    if (ptr == nullptr || value <= 0 || value > kMaxSharedFloats) return 0;
    const std::string name(static_cast<const char*>(ptr));
    auto it = sharedBlocks().find(name);
    if (it == sharedBlocks().end()) it = sharedBlocks().emplace(name, std::vector<float>(value, opt)).first;
    if (index != 0) *reinterpret_cast<float**>(static_cast<intptr_t>(index)) = it->second.data();
    return 1;
}

HostWord SignalHost::answer(void*, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    HostWord result = 0;
    switch (opcode) {
    case HOST_SET_PIN_STATUS:
        checkPinStatus(index, value, ptr);
        if (HostPin* p = signalPin(index)) p->outputStatus = value;
        break;
    case HOST_GET_SAMPLE_CLOCK: result = clock_; break;
    case HOST_GET_PIN_BUFFER:
        if (HostPin* p = signalPin(index); p != nullptr && p->props.datatype == DT_AUDIO)
            result = reinterpret_cast<HostWord>(frames(*p));
        break;
    case HOST_GET_BLOCK_START: result = blockStart_; break;
    case HOST_SLEEP:
        sleeping_ = true;
        sleptNow_ = true;
        break;
    case HOST_GET_PIN_COUNT: result = signalPinCount_; break;
    case HOST_GET_HANDLE: result = handle_; break;
    case HOST_ALLOCATE_SHARED: result = allocateShared(index, value, ptr, opt); break;
    case HOST_PROCESS_FUNCTION_CHANGED:
        if (record_ != nullptr) process_ = record_->process;
        break;
    default: break;
    }
    if (tracing())
        traceLine("host " + hostOpName(opcode) + callArgs(index, value, ptr, opt) + " -> " + std::to_string(result));
    return result;
}

}  // namespace tarnhost
