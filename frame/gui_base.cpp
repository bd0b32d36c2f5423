// GuiBase: record entry, dispatcher table, host helpers, pin text exchange.
#include "gui_base.h"

#include <cstring>

namespace tarn {

std::string GuiPinRef::getText() const {
    const char* text = reinterpret_cast<const char*>(gui->callHost(GUI_HOST_GET_PIN_TEXT, index));
    return text != nullptr ? std::string(text) : std::string();
}

void GuiPinRef::setText(const std::string& text) const {
    gui->callHost(GUI_HOST_SET_PIN_TEXT, index, 0, const_cast<char*>(text.c_str()), 0.0f);
}

GuiBase::GuiBase(HostCallback callback, int32_t hostData) noexcept
    : callback_(callback), record_{} {
    record_.magic = kMagic;
    record_.version = 1;
    record_.dispatcher = &dispatcherEntry;
    record_.hostData = hostData;
    record_.object = this;
}

HostWord GuiBase::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    const ViewRecord* view = static_cast<const ViewRecord*>(ptr);
    uint32_t word;
    std::memcpy(&word, &opt, sizeof word);
    const GuiPoint point{static_cast<int32_t>(index), value};
    switch (opcode) {
    case GUI_OPEN:
        onOpen(index == 1);
        return 0;
    case GUI_CLOSE:
        // Done when the outermost call from the host returns (this one, at the latest): a popup
        // menu runs a message loop, a pin write calls the host, and either may bring the close.
        entry_.closing = true;
        return 1;
    case GUI_PAINT:
        paint(reinterpret_cast<void*>(index), view);
        return 0;
    case GUI_MOUSE_DOWN:
        onMouseDown(view, word, point);
        return 0;
    case GUI_MOUSE_UP:
        onMouseUp(view, word, point);
        return 0;
    case GUI_MOUSE_MOVE:
        onMouseMove(view, word, point);
        return 0;
    case GUI_NOTIFY_6:
        notify6(value, static_cast<int32_t>(index), ptr);
        return 0;
    case GUI_PIN_CHANGED:
        onPinValueChanged(GuiPinRef{static_cast<int32_t>(index), this});
        return 0;
    case 8:
        slot8(ptr);
        return 0;
    case 9:
        slot9(ptr);
        return 0;
    case 10:
        return slot10() ? 1 : 0;
    case 11:
        slot11(static_cast<int32_t>(index));
        return 0;
    case 12:
        slot12(static_cast<int32_t>(index));
        return 0;
    default:
        return 0;
    }
}

void GuiBase::onOpen(bool) {}
void GuiBase::onClose() {}
void GuiBase::paint(void*, const ViewRecord*) {}
void GuiBase::onMouseDown(const ViewRecord*, uint32_t, GuiPoint) {}
void GuiBase::onMouseUp(const ViewRecord*, uint32_t, GuiPoint) {}
void GuiBase::onMouseMove(const ViewRecord*, uint32_t, GuiPoint) {}
void GuiBase::slot8(void*) {}
void GuiBase::slot9(void*) {}
bool GuiBase::slot10() { return false; }
void GuiBase::slot11(int32_t) {}
void GuiBase::slot12(int32_t) {}
void GuiBase::notify6(int32_t, int32_t, void*) {}
void GuiBase::onPinValueChanged(GuiPinRef) {}
void GuiBase::onCreated() {}

void GuiBase::finishClose() {
    onClose();
    delete this;
}

HostWord GuiBase::callHost(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    if (callback_ == nullptr) return 0;
    return entry_.callHost([&] { return callback_(&record_, opcode, index, value, ptr, opt); });
}

void GuiBase::redraw() { callHost(GUI_HOST_REDRAW); }

GuiPinRef* GuiBase::getPin(int32_t index) {
    static GuiPinRef shared;
    shared = GuiPinRef{index, this};
    return &shared;
}

void GuiBase::captureMouse(const ViewRecord* view) {
    callHost(GUI_HOST_CAPTURE_MOUSE, 0, 0, const_cast<ViewRecord*>(view));
}

void GuiBase::releaseMouse(const ViewRecord* view) {
    callHost(GUI_HOST_RELEASE_MOUSE, 0, 0, const_cast<ViewRecord*>(view));
}

bool GuiBase::hasCapture(const ViewRecord* view) {
    return callHost(GUI_HOST_HAS_CAPTURE, 0, 0, const_cast<ViewRecord*>(view)) != 0;
}

HostWord GuiBase::findOwnerWindow(const ViewRecord* view) {
    HostWord h = view->handle;
    for (int step = 0; step < kMaxParentSteps; ++step) {
        h = callHost(GUI_HOST_GET_PARENT, h);
        if (h == 0) return 0;
        const HostWord window = callHost(GUI_HOST_GET_WINDOW, h);
        if (window != 0) return window;
    }
    return 0;
}

bool GuiBase::toScreen(const ViewRecord* view, GuiPoint& point) {
    callHost(GUI_HOST_TO_SCREEN, view->handle, 0, &point);
    return !entry_.closing;
}

HostWord TARN_CDECL GuiBase::dispatcherEntry(GuiRecord* record, int32_t opcode, HostWord index,
                                             int32_t value, void* ptr, float opt) noexcept {
    if (record == nullptr || record->object == nullptr) return 0;
    ModuleFpScope fp;
    GuiBase* gui = fromRecord(record);
    ObjectEntry<GuiBase> entry(gui, fp.host());
    // Closed already: the record is the host's no more, whatever it asks.
    if (entry.closing()) return opcode == GUI_CLOSE ? 1 : 0;
    try {
        return gui->dispatch(opcode, index, value, ptr, opt);
    } catch (...) {
        return 0;
    }
}

}  // namespace tarn
