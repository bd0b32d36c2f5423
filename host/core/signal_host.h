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
#include "host/core/lent_memory.h"
#include "host/core/module_library.h"
#include "host/core/object_host.h"

namespace tarnhost {

// Where a GUI object's pin texts live: the signal object of the same instance.
class PinTextStore {
public:
    virtual ~PinTextStore() = default;
    // [main] The text of a declared pin; the empty text for any other index. Never null.
    virtual const char* pinText(int32_t declaredIndex) const = 0;
    // [main] A new text for the declared pin, delivered to the signal object as a pin change
    // (which a host with an audio thread hands over to it).
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
    LentFloats buffer;          // audio pins: guard zone, one block of frames, guard zone
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

// The calls a command or the validator makes into the module each carry one tag: [main] for what
// a host does on its main thread (creation, set-up, open, close, the user's values before open),
// [audio] for what it does on the audio thread (process calls, and the pin events it delivers
// between and inside them). Here both run on the caller's thread.
class SignalHost : public ObjectHost, public PinTextStore {
public:
    // Plain buffers for rendering; guarded ones for the validator: the output is filled with a
    // marked NaN before every call, inside guard zones, and every call is checked.
    enum class Buffers { Plain, Guarded };
    static constexpr int kGuard = 64;

    SignalHost(ModuleLibrary& library, std::FILE* trace, Buffers buffers = Buffers::Plain);
    ~SignalHost() override;

    // [main] Makes the signal object; throws Error when the library makes none, unless the host
    // closed it from inside its creation.
    void create();
    // [main]
    void setSampleRate(float rate);
    // [main] Also makes the buffers of that many frames and binds the pins to them.
    void setBlockSize(int32_t frames);
    // [main] Asks the object for its pins, each input at its default.
    void queryPins();
    // [main] Opens the object and sends every input's status.
    void open();
    // [main]
    void close();

    // Pins by what they are: the host's own table, no call into the module.
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
    // The declared index of the module's text input, the first text input it declares; -1 when
    // there is none. Every command and check that means "the text" means this pin.
    int textPin() const;
    std::string pinNames() const;

    // [main] Input values as the host's user gives them before open: volts, a choice, a text, a
    // float32 stream; InputError when the value or the file does not suit the pin.
    void setPinFromUser(HostPin& pin, const std::string& value);
    void setPinInput(HostPin& pin, const std::string& path);
    // [audio] Input values set directly (signal units), each delivered as a pin change when
    // notify.
    void setAudio(int declaredIndex, float value, bool notify = true);
    void setChoice(int declaredIndex, int16_t choice, bool notify = true);
    void setText(int declaredIndex, const std::string& text, bool notify = true);
    // [audio] A pin change for a pin whose value stays as it is.
    void notify(int declaredIndex);
    // [audio] Any event, stamped with the current clock.
    void event(int32_t type, intptr_t target, int32_t value);

    // [audio] One process call at a place in the buffers. A call that does not end its block
    // leaves the clock at its end, so that events stamped there fall inside the block, and the
    // next call continues the same block.
    CallReport process(int32_t first, int32_t count, bool endsBlock = true);
    // [audio] Renders frames of the first audio output, one process call per block, inputs from
    // their constants and streams.
    void render(int64_t frames, std::vector<float>& out);
    const float* output() const;  // the output frames of the last call

    bool sleeping() const { return sleeping_; }
    ModuleRecord* record() { return record_; }
    // The module's current process entry, for callers that time the module alone.
    ProcessEntry processEntry() const { return process_; }
    // The first HOST_SET_PIN_STATUS that named no output of the object, an unknown status or
    // another clock than the current one; "" while there was none.
    const std::string& pinStatusProblem() const { return pinStatusProblem_; }
    // How many of the buffers the host lent the object it touched after the host closed it: a
    // close takes them back, as a real host may free them.
    int buffersTouchedAfterClose() const { return touchedAfterClose_; }

    void changePinText(int32_t declaredIndex, const std::string& text) override;
    const char* pinText(int32_t declaredIndex) const override;

private:
    HostWord answer(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) override;
    void closeFromInside(void* record, int32_t opcode) override;
    void forgetObject();
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    float* frames(HostPin& p) { return p.buffer.data() + kGuard; }
    const float* frames(const HostPin& p) const { return p.buffer.data() + kGuard; }
    void allocateBuffers();
    void bindPins();
    void sendPinStatus(int32_t signalIndex, int32_t status);
    void fillInputs(int64_t frame, int32_t count);
    void checkPinStatus(HostWord index, int32_t value, void* ptr);
    void judgeInputs(const std::vector<std::vector<float>>& before, CallReport& r) const;
    void judgeOutput(const HostPin& out, int32_t first, int32_t count, CallReport& r) const;
    HostWord allocateShared(HostWord index, int32_t value, void* ptr, float opt);

    Buffers bufferPolicy_;
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
    int touchedAfterClose_ = 0;
};

}  // namespace tarnhost
