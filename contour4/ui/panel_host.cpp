// The panel's host in a plug-in window on Cairo: painting through the stand-in, the drawn menu.
#include "panel_host.h"

namespace tarn {

PanelHost::PanelHost(Listener& listener) : listener_(listener), link_(*this) {}

void PanelHost::paint(cairo_t* cr) {
    constexpr COLORREF kBackground = PanelLink::kBackground;
    cairo_save(cr);
    cairo_set_source_rgb(cr, (kBackground & 0xFF) / 255.0, ((kBackground >> 8) & 0xFF) / 255.0,
                         ((kBackground >> 16) & 0xFF) / 255.0);
    cairo_paint(cr);
    cairo_restore(cr);
    if (link_.isOpen()) {
        CairoDc dc(cr);
        link_.paint(&dc);
    }
    if (menu_.isOpen()) menu_.paint(cr);
}

void PanelHost::press(int x, int y) {
    if (menu_.isOpen()) return afterMenu(menu_.press(x, y));
    link_.press(x, y);
    if (menu_.isOpen()) listener_.repaintAsked();
}

void PanelHost::move(int x, int y) {
    if (!menu_.isOpen()) {
        link_.move(x, y);
        return;
    }
    menu_.move(x, y);
    listener_.repaintAsked();
}

void PanelHost::release(int x, int y) {
    if (menu_.isOpen()) return afterMenu(menu_.release(x, y));
    link_.release(x, y);
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
    menu_.open(menu, x, y, link_.width(), link_.height());
    return 0;
}

void PanelHost::afterMenu(const DrawnMenu::Result& result) {
    if (result.outcome == DrawnMenu::Outcome::CHOSEN) {
        pendingCommand_ = result.command;
        link_.press(menuPressX_, menuPressY_);
        pendingCommand_ = 0;
    }
    listener_.repaintAsked();
}

}  // namespace tarn
