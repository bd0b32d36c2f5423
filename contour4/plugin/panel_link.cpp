// The panel object in a plug-in window: its creation and the host calls it answers.
#include "panel_link.h"

#include <cstring>

#include "contour4/editor/contour4_gui.h"
#include "contour4/plugin/programs.h"
#include "frame/entry_points.h"

namespace tarn {

namespace {

// The link whose panel is in a call right now: the panel calls its host only from inside a call
// of the host's, on the same thread, and the host's 32-bit data word cannot hold an address.
thread_local PanelLink* tCalling = nullptr;

class Calling {
public:
    explicit Calling(PanelLink* link) : previous_(tCalling) { tCalling = link; }
    ~Calling() { tCalling = previous_; }
    Calling(const Calling&) = delete;
    Calling& operator=(const Calling&) = delete;

private:
    PanelLink* previous_;
};

const char kNoText[] = "";

}  // namespace

PanelLink::PanelLink(Window& window, NestedFpEntries* hostCalls)
    : window_(window), hostCalls_(hostCalls), view_{Contour4Gui::kPanelWidth, Contour4Gui::kPanelHeight, kPanelHandle} {}

PanelLink::~PanelLink() {
    if (record_ != nullptr) dispatch(GUI_CLOSE);
}

void PanelLink::open() {
    Calling calling(this);
    const auto make = [&] {
        ModuleFpScope fp;
        return static_cast<GuiRecord*>(makeObject<Contour4Gui>(&PanelLink::callback, 0, fp.host()));
    };
    record_ = hostCalls_ != nullptr ? hostCalls_->inHostEnv(make) : make();
    if (record_ != nullptr) dispatch(GUI_OPEN, 1);
}

void PanelLink::showShape(const std::string& text) {
    if (record_ == nullptr) {
        pinText_ = text;
        open();
        window_.repaintAsked();
        return;
    }
    if (text == pinText_) return;  // not a change: the panel keeps its nodes' full precision
    pinText_ = text;
    dispatch(GUI_PIN_CHANGED, Contour4Gui::kShapePin);
}

void PanelLink::showProgram(uint32_t index) { showShape(programShapeText(pinText_, index)); }

void PanelLink::showState(const char* key, const char* value) {
    if (key != nullptr && std::strcmp(key, kShapeStateKey) == 0) showShape(value != nullptr ? value : "");
}

void PanelLink::paint(void* deviceContext) {
    dispatch(GUI_PAINT, reinterpret_cast<HostWord>(deviceContext), 0, &view_);
}

void PanelLink::press(int x, int y) { dispatch(GUI_MOUSE_DOWN, x, y, &view_); }
void PanelLink::move(int x, int y) { dispatch(GUI_MOUSE_MOVE, x, y, &view_); }
void PanelLink::release(int x, int y) { dispatch(GUI_MOUSE_UP, x, y, &view_); }

HostWord PanelLink::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr) {
    if (record_ == nullptr) return 0;
    Calling calling(this);
    GuiRecord* record = record_;
    if (opcode == GUI_CLOSE) record_ = nullptr;
    const auto call = [&] { return record->dispatcher(record, opcode, index, value, ptr, 0.0f); };
    return hostCalls_ != nullptr ? hostCalls_->inHostEnv(call) : call();
}

HostWord TARN_CDECL PanelLink::callback(void*, int32_t opcode, HostWord index, int32_t value, void* ptr,
                                        float) {
    return tCalling != nullptr ? tCalling->answer(opcode, index, value, ptr) : 0;
}

HostWord PanelLink::answer(int32_t opcode, HostWord index, int32_t value, void* ptr) {
    switch (opcode) {
    case GUI_HOST_REDRAW: window_.repaintAsked(); return 0;
    case GUI_HOST_SET_SIZE:
        if (index > 0 && value > 0) view_ = ViewRecord{static_cast<int32_t>(index), value, kPanelHandle};
        return 0;
    case GUI_HOST_GET_PIN_TEXT:
        return reinterpret_cast<HostWord>(index == Contour4Gui::kShapePin ? pinText_.c_str() : kNoText);
    case GUI_HOST_SET_PIN_TEXT:
        if (index != Contour4Gui::kShapePin || ptr == nullptr) return 0;
        pinText_ = static_cast<const char*>(ptr);
        window_.shapeWritten(pinText_);
        // Reported back from inside the write, as the modular host does.
        dispatch(GUI_PIN_CHANGED, index);
        return 0;
    case GUI_HOST_CAPTURE_MOUSE:
    case GUI_HOST_RELEASE_MOUSE:
        captured_ = opcode == GUI_HOST_CAPTURE_MOUSE;
        window_.captureChanged(captured_);
        return 0;
    case GUI_HOST_HAS_CAPTURE: return captured_ ? 1 : 0;
    case GUI_HOST_GET_PARENT: return index == kPanelHandle ? kWindowHandle : 0;
    case GUI_HOST_GET_WINDOW: return index == kWindowHandle ? window_.nativeWindow() : 0;
    case GUI_HOST_TO_SCREEN:
        if (ptr != nullptr) window_.toScreen(static_cast<int32_t*>(ptr));
        return 0;
    default: static_cast<void>(value); return 0;
    }
}

}  // namespace tarn
