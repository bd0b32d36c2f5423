// The panel's host in a plug-in window: creation, the host calls it answers, the drawn menu.
#include "panel_host.h"

#include "contour4/editor/contour4_gui.h"
#include "frame/entry_points.h"

namespace tarn {

namespace {

// The host whose panel is in a call right now: the panel calls its host only from inside a
// call of the host's, on the same thread.
thread_local PanelHost* tCalling = nullptr;

class Calling {
public:
    explicit Calling(PanelHost* host) : previous_(tCalling) { tCalling = host; }
    ~Calling() { tCalling = previous_; }
    Calling(const Calling&) = delete;
    Calling& operator=(const Calling&) = delete;

private:
    PanelHost* previous_;
};

const char kNoText[] = "";

}  // namespace

PanelHost::PanelHost(Listener& listener)
    : listener_(listener), view_{Contour4Gui::kPanelWidth, Contour4Gui::kPanelHeight, kPanelHandle} {}

PanelHost::~PanelHost() {
    if (record_ != nullptr) dispatch(GUI_CLOSE);
}

void PanelHost::open() {
    Calling calling(this);
    ModuleFpScope fp;
    record_ = static_cast<GuiRecord*>(makeObject<Contour4Gui>(&PanelHost::callback, 0, fp.host()));
    if (record_ != nullptr) dispatch(GUI_OPEN, 1);
}

void PanelHost::showShape(const std::string& text) {
    if (record_ == nullptr) {
        pinText_ = text;
        open();
        listener_.repaintAsked();
        return;
    }
    if (text == pinText_) return;  // not a change: the panel keeps its nodes' full precision
    pinText_ = text;
    dispatch(GUI_PIN_CHANGED, Contour4Gui::kShapePin);
}

HostWord PanelHost::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr) {
    if (record_ == nullptr) return 0;
    Calling calling(this);
    GuiRecord* record = record_;
    if (opcode == GUI_CLOSE) record_ = nullptr;
    return record->dispatcher(record, opcode, index, value, ptr, 0.0f);
}

HostWord TARN_CDECL PanelHost::callback(void*, int32_t opcode, HostWord index, int32_t value, void* ptr,
                                        float) {
    return tCalling != nullptr ? tCalling->answer(opcode, index, value, ptr) : 0;
}

HostWord PanelHost::answer(int32_t opcode, HostWord index, int32_t value, void* ptr) {
    switch (opcode) {
    case GUI_HOST_REDRAW: listener_.repaintAsked(); return 0;
    case GUI_HOST_SET_SIZE:
        if (index > 0 && value > 0) view_ = ViewRecord{static_cast<int32_t>(index), value, kPanelHandle};
        return 0;
    case GUI_HOST_GET_PIN_TEXT:
        return reinterpret_cast<HostWord>(index == Contour4Gui::kShapePin ? pinText_.c_str() : kNoText);
    case GUI_HOST_SET_PIN_TEXT:
        if (index != Contour4Gui::kShapePin || ptr == nullptr) return 0;
        pinText_ = static_cast<const char*>(ptr);
        listener_.shapeWritten(pinText_);
        // Reported back from inside the write, as the modular host does.
        dispatch(GUI_PIN_CHANGED, index);
        return 0;
    case GUI_HOST_CAPTURE_MOUSE: captured_ = true; return 0;
    case GUI_HOST_RELEASE_MOUSE: captured_ = false; return 0;
    case GUI_HOST_HAS_CAPTURE: return captured_ ? 1 : 0;
    case GUI_HOST_GET_PARENT: return index == kPanelHandle ? kWindowHandle : 0;
    case GUI_HOST_GET_WINDOW:
        return index == kWindowHandle ? reinterpret_cast<HostWord>(static_cast<MenuOwner*>(this)) : 0;
    case GUI_HOST_TO_SCREEN: return 0;  // the menu is drawn in the panel's own pixels
    default: static_cast<void>(value); return 0;
    }
}

void PanelHost::paint(cairo_t* cr) {
    cairo_save(cr);
    cairo_set_source_rgb(cr, (kBackground & 0xFF) / 255.0, ((kBackground >> 8) & 0xFF) / 255.0,
                         ((kBackground >> 16) & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_restore(cr);
    if (record_ != nullptr) {
        CairoDc dc(cr);
        dispatch(GUI_PAINT, reinterpret_cast<HostWord>(&dc), 0, &view_);
    }
    if (menu_.isOpen()) menu_.paint(cr);
}

void PanelHost::press(int x, int y) {
    if (menu_.isOpen()) return afterMenu(menu_.press(x, y));
    dispatch(GUI_MOUSE_DOWN, x, y, &view_);
    if (menu_.isOpen()) listener_.repaintAsked();
}

void PanelHost::move(int x, int y) {
    if (!menu_.isOpen()) {
        dispatch(GUI_MOUSE_MOVE, x, y, &view_);
        return;
    }
    menu_.move(x, y);
    listener_.repaintAsked();
}

void PanelHost::release(int x, int y) {
    if (menu_.isOpen()) return afterMenu(menu_.release(x, y));
    dispatch(GUI_MOUSE_UP, x, y, &view_);
}

bool PanelHost::key(MenuKey key) {
    if (!menu_.isOpen()) return false;
    afterMenu(menu_.key(key));
    return true;
}

int32_t PanelHost::trackMenu(const PopupMenu& menu, int x, int y) {
    if (pendingCommand_ != 0) return pendingCommand_;
    menuPressX_ = x;
    menuPressY_ = y;
    menu_.open(menu, x, y, view_.width, view_.height);
    return 0;
}

void PanelHost::afterMenu(const DrawnMenu::Result& result) {
    if (result.outcome == DrawnMenu::Outcome::CHOSEN) {
        pendingCommand_ = result.command;
        dispatch(GUI_MOUSE_DOWN, menuPressX_, menuPressY_, &view_);
        pendingCommand_ = 0;
    }
    listener_.repaintAsked();
}

}  // namespace tarn
