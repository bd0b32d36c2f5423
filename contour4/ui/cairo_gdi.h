// The panel's drawing and menu calls (the names of gdi_api.h) on Cairo: what a device context,
// a pen, a brush, a font and a popup menu are when the panel paints into a plug-in's window.
//
// Lines and ellipses are set pixel by pixel as GDI sets them (no antialiasing, a line leaves out
// its end pixel), so that the panel's geometry is the one the Windows panel shows. A popup menu
// is built as a tree; tracking it hands the tree to the MenuOwner that the panel's host named as
// the owner window.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "contour4/editor/gdi_api.h"

namespace tarn {

// One pen, brush or font; a handle of gdi_api.h points to one.
struct GdiObject {
    enum Kind { PEN, BRUSH, FONT };
    Kind kind;
    COLORREF color;
    int penWidth;
    int fontHeight;  // pixels of the character height (the magnitude of lfHeight)
    bool stock;      // owned by the device context, never deleted
};

// A device context on a Cairo context: what paint() is handed as its deviceContext.
class CairoDc {
public:
    explicit CairoDc(cairo_t* cr);
    ~CairoDc();
    CairoDc(const CairoDc&) = delete;
    CairoDc& operator=(const CairoDc&) = delete;

    cairo_t* cairo() const { return cr_; }
    GdiObject* selected(GdiObject::Kind kind) const { return selected_[kind]; }
    GdiObject* select(GdiObject* object);
    int x = 0;  // the current position of MoveToEx and LineTo
    int y = 0;
    COLORREF textColor = 0;
    int backgroundMode = 2;  // opaque, as a fresh device context has
    // Objects the panel created and has not deleted while this context lived.
    static int liveObjects();

private:
    cairo_t* cr_;
    GdiObject stock_[3];
    GdiObject* selected_[3];
};

// A popup menu as CreatePopupMenu and AppendMenuA build it.
struct PopupMenu {
    struct Item {
        std::string text;  // empty for a separator
        int32_t command;   // 0 for separators and submenu entries
        bool separator;
        std::unique_ptr<PopupMenu> submenu;
    };
    std::vector<Item> items;
};

// Whoever shows a tracked menu: the native window that owns it. Answers the chosen command,
// or 0 when there is none (yet).
class MenuOwner {
public:
    virtual int32_t trackMenu(const PopupMenu& menu, int x, int y) = 0;

protected:
    ~MenuOwner() = default;
};

// The pixels of a GDI line from (x0, y0) to (x1, y1), end pixel left out, one at a time. A step
// along the minor axis exactly halfway between two pixels goes one way or the other depending
// on the line's octant, as GDI's lines do: the octants counted from +x toward +y (screen down),
// 1 to 8, step early in 3, 5, 6 and 8.
template <class SetPixel>
void forEachLinePixel(int x0, int y0, int x1, int y1, SetPixel setPixel) {
    const int dx = x1 - x0;
    const int dy = y1 - y0;
    int octant;
    if (dy > 0) octant = dx > 0 ? (dx > dy ? 1 : 2) : (-dx > dy ? 4 : 3);
    else octant = dx < 0 ? (-dx > -dy ? 5 : 6) : (dx > -dy ? 8 : 7);
    const int bias = (octant == 3 || octant == 5 || octant == 6 || octant == 8) ? 1 : 0;
    const bool xMajor = (dx < 0 ? -dx : dx) >= (dy < 0 ? -dy : dy);
    const int major = xMajor ? (dx < 0 ? -dx : dx) : (dy < 0 ? -dy : dy);
    const int minor = xMajor ? (dy < 0 ? -dy : dy) : (dx < 0 ? -dx : dx);
    const int sx = dx < 0 ? -1 : 1;
    const int sy = dy < 0 ? -1 : 1;
    int err = 2 * minor - major;
    for (int i = 0; i < major; ++i) {
        setPixel(x0, y0);
        if (err + bias > 0) {
            if (xMajor) y0 += sy;
            else x0 += sx;
            err += 2 * minor - 2 * major;
        } else {
            err += 2 * minor;
        }
        if (xMajor) x0 += sx;
        else y0 += sy;
    }
}

// The pixels of a GDI ellipse in the box [left, right) x [top, bottom): `edge` true for the
// pixels the pen draws, false for those inside that the brush fills. GDI's ellipse runs a shade
// inside the box at the diagonals: radii a tenth of a pixel short of the half sizes give the
// Windows panel's handles pixel for pixel.
template <class SetPixel>
void forEachEllipsePixel(int left, int top, int right, int bottom, SetPixel setPixel) {
    constexpr double kInset = 0.1;
    const double cx = (left + right - 1) * 0.5;
    const double cy = (top + bottom - 1) * 0.5;
    const double rx = (right - left) * 0.5 - kInset;
    const double ry = (bottom - top) * 0.5 - kInset;
    if (rx <= 0.0 || ry <= 0.0) return;
    auto inside = [&](int px, int py) {
        const double u = (px - cx) / rx;
        const double v = (py - cy) / ry;
        return u * u + v * v <= 1.0;
    };
    for (int py = top; py < bottom; ++py) {
        for (int px = left; px < right; ++px) {
            if (!inside(px, py)) continue;
            const bool edge = !inside(px - 1, py) || !inside(px + 1, py) || !inside(px, py - 1) ||
                              !inside(px, py + 1);
            setPixel(px, py, edge);
        }
    }
}

}  // namespace tarn
