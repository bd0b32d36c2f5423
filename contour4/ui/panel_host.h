// The host of Tarn Contour4's panel inside a plug-in's window. It creates the panel object and
// drives it through its GuiRecord, as the modular host does, and answers the panel's calls: the
// "shape" pin's text (the plug-in's state), mouse capture, redraws, and the owner window of the
// popup menu, which it draws in the same window.
//
// The menu does not block. The press that opens it reaches the panel as a press whose menu was
// dismissed; when the user picks a command, the host presses once more at the same point and
// answers that menu with the command at once. So the panel's own code runs the command, whole
// and unchanged, and nothing waits in a nested event loop.
//
// [main] Everything here runs on the thread of the plug-in's user interface.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "contour4/ui/cairo_gdi.h"
#include "contour4/ui/drawn_menu.h"
#include "frame/host_interface.h"

namespace tarn {

class PanelHost : private MenuOwner {
public:
    // What the panel asks of the plug-in's window.
    class Listener {
    public:
        // The panel wrote the "shape" pin: the plug-in's state is this text now.
        virtual void shapeWritten(const std::string& text) = 0;
        virtual void repaintAsked() = 0;

    protected:
        ~Listener() = default;
    };

    // The host's background under the panel, which paints no background of its own.
    static constexpr COLORREF kBackground = RGB(228, 226, 214);
    static constexpr int32_t kPanelHandle = 1;
    static constexpr int32_t kWindowHandle = 2;

    explicit PanelHost(Listener& listener);
    ~PanelHost();
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;

    // The plug-in's shape text, as it was when the window opened or as the host changed it. The
    // panel opens on the first: before that the state is not known, and an empty text would
    // have the panel write the default shape over it.
    void showShape(const std::string& text);
    bool isOpen() const { return record_ != nullptr; }
    const std::string& shapeText() const { return pinText_; }
    // The size the panel asked for.
    int width() const { return view_.width; }
    int height() const { return view_.height; }

    void paint(cairo_t* cr);
    void press(int x, int y);
    void move(int x, int y);
    void release(int x, int y);
    // True when the key went to the open menu.
    bool key(MenuKey key);
    bool menuOpen() const { return menu_.isOpen(); }
    const DrawnMenu& menu() const { return menu_; }

private:
    static HostWord TARN_CDECL callback(void* record, int32_t opcode, HostWord index, int32_t value,
                                        void* ptr, float opt);
    HostWord answer(int32_t opcode, HostWord index, int32_t value, void* ptr);
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr);
    void open();
    int32_t trackMenu(const PopupMenu& menu, int x, int y) override;
    void afterMenu(const DrawnMenu::Result& result);

    Listener& listener_;
    GuiRecord* record_ = nullptr;
    ViewRecord view_;
    std::string pinText_;
    bool captured_ = false;
    DrawnMenu menu_;
    int menuPressX_ = 0;
    int menuPressY_ = 0;
    int32_t pendingCommand_ = 0;  // the answer to the menu of the replayed press
};

}  // namespace tarn
