// A host for the validator: one signal object with guard zones around every buffer, any
// process call (first, count) the battery asks for, and a check of each call's writes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "module_library.h"
#include "signal_host.h"

namespace tarnhost {

// What one process call did, as the host saw it.
struct CallReport {
    bool called = false;          // false while the module sleeps
    int written = 0;              // frames of [first, first + count) that were written
    bool outside = false;         // a write outside [first, first + count)
    bool inputsChanged = false;   // an input buffer (or its guards) changed
    bool nonFinite = false;       // a written frame is NaN or infinite
    bool sleptAfterSound = false; // HOST_SLEEP came in a call that wrote a non-zero frame
    bool slept = false;           // HOST_SLEEP came in this call
    std::string describe(int first, int count) const;
};

class ProbeHost : public CallbackReceiver, public PinTextStore {
public:
    static constexpr int kGuard = 64;
    static constexpr uint32_t kMark = 0x7FC0DEAD;  // a NaN no arithmetic produces

    explicit ProbeHost(ModuleLibrary& library);
    ~ProbeHost() override;

    bool create();
    void setSampleRate(float rate);
    void setBlockSize(int32_t frames);
    void queryPins();
    void open();
    void close();

    int pinCount() const { return static_cast<int>(pins_.size()); }
    const PinProperties& pin(int i) const { return pins_[i].props; }
    const std::string& pinName(int i) const { return pins_[i].name; }
    int findPin(const std::string& name) const;
    int outputPin() const;

    // Input values, bound and delivered as the host does (an event for the pin).
    void setAudio(int pin, float value, bool notify = true);
    void setChoice(int pin, int16_t choice, bool notify = true);
    void setText(int pin, const std::string& text, bool notify = true);
    void event(int32_t type, intptr_t target, int32_t value);
    // A pin change event for a pin whose value stays as it is.
    void notify(int pin);
    // A process call at the given place in the buffers, with every check. A call that does not
    // end its block leaves the clock at its end, so that events stamped there fall inside the
    // block, and the next call continues the same block.
    CallReport process(int first, int count, bool endsBlock = true);
    // The output frames of the last call.
    const float* output() const;
    bool sleeping() const { return sleeping_; }
    // The first HOST_SET_PIN_STATUS that named no output of the object, an unknown status or
    // another clock than the current one; "" while there was none.
    const std::string& pinStatusProblem() const { return pinStatusProblem_; }
    ModuleRecord* record() { return record_; }

    HostWord onHostCall(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                        float opt) override;

    // Text pins, served to a GUI object of the same instance.
    const char* pinText(int32_t declaredIndex) const override;
    void changePinText(int32_t declaredIndex, const std::string& text) override;

private:
    struct Pin {
        PinProperties props{};
        std::string name;
        int signalIndex = -1;
        std::vector<float> buffer;  // guard, block, guard
        int16_t choice = 0;
        PinText text;
    };
    float* frames(Pin& p) { return p.buffer.data() + kGuard; }
    void allocate();
    void bind();

    ModuleLibrary& library_;
    int32_t hostData_ = 0;
    ModuleRecord* record_ = nullptr;
    ProcessEntry process_ = nullptr;
    std::vector<Pin> pins_;
    int signalPins_ = 0;
    int32_t blockSize_ = 1024;
    int32_t clock_ = 0;
    int32_t blockStart_ = 0;
    bool sleeping_ = false;
    bool sleptNow_ = false;
    bool opened_ = false;
    bool insideBlock_ = false;
    std::string pinStatusProblem_;
};

}  // namespace tarnhost
