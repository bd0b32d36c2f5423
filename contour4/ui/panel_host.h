// The host of Tarn Contour4's panel inside a plug-in's window on Cairo: the panel object through
// its link (panel_link.h), painted through the GDI stand-in, and the owner window of the popup
// menu, which it draws in the same window.
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

#include "contour4/plugin/panel_link.h"
#include "contour4/ui/cairo_gdi.h"
#include "contour4/ui/drawn_menu.h"

namespace tarn {

class PanelHost : private MenuOwner, private PanelLink::Window {
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

    explicit PanelHost(Listener& listener);
    PanelHost(const PanelHost&) = delete;
    PanelHost& operator=(const PanelHost&) = delete;

    // As PanelLink's.
    void showShape(const std::string& text) { link_.showShape(text); }
    bool isOpen() const { return link_.isOpen(); }
    const std::string& shapeText() const { return link_.shapeText(); }
    int width() const { return link_.width(); }
    int height() const { return link_.height(); }

    void paint(cairo_t* cr);
    void press(int x, int y);
    void move(int x, int y);
    void release(int x, int y);
    // True when the key went to the open menu.
    bool key(MenuKey key);
    bool menuOpen() const { return menu_.isOpen(); }
    const DrawnMenu& menu() const { return menu_; }

private:
    void shapeWritten(const std::string& text) override { listener_.shapeWritten(text); }
    void repaintAsked() override { listener_.repaintAsked(); }
    HostWord nativeWindow() override { return reinterpret_cast<HostWord>(static_cast<MenuOwner*>(this)); }
    void toScreen(int32_t*) override {}  // the menu is drawn in the panel's own pixels
    void captureChanged(bool) override {}
    int32_t trackMenu(const PopupMenu& menu, int x, int y) override;
    void afterMenu(const DrawnMenu::Result& result);

    Listener& listener_;
    PanelLink link_;
    DrawnMenu menu_;
    int menuPressX_ = 0;
    int menuPressY_ = 0;
    int32_t pendingCommand_ = 0;  // the answer to the menu of the replayed press
};

}  // namespace tarn
