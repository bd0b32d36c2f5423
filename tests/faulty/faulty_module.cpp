// A small module with one deliberate fault, chosen at compile time (TARN_FAULT_<NAME>, see
// faults.txt): the validator must catch each. Without a fault it is a well-behaved module: a
// text pin, an input scaled by one half to the output, and a panel that draws a cross and opens
// a one-item popup menu from a strip along its top edge.
#include <windows.h>
#include <xmmintrin.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "frame/entry_points.h"
#include "frame/gui_base.h"
#include "frame/module_base.h"

namespace {

// Called through a volatile pointer, so that the compiler keeps every call to the import.
void* (*volatile allocate)(size_t) = std::malloc;
void (*volatile release)(void*) = std::free;

// A process entry of its own, outside the frame's rule: it runs in whatever floating-point
// environment the host has.
struct RawInOut {
    float* input;
    float* output;
};
[[maybe_unused]] void TARN_CDECL rawProcess(void* object, int32_t first, int32_t count);
#if defined(TARN_FAULT_LOSES_OBJECT_CLOSED_INSIDE) || defined(TARN_FAULT_EXCEPTION_UNSAFE_DEPTH)
#define TARN_OWN_DISPATCHER
// A dispatcher entry of its own instead of the frame's, with a fault in the rule of a call.
HostWord TARN_CDECL ownDispatcher(ModuleRecord* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                                  float opt) noexcept;
#endif

class FaultyModule : public tarn::ModuleBase {
public:
    FaultyModule(HostCallback callback, int32_t hostData) noexcept
        : ModuleBase(callback, hostData, 0x7E57FA17), text(nullptr), input(nullptr), output(nullptr),
          rawHost(callback) {
        // Made with the object, not at open: a module may be closed without ever being opened.
        InitializeCriticalSection(&lock);
#if defined(TARN_OWN_DISPATCHER)
        record().dispatcher = &ownDispatcher;
#endif
#if defined(TARN_FAULT_LEAK_PER_OBJECT)
        void* kept = allocate(64 * 1024);
        if (kept != nullptr) std::memset(kept, 1, 64 * 1024);
#endif
    }

    ~FaultyModule() override { DeleteCriticalSection(&lock); }

    void open() override {
        if (ballast == nullptr) ballast = allocate(64 * 1024);
        if (ballast != nullptr) std::memset(ballast, 1, 64 * 1024);
        scratch.reset(new float[kScratchFloats]);  // throws when memory runs out
        opening = true;
        ModuleBase::open();
        opening = false;
#if defined(TARN_FAULT_TRAPS_ON_NAN) || defined(TARN_FAULT_ROUNDS_AS_HOST) || defined(TARN_FAULT_LEAVES_ENV_CHANGED) || \
    defined(TARN_FAULT_CLEARS_HOST_FLAGS)
        setProcessFunction(ProcessFunction{&rawProcess, 0, 0, 0});
#else
        setProcessFunction(processFunctionOf<FaultyModule, &FaultyModule::process>());
#endif
#if defined(TARN_FAULT_STATUS_ON_INPUT)
        if (tarn::Pin* in = findPin(1)) in->setOutputStatus(sampleClock(), ST_RUN);
#else
        if (tarn::Pin* out = findPin(2)) out->setOutputStatus(sampleClock(), ST_RUN);
#endif
#if defined(TARN_FAULT_CALLS_HOST_AFTER_CLOSE)
        rawHost(&record(), HOST_GET_SAMPLE_CLOCK, 0, 0, nullptr, 0.0f);  // closed or not
#endif
    }

    HostWord dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) override {
        if (opcode == MOD_CLOSE) closedWhileOpening = opening;
        return ModuleBase::dispatch(opcode, index, value, ptr, opt);
    }
    void close() override {
#if defined(TARN_FAULT_LEAKS_WHEN_CLOSED_INSIDE)
        if (closedWhileOpening) return;  // its buffer is lost
#endif
        release(ballast);
        scratch.reset();
    }

    bool getPinProperties(int32_t index, PinProperties& p) override {
        p.flags = 0;
        switch (index) {
        case 0: p.variable = &text; p.direction = DIR_IN; p.datatype = DT_TEXT; p.name = "Text"; return true;
        case 1: p.variable = &input; p.direction = DIR_IN; p.datatype = DT_AUDIO; p.name = "Input"; p.defaultValue = "1"; return true;
        case 2: p.variable = &output; p.direction = DIR_OUT; p.datatype = DT_AUDIO; p.name = "Output"; return true;
        default: return false;
        }
    }

    void onPinStatusChanged(tarn::Pin& pin) override {
#if defined(TARN_FAULT_ALLOCATE_ON_TEXT)
        if (pin.index == 0 && text != nullptr) release(allocate(std::strlen(text) + 1));
#elif defined(TARN_FAULT_READ_REPLACED_TEXT)
        if (pin.index == 0 && cached == nullptr) cached = text;  // kept after the host replaces it
#endif
        if (pin.index == 1) inputNow = valueNow(pin);
    }

    // The input's value at the moment of a pin change.
    float valueNow(tarn::Pin& pin) {
#if defined(TARN_FAULT_READS_BUFFER_AFTER_CLOSE)
        // Read whether or not the host closed the object inside the clock calls.
        const int32_t frame = static_cast<int32_t>(sampleClock() - callHost(HOST_GET_BLOCK_START, pin.index));
        return input != nullptr && frame >= 0 && frame < getBlockSize() ? input[frame] : 0.0f;
#else
        return pin.valueNow();
#endif
    }

    void process(int32_t first, int32_t count) {
        if (input == nullptr || output == nullptr) return;
#if defined(TARN_FAULT_ALLOCATE_IN_PROCESS)
        release(allocate(256));
#endif
#if defined(TARN_FAULT_LOCK_IN_PROCESS)
        EnterCriticalSection(&lock);
        LeaveCriticalSection(&lock);
#endif
#if defined(TARN_FAULT_PRINT_IN_PROCESS)
        std::fputs("tick\n", stderr);
#endif
#if defined(TARN_FAULT_WRITE_NOTHING)
        return;
#endif
#if defined(TARN_FAULT_DIVIDE_BY_RATE)
        const float g = 22050.0f / getSampleRate();  // one half at 44.1 kHz
#else
        const float g = 0.5f;
#endif
        float offset = 0.0f;
#if defined(TARN_FAULT_READ_REPLACED_TEXT)
        for (int i = 0; cached != nullptr && i < 64 && cached[i] != '\0'; ++i) offset += 1e-4f * static_cast<unsigned char>(cached[i]);
#endif
        for (int32_t k = first; k < first + count; ++k) output[k] = input[k] * g + offset;
#if defined(TARN_FAULT_WRITE_PAST_END)
        output[first + count] = 0.25f;
#endif
#if defined(TARN_FAULT_WRITE_BEFORE_FIRST)
        if (first > 0) output[first - 1] = 0.25f;
#endif
#if defined(TARN_FAULT_WRITE_INPUT)
        input[first] += 1.0f;
#endif
#if defined(TARN_FAULT_NAN_OUTPUT)
        if (count > 0) output[first] = NAN;
#endif
#if defined(TARN_FAULT_SOUND_AFTER_SLEEP)
        callHost(HOST_SLEEP);
#endif
#if defined(TARN_FAULT_CALLS_HOST_IN_OWN_ENV)
        rawHost(&record(), HOST_GET_SAMPLE_CLOCK, 0, 0, nullptr, 0.0f);
#endif
    }

    RawInOut raw() const { return {input, output}; }

private:
    const char* text;
    float* input;
    float* output;
    const char* cached = nullptr;
    volatile float inputNow = 0.0f;
    CRITICAL_SECTION lock;
    HostCallback rawHost;
    bool opening = false;
    bool closedWhileOpening = false;
    void* ballast = nullptr;  // 64 KiB from open to close, so that a lost one shows in memory
    static constexpr int kScratchFloats = 64;
    std::unique_ptr<float[]> scratch;
};

void TARN_CDECL rawProcess(void* object, int32_t first, int32_t count) {
    const RawInOut io = static_cast<FaultyModule*>(static_cast<tarn::ModuleBase*>(object))->raw();
    if (io.input == nullptr || io.output == nullptr) return;
    [[maybe_unused]] const unsigned int hostMxcsr = _mm_getcsr();
#if defined(TARN_FAULT_LEAVES_ENV_CHANGED)
    _mm_setcsr(_mm_getcsr() | 0x8040);  // flush-to-zero and denormals-are-zero, left on
#endif
    for (int32_t k = first; k < first + count; ++k) {
        float x = io.input[k];
#if defined(TARN_FAULT_TRAPS_ON_NAN)
        if (x < -1.0f) x = -1.0f;  // an ordered compare: invalid for a NaN
#endif
#if defined(TARN_FAULT_ROUNDS_AS_HOST)
        x = x * 0.1f + 0.3f;  // rounded as the host's mode says
#endif
        io.output[k] = x * 0.5f;
    }
#if defined(TARN_FAULT_ROUNDS_AS_HOST)
    _mm_setcsr(hostMxcsr);  // tidy: only its samples tell
#elif defined(TARN_FAULT_CLEARS_HOST_FLAGS)
    _mm_setcsr(hostMxcsr & ~0x3Fu);  // the host's controls back, without the flags it had raised
#endif
}

#if defined(TARN_OWN_DISPATCHER)
HostWord TARN_CDECL ownDispatcher(ModuleRecord* record, int32_t opcode, HostWord index, int32_t value, void* ptr,
                                  float opt) noexcept {
    tarn::ModuleFpScope fp;
    tarn::ModuleBase* object = tarn::ModuleBase::fromRecord(record);
    tarn::EntryState& s = object->entryState();
    if (s.closing) return opcode == MOD_CLOSE ? 1 : 0;
    tarn::HostFpEnv* outer = s.hostEnv;
    s.hostEnv = &fp.host();
    ++s.depth;
    HostWord result = 0;
    try {
        result = object->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
#if defined(TARN_FAULT_EXCEPTION_UNSAFE_DEPTH)
        return 0;  // the depth stays counted: a later close waits for a call that never ends
#endif
    }
    s.hostEnv = outer;
#if defined(TARN_FAULT_LOSES_OBJECT_CLOSED_INSIDE)
    // A close that arrived inside one of the object's calls to the host closes it, but only a
    // close that is itself the outermost call frees it.
    if (--s.depth == 0 && s.closing) {
        if (opcode == MOD_CLOSE) object->finishClose();
        else object->close();
    }
#else
    if (--s.depth == 0 && s.closing) object->finishClose();
#endif
    return result;
}
#endif

class FaultyPanel : public tarn::GuiBase {
public:
    FaultyPanel(HostCallback callback, int32_t hostData) noexcept : GuiBase(callback, hostData), rawHost(callback) {}
    void onCreated() override { callHost(GUI_HOST_SET_SIZE, 120, 60); }
    void onMouseDown(const ViewRecord* view, uint32_t, tarn::GuiPoint point) override {
        if (view == nullptr) return;
        if (point.y >= 0 && point.y < 12 && showMenu(view, point)) {
#if defined(TARN_FAULT_KEEPS_CAPTURE_AFTER_MENU)
            captureMouse(view);
#endif
            return;  // the menu took the press and its release
        }
#if !defined(TARN_FAULT_RELEASE_WITHOUT_CAPTURE)
        captureMouse(view);
#endif
    }
    void onMouseUp(const ViewRecord* view, uint32_t, tarn::GuiPoint) override {
#if defined(TARN_FAULT_RELEASE_WITHOUT_CAPTURE)
        releaseMouse(view);
#elif !defined(TARN_FAULT_KEEP_CAPTURE)
        if (hasCapture(view)) releaseMouse(view);
#else
        (void)view;
#endif
#if defined(TARN_FAULT_PANEL_CALLS_HOST_AFTER_CLOSE)
        rawHost(&record(), GUI_HOST_REDRAW, 0, 0, nullptr, 0.0f);  // closed or not
#endif
    }
    void onMouseMove(const ViewRecord* view, uint32_t, tarn::GuiPoint point) override {
        if (view == nullptr || !hasCapture(view)) return;
        last = point;
        redraw();
    }

    void paint(void* deviceContext, const ViewRecord* view) override {
        if (view == nullptr) return;
        HDC dc = static_cast<HDC>(deviceContext);
        HPEN pen = CreatePen(PS_SOLID, 1, RGB(20, 20, 20));
        HBRUSH brush = CreateSolidBrush(RGB(200, 190, 150));
        HGDIOBJ oldPen = SelectObject(dc, pen);
        [[maybe_unused]] HGDIOBJ oldBrush = SelectObject(dc, brush);
        MoveToEx(dc, 0, view->height / 2, nullptr);
        LineTo(dc, view->width, view->height / 2);
        LineTo(dc, last.x, last.y);  // to where the last drag step was
#if defined(TARN_FAULT_DELETE_SELECTED_PEN)
        DeleteObject(pen);
#endif
        SelectObject(dc, oldPen);
#if !defined(TARN_FAULT_LEAVE_BRUSH_SELECTED)
        SelectObject(dc, oldBrush);
        DeleteObject(brush);
#endif
#if !defined(TARN_FAULT_LEAK_PEN) && !defined(TARN_FAULT_DELETE_SELECTED_PEN)
        DeleteObject(pen);
#endif
    }

private:
    // A one-item menu, as a real popup menu: modal, owned by the first ancestor's window.
    bool showMenu(const ViewRecord* view, tarn::GuiPoint point) {
        const HostWord owner = findOwnerWindow(view);
        if (owner == 0 || !toScreen(view, point)) return false;
        HMENU menu = CreatePopupMenu();
        AppendMenuA(menu, MF_STRING, 1, "Item");
        auto track = [&] {
            return TrackPopupMenu(menu, TPM_NONOTIFY | TPM_RETURNCMD, point.x, point.y, 0, reinterpret_cast<HWND>(owner),
                                  nullptr);
        };
#if defined(TARN_FAULT_MENU_IN_OWN_ENV)
        track();  // the host's windows and timers run in the module's environment meanwhile
#elif defined(TARN_FAULT_MENU_DROPS_HOST_CHANGES)
        // In the host's environment, but the host gets back what it had before the menu.
        tarn::HostFpEnv& host = *entryState().hostEnv;
        tarn::leaveModuleFpEnv(host);
        track();
        tarn::HostFpEnv discarded;
        tarn::enterModuleFpEnv(discarded);
#else
        entryState().inHostEnv(track);
#endif
        DestroyMenu(menu);
        return true;
    }

    HostCallback rawHost;
    tarn::GuiPoint last{0, 0};
};

}  // namespace

TARN_DLL_ENTRY_POINT

TARN_EXPORT int32_t TARN_CDECL getModuleProperties(int32_t index, ModuleProperties* props) {
    if (props == nullptr) return 0;
#if defined(TARN_FAULT_NO_VERSION)
    if (index != 0) return 0;
#endif
    props->sdkVersion = tarn::kInterfaceVersion;
    if (index != 0) return 0;
    props->name = "Tarn Faulty";
    props->id = "Tarn Faulty";
    props->about = "a module with one deliberate fault, for the validator's tests";
    return 1;
}

TARN_EXPORT void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback, int32_t hostData) {
    if (index != 0) return nullptr;
    tarn::ModuleFpScope fp;
    if (kind == KIND_SIGNAL) return tarn::makeObject<FaultyModule>(callback, hostData, fp.host());
    if (kind == KIND_GUI) return tarn::makeObject<FaultyPanel>(callback, hostData, fp.host());
#if defined(TARN_FAULT_UNKNOWN_KIND)
    if (kind == 3) return tarn::makeObject<FaultyModule>(callback, hostData, fp.host());
#endif
    return nullptr;
}
