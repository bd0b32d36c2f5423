// The host's side of one signal object: its record, pins, buffers, clock and callback.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "frame/host_interface.h"
#include "module_library.h"

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

// Where a GUI object's pin texts live: the signal object of the same instance.
class PinTextStore {
public:
    virtual ~PinTextStore() = default;
    // The text of a declared pin; the empty text for any other index. Never null.
    virtual const char* pinText(int32_t declaredIndex) const = 0;
    // A new text for the declared pin, delivered to the signal object as a pin change.
    virtual void changePinText(int32_t declaredIndex, const std::string& text) = 0;
};
void unregisterReceiver(int32_t hostData);

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
    std::vector<float> buffer;  // audio pins: one block of frames
    float constant = 0.0f;      // audio input held at this value (signal units)
    std::vector<float> stream;  // audio input from a file, held at its last value
    int16_t choice = 0;         // enum pins
    PinText text;               // text pins
    int32_t outputStatus = 0;
};

class SignalHost : public CallbackReceiver, public PinTextStore {
public:
    SignalHost(ModuleLibrary& library, std::FILE* trace);
    ~SignalHost() override;

    bool create(std::string& error);
    void setSampleRate(float rate);
    void setBlockSize(int32_t frames);
    void queryPins();
    // Sets a pin from what the host's user types: volts, a choice, a text.
    bool setPinFromUser(HostPin& pin, const std::string& value, std::string& error);
    bool setPinInput(HostPin& pin, const std::string& path, std::string& error);
    void open();
    // Renders frames of the first audio output, one process call per block.
    void render(int64_t frames, std::vector<float>& out);
    void changePinText(int32_t declaredIndex, const std::string& text) override;
    const char* pinText(int32_t declaredIndex) const override;
    void close();

    HostPin* pinByName(const std::string& name);
    HostPin* signalPin(HostWord signalIndex);
    HostPin* outputPin();  // the first audio output of the signal side
    std::vector<HostPin>& pins() { return pins_; }
    ModuleRecord* record() { return record_; }
    std::string pinNames() const;

    HostWord onHostCall(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                        float opt) override;

private:
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                     float opt = 0.0f);
    void bindPins();
    void sendPinStatus(int32_t signalIndex, int32_t status);
    void fillInputs(int64_t frame, int32_t count);
    void traceLine(const std::string& line);

    ModuleLibrary& library_;
    std::FILE* trace_;
    int32_t hostData_ = 0;
    ModuleRecord* record_ = nullptr;
    ProcessEntry process_ = nullptr;
    std::vector<HostPin> pins_;
    int32_t signalPinCount_ = 0;
    float sampleRate_ = 44100.0f;
    int32_t blockSize_ = 1024;
    int32_t blockStart_ = 0;
    int32_t clock_ = 0;
    bool sleeping_ = false;
    bool opened_ = false;
    int32_t handle_ = 0;
};

}  // namespace tarnhost
