// ModuleBase and Pin: record entries, the dispatcher, the pin table, events, process switching.
#include "module_base.h"

#include <algorithm>

#include <new>

namespace tarn {
inline namespace TARN_FRAME_NAMESPACE {

void Pin::init(ModuleBase* o, int32_t i, int32_t dt, void* var) {
    owner = o;
    index = i;
    datatype = dt;
    variable = var;
    status = ST_STILL;
    storage.buffer = nullptr;
    if (variable != nullptr) return;
    switch (dt) {
    case DT_ENUM:
    case DT_BOOL:
    case DT_WORD6:
        variable = &storage;
        break;
    case DT_WORD8:
        if (TARN_FRAME_VERSION == 2230) variable = &storage;
        break;
    case DT_AUDIO:
        storage.buffer = reinterpret_cast<float*>(o->callHost(HOST_GET_PIN_BUFFER, i));
        variable = &storage;
        break;
    default:
        break;
    }
}

void Pin::setStatus(int32_t s) {
    status = s;
    owner->onPinStatusChanged(*this);
    if (s == ST_ONE_OFF) status = ST_STILL;
}

void Pin::setOutputStatus(int32_t clock, int32_t s) {
    owner->callHost(HOST_SET_PIN_STATUS, index, s,
                    reinterpret_cast<void*>(static_cast<intptr_t>(clock)));
}

float Pin::valueNow() const {
    if (datatype != DT_AUDIO || variable == nullptr) return 0.0f;
    const float* buffer = *static_cast<float* const*>(variable);
    if (buffer == nullptr) return 0.0f;
    // A host may stamp an event with a clock outside the current block; the read stays inside
    // the buffer, at its nearest end.
    const int64_t frame = static_cast<int64_t>(owner->sampleClock()) -
                          static_cast<int64_t>(owner->callHost(HOST_GET_BLOCK_START, index));
    // The host may have closed the object inside either call, and may have freed the buffer.
    if (owner->entryState().closing) return 0.0f;
    const int64_t last = std::max<int64_t>(owner->getBlockSize() - 1, 0);
    return buffer[std::clamp<int64_t>(frame, 0, last)];
}

ModuleBase::ModuleBase(HostCallback callback, int32_t hostData, uint32_t magic) noexcept
    : callback_(callback), record_{}, processFunction_{&doNothing, 0, 0, 0} {
    record_.magic = magic;
    record_.version = 1;
    record_.hostData = hostData;
    record_.object = this;
    record_.dispatcher = &dispatcherEntry;
    record_.process = &doNothing;
    record_.event = &eventEntry;
    record_.sampleRate = 44100.0f;
    record_.blockSize = 1024;
}

ModuleBase::~ModuleBase() { releasePins(); }

void ModuleBase::releasePins() {
    delete[] pins_;
    pins_ = nullptr;
    pinCount_ = 0;
    validPins_ = 0;
}

void ModuleBase::onPinStatusChanged(Pin&) {}

void ModuleBase::handleEvent(const ModuleEvent& event) {
    switch (event.type) {
    case EV_PIN_STATUS: {
        // The host should only name pins of the table; anything else is dropped rather
        // than read from outside it.
        const intptr_t target = reinterpret_cast<intptr_t>(event.target);
        if (target < 0 || target >= validPins_) return;
        pins_[target].setStatus(event.value);
        break;
    }
    case EV_DATA:
        onDataEvent(event.timeStamp, event.value, event.value2);
        break;
    case EV_CALL:
        if (event.target != nullptr) {
            reinterpret_cast<void(TARN_CDECL*)(void*)>(event.target)(this);
        }
        break;
    default:
        break;
    }
}

HostWord ModuleBase::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr,
                              float opt) {
    switch (opcode) {
    case MOD_OPEN:
        open();
        return 0;
    case MOD_CLOSE:
        // Done when the outermost call from the host returns (this one, at the latest).
        entry_.closing = true;
        return 1;
    case MOD_SET_SAMPLE_RATE:
        setSampleRate(opt);
        return 0;
    case MOD_SET_BLOCK_SIZE:
        setBlockSize(value);
        return 0;
    case MOD_GET_PIN_PROPERTIES:
        if (ptr == nullptr) return 0;
        return getPinProperties(static_cast<int32_t>(index), *static_cast<PinProperties*>(ptr)) ? 1
                                                                                              : 0;
    case MOD_NOTIFY_8:
        notify8();
#if TARN_FRAME_VERSION == 2230
        if (index > 0) notify8Index(static_cast<int32_t>(index));
#endif
        return 0;
    case MOD_NOTIFY_12:
        notify12(value, static_cast<int32_t>(index), ptr);
        return 0;
#if TARN_FRAME_VERSION == 2230
    case MOD_GET_PROCESS_INFO: {
        // One record per library, as the host expects; it points into the object asked last.
        static ProcessInfo info;
        info = ProcessInfo{1, 16, &processFunction_, 0};
        return reinterpret_cast<HostWord>(&info);
    }
#endif
    default:
        return 0;
    }
}

void ModuleBase::open() { buildPinTable(); }
void ModuleBase::close() {}
void ModuleBase::setSampleRate(float rate) { record_.sampleRate = rate; }
void ModuleBase::setBlockSize(int32_t size) { record_.blockSize = size; }
float ModuleBase::getSampleRate() const { return record_.sampleRate; }
int32_t ModuleBase::getBlockSize() const { return record_.blockSize; }
bool ModuleBase::getPinProperties(int32_t, PinProperties&) { return false; }
void ModuleBase::notify8() {}
#if TARN_FRAME_VERSION == 2230
void ModuleBase::notify8Index(int32_t) {}
#endif
void ModuleBase::onDataEvent(int32_t, int32_t, int16_t) {}
void ModuleBase::notify12(int32_t, int32_t, void*) {}
void ModuleBase::onCreated() {}

void ModuleBase::finishClose() {
    close();
    delete this;
}

HostWord ModuleBase::callHost(int32_t opcode, HostWord index, int32_t value, void* ptr,
                              float opt) {
    if (callback_ == nullptr) return 0;
    return entry_.callHost([&] { return callback_(&record_, opcode, index, value, ptr, opt); });
}

Pin* ModuleBase::findPin(int32_t index) {
    if (index < 0 || index >= validPins_) return nullptr;
    return &pins_[index];
}

int32_t ModuleBase::sampleClock() { return static_cast<int32_t>(callHost(HOST_GET_SAMPLE_CLOCK)); }

void ModuleBase::setProcessFunction(const ProcessFunction& pf) {
    const ProcessFunction& cur = processFunction_;
    if (pf.code == cur.code &&
        (pf.code == nullptr ||
         (pf.word1 == cur.word1 && pf.word2 == cur.word2 && pf.word3 == cur.word3))) {
        return;
    }
    processFunction_ = pf;
    record_.process = pf.code;
    callHost(HOST_PROCESS_FUNCTION_CHANGED);
}

bool ModuleBase::belongsToSignalSide(const PinProperties& props) const {
    if (!kSkipsGuiOnlyPins) return true;
    return (props.flags & PF_GUI) == 0 || (props.flags & PF_DUAL) != 0;
}

void ModuleBase::buildPinTable() {
    releasePins();
    const int32_t count = static_cast<int32_t>(callHost(HOST_GET_PIN_COUNT));
    if (count <= 0) return;
    pins_ = new (std::nothrow) Pin[count];
    if (pins_ == nullptr) return;  // no pins: events and pin reads find nothing
    pinCount_ = count;

    int32_t i = 0;
    int32_t j = 0;
    for (;; ++i) {
        PinProperties props{};
        if (!getPinProperties(i, props) || j >= count) break;
        if (!belongsToSignalSide(props)) continue;
        pins_[j].init(this, j, props.datatype, props.variable);
        validPins_ = ++j;
    }

    PinProperties last{};
    if (getPinProperties(i - 1, last) && belongsToSignalSide(last) &&
        (last.flags & PF_AUTO_DUPLICATE) != 0) {
        for (; j < count; ++j) {
            pins_[j].init(this, j, last.datatype, nullptr);
            validPins_ = j + 1;
        }
    }
}

HostWord TARN_CDECL ModuleBase::dispatcherEntry(ModuleRecord* record, int32_t opcode,
                                                HostWord index, int32_t value, void* ptr,
                                                float opt) noexcept {
    if (record == nullptr || record->object == nullptr) return 0;
    ModuleFpScope fp;
    ModuleBase* object = fromRecord(record);
    ObjectEntry<ModuleBase> entry(object, fp.host());
    // Closed already: the record is the host's no more, whatever it asks.
    if (entry.closing()) return opcode == MOD_CLOSE ? 1 : 0;
    try {
        return object->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

void TARN_CDECL ModuleBase::eventEntry(void* object, const ModuleEvent* event) noexcept {
    if (object == nullptr || event == nullptr) return;
    ModuleFpScope fp;
    ModuleBase* base = static_cast<ModuleBase*>(object);
    ObjectEntry<ModuleBase> entry(base, fp.host());
    if (entry.closing()) return;
    try {
        base->handleEvent(*event);
    } catch (...) {
    }
}

}  // namespace TARN_FRAME_NAMESPACE
}  // namespace tarn
