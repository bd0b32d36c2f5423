// The host's side of one signal object, for every command: its record, pins bound by address,
// buffers, clock, events, sleep, process-function switch, shared blocks, pin texts and trace.
// The validator runs it with guarded buffers and checks every process call.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/module_library.h"

namespace tarnhost {

// Receives the callbacks of one record; hostData of that record names the receiver.
class CallbackReceiver {
public:
    virtual ~CallbackReceiver() = default;
    virtual HostWord onHostCall(void* record, int32_t opcode, HostWord index, int32_t value,
                                void* ptr, float opt) = 0;
};

// The one callback the host hands to every object; routes by the record's hostData.
HostWord TARN_CDECL hostCallback(void* record, int32_t opcode, HostWord index, int32_t value,
                                void* ptr, float opt);
int32_t registerReceiver(CallbackReceiver* receiver);
void unregisterReceiver(int32_t hostData);

// Where a GUI object's pin texts live: the signal object of the same instance.
class PinTextStore {
public:
    virtual ~PinTextStore() = default;
    // The text of a declared pin; the empty text for any other index. Never null.
    virtual const char* pinText(int32_t declaredIndex) const = 0;
    // A new text for the declared pin, delivered to the signal object as a pin change.
    virtual void changePinText(int32_t declaredIndex, const std::string& text) = 0;
};

// A pin's text as the module is handed it. Each new text gets a buffer of its own, and the old
// one is overwritten with a poison pattern before it is freed, so a module that keeps reading a
// text pointer after the host replaced it reads poison, not a stale text that looks right.
class PinText {
public:
    static constexpr char kPoison = static_cast<char>(0xDB);
    PinText() = default;
    PinText(const PinText& other) { *this = other.str(); }
    PinText& operator=(const PinText& other) { return *this = other.str(); }
    PinText& operator=(const std::string& text);
    ~PinText() { poison(); }
    const char* c_str() const { return data_ != nullptr ? data_ : ""; }
    std::string str() const { return c_str(); }

private:
    void poison();
    char* data_ = nullptr;
    size_t size_ = 0;
};

struct HostPin {
    int32_t declaredIndex = 0;
    int32_t signalIndex = -1;  // -1 for a pin of the GUI side only
    PinProperties props{};
    std::string name;
    std::string defaultText;
    std::string enumList;
    bool input = true;
    std::vector<float> buffer;  // audio pins: guard zone, one block of frames, guard zone
    float constant = 0.0f;      // audio input held at this value (signal units)
    std::vector<float> stream;  // audio input from a file, held at its last value
    int16_t choice = 0;         // enum pins
    PinText text;               // text pins
    int32_t outputStatus = 0;
};

// What one process call did, as the host saw it (checked with guarded buffers only).
struct CallReport {
    bool called = false;           // false while the module sleeps
    int written = 0;               // frames of [first, first + count) that were written
    bool outside = false;          // a write outside [first, first + count)
    bool inputsChanged = false;    // an input buffer (or its guards) changed
    bool nonFinite = false;        // a written frame is NaN or infinite
    bool sleptAfterSound = false;  // HOST_SLEEP came in a call that wrote a non-zero frame
    bool slept = false;            // HOST_SLEEP came in this call
    std::string describe(int first, int count) const;
};

class SignalHost : public CallbackReceiver, public PinTextStore {
public:
    // Plain buffers for rendering; guarded ones for the validator: the output is filled with a
    // marked NaN before every call, inside guard zones, and every call is checked.
    enum class Buffers { Plain, Guarded };
    static constexpr int kGuard = 64;
    static constexpr uint32_t kMark = 0x7FC0DEAD;  // a NaN no arithmetic produces

    SignalHost(ModuleLibrary& library, std::FILE* trace, Buffers buffers = Buffers::Plain);
    ~SignalHost() override;
    SignalHost(const SignalHost&) = delete;
    SignalHost& operator=(const SignalHost&) = delete;

    // Makes the signal object; throws Error when the library makes none, unless the host closed
    // it from inside its creation.
    void create();
    void setSampleRate(float rate);
    void setBlockSize(int32_t frames);
    void queryPins();
    void open();
    void close();

    // Pins by what they are.
    std::vector<HostPin>& pins() { return pins_; }
    int pinCount() const { return static_cast<int>(pins_.size()); }
    const PinProperties& pin(int declaredIndex) const { return pins_[declaredIndex].props; }
    const std::string& pinName(int declaredIndex) const { return pins_[declaredIndex].name; }
    int findPin(const std::string& name) const;  // declared index, or -1
    HostPin* pinByName(const std::string& name);
    HostPin* signalPin(HostWord signalIndex);
    // The first audio output of the signal side, or null.
    HostPin* outputPin() { return const_cast<HostPin*>(std::as_const(*this).outputPin()); }
    const HostPin* outputPin() const;
    int textPin() const;   // declared index of the first text input, or -1
    std::string pinNames() const;

    // Input values as the host's user gives them: volts, a choice, a text, a float32 stream;
    // InputError when the value or the file does not suit the pin.
    void setPinFromUser(HostPin& pin, const std::string& value);
    void setPinInput(HostPin& pin, const std::string& path);
    // Input values set directly (signal units), each delivered as a pin change when notify.
    void setAudio(int declaredIndex, float value, bool notify = true);
    void setChoice(int declaredIndex, int16_t choice, bool notify = true);
    void setText(int declaredIndex, const std::string& text, bool notify = true);
    // A pin change for a pin whose value stays as it is.
    void notify(int declaredIndex);
    // Any event, stamped with the current clock.
    void event(int32_t type, intptr_t target, int32_t value);

    // One process call at a place in the buffers. A call that does not end its block leaves the
    // clock at its end, so that events stamped there fall inside the block, and the next call
    // continues the same block.
    CallReport process(int32_t first, int32_t count, bool endsBlock = true);
    // Renders frames of the first audio output, one process call per block, inputs from their
    // constants and streams.
    void render(int64_t frames, std::vector<float>& out);
    const float* output() const;  // the output frames of the last call

    bool sleeping() const { return sleeping_; }
    ModuleRecord* record() { return record_; }
    // The module's current process entry, for callers that time the module alone.
    ProcessEntry processEntry() const { return process_; }
    // The first HOST_SET_PIN_STATUS that named no output of the object, an unknown status or
    // another clock than the current one; "" while there was none.
    const std::string& pinStatusProblem() const { return pinStatusProblem_; }

    // The host answers the object's first call with `opcode` by closing the object from inside
    // that call; the object is the host's no more, and any call it still makes is counted.
    void closeInside(int32_t opcode) { closeOn_ = opcode; }
    bool closedInside() const { return closedInside_; }
    int callsAfterClose() const { return callsAfterClose_; }
    // The opcodes the object has called the host with, in the order of their first use.
    const std::vector<int32_t>& opcodesUsed() const { return opcodesUsed_; }

    void changePinText(int32_t declaredIndex, const std::string& text) override;
    const char* pinText(int32_t declaredIndex) const override;
    HostWord onHostCall(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                        float opt) override;

private:
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    float* frames(HostPin& p) { return p.buffer.data() + kGuard; }
    const float* frames(const HostPin& p) const { return p.buffer.data() + kGuard; }
    void allocateBuffers();
    void bindPins();
    void sendPinStatus(int32_t signalIndex, int32_t status);
    void fillInputs(int64_t frame, int32_t count);
    void checkPinStatus(HostWord index, int32_t value, void* ptr);
    void traceLine(const std::string& line);

    ModuleLibrary& library_;
    std::FILE* trace_;
    Buffers bufferPolicy_;
    int32_t hostData_ = 0;
    ModuleRecord* record_ = nullptr;
    ProcessEntry process_ = nullptr;
    std::vector<HostPin> pins_;
    int32_t signalPinCount_ = 0;
    int32_t blockSize_ = 1024;
    int32_t blockStart_ = 0;
    int32_t clock_ = 0;
    bool insideBlock_ = false;
    bool sleeping_ = false;
    bool sleptNow_ = false;
    bool opened_ = false;
    int32_t handle_ = 0;
    std::string pinStatusProblem_;
    int32_t closeOn_ = -1;
    bool closedInside_ = false;
    int callsAfterClose_ = 0;
    std::vector<int32_t> opcodesUsed_;
};

}  // namespace tarnhost
