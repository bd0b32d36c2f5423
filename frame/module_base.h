// ModuleBase and Pin: the signal side of the frame, behind a ModuleRecord.
//
// One source, two builds: TARN_FRAME_VERSION 2230 or 2120, one per interface version. They differ in the
// interface version, in whether GUI-only pins are skipped when the pin table is built, in the
// storage of datatype 8 pins, and in the notify8Index operation. Each build lives in its own
// inline namespace so that both can be linked into one test program.
#pragma once

#include <cstdint>

#include "host_interface.h"
#include "object_entry.h"

#ifndef TARN_FRAME_VERSION
#error "TARN_FRAME_VERSION must be 2230 or 2120"
#endif

#if TARN_FRAME_VERSION == 2230
#define TARN_FRAME_NAMESPACE frame2230
#elif TARN_FRAME_VERSION == 2120
#define TARN_FRAME_NAMESPACE frame2120
#else
#error "TARN_FRAME_VERSION must be 2230 or 2120"
#endif

namespace tarn {
inline namespace TARN_FRAME_NAMESPACE {

constexpr int32_t kInterfaceVersion = TARN_FRAME_VERSION;
constexpr bool kSkipsGuiOnlyPins = TARN_FRAME_VERSION == 2230;

class ModuleBase;

class Pin {
public:
    Pin() = default;
    virtual ~Pin() = default;

    void init(ModuleBase* owner, int32_t index, int32_t datatype, void* variable);

    // status = s, notify the owner; a one-off status falls back to still afterwards.
    void setStatus(int32_t s);
    void setOutputStatus(int32_t clock, int32_t s);
    // The sample at the current moment of a DT_AUDIO pin.
    float valueNow() const;

    void* variable = nullptr;
    ModuleBase* owner = nullptr;
    int32_t index = 0;
    int32_t status = 0;
    int32_t datatype = 0;
    // Own storage for unbound pins: a cleared word, or the buffer address of a DT_AUDIO pin
    // (32 bits in the library the host loads, pointer-sized in the native build).
    union Storage {
        uint32_t word;
        float* buffer;
    } storage{};
};

class ModuleBase {
public:
    ModuleBase(HostCallback callback, int32_t hostData, uint32_t magic) noexcept;
    virtual ~ModuleBase();
    ModuleBase(const ModuleBase&) = delete;
    ModuleBase& operator=(const ModuleBase&) = delete;

    // [audio] A pin's status changed (an event, inside or between process calls).
    virtual void onPinStatusChanged(Pin& pin);
    // [audio] Every event from the host's event entry.
    virtual void handleEvent(const ModuleEvent& event);
    // [main] Every dispatcher opcode.
    virtual HostWord dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt);
    virtual void open();                          // [main]
    virtual void close();                         // [main]
    virtual void setSampleRate(float rate);       // [main]
    virtual void setBlockSize(int32_t size);      // [main]
    virtual float getSampleRate() const;          // [main]
    virtual int32_t getBlockSize() const;         // [main]
    virtual bool getPinProperties(int32_t index, PinProperties& props);  // [main]
    virtual void notify8();                       // [main]
#if TARN_FRAME_VERSION == 2230
    virtual void notify8Index(int32_t index);     // [main]
#endif
    virtual void onDataEvent(int32_t timeStamp, int32_t value, int16_t value2);  // [audio]
    virtual void notify12(int32_t value, int32_t index, void* ptr);            // [main]
    // [main] Right after construction, inside makeModule: the place for an object's first host
    // calls.
    virtual void onCreated();

    // Calls the host in its own floating-point environment; 0 once the host closed the object.
    HostWord callHost(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // The index-th pin, or null when the table has no initialised pin there.
    Pin* findPin(int32_t index);
    Pin& getPin(int32_t index) { return *findPin(index); }
    int32_t pinCount() const { return pinCount_; }
    int32_t sampleClock();
    void setProcessFunction(const ProcessFunction& pf);
    const ProcessFunction& processFunction() const { return processFunction_; }

    ModuleRecord& record() { return record_; }
    static ModuleBase* fromRecord(ModuleRecord* r) { return static_cast<ModuleBase*>(r->object); }

    // The bookkeeping of the host's calls into this object (see object_entry.h).
    EntryState& entryState() { return entry_; }
    // The end of a close: close, then the object is destroyed and freed.
    void finishClose();

    // A ProcessFunction whose entry calls Module::*Member on the object.
    template <class Module, void (Module::*Member)(int32_t, int32_t)>
    static ProcessFunction processFunctionOf() {
        return ProcessFunction{&processTrampoline<Module, Member>, 0, 0, 0};
    }

private:
    // [audio] The record's process entry for Module::*Member.
    template <class Module, void (Module::*Member)(int32_t, int32_t)>
    static void TARN_CDECL processTrampoline(void* object, int32_t first, int32_t count) noexcept {
        // Process functions keep the x87 status word themselves (X87StatusKeeper).
        ModuleFpScope fp(X87Status::LeftToTheCode);
        ModuleBase* base = static_cast<ModuleBase*>(object);
        ObjectEntry<ModuleBase> entry(base, fp.host());
        if (entry.closing()) return;
        (static_cast<Module*>(base)->*Member)(first, count);
    }
    // [main] The record's dispatcher entry.
    static HostWord TARN_CDECL dispatcherEntry(ModuleRecord* record, int32_t opcode,
                                               HostWord index, int32_t value, void* ptr,
                                               float opt) noexcept;
    // [audio] The record's event entry.
    static void TARN_CDECL eventEntry(void* object, const ModuleEvent* event) noexcept;
    static void TARN_CDECL doNothing(void*, int32_t, int32_t) noexcept {}

    void buildPinTable();
    bool belongsToSignalSide(const PinProperties& props) const;
    void releasePins();

    HostCallback callback_;
    ModuleRecord record_;
    Pin* pins_ = nullptr;
    int32_t pinCount_ = 0;   // pins allocated (the host's count)
    int32_t validPins_ = 0;  // pins initialised by the walk; events beyond are ignored
    ProcessFunction processFunction_;
    EntryState entry_;
};

}  // namespace TARN_FRAME_NAMESPACE
}  // namespace tarn
