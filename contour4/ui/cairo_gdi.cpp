// The GDI and USER calls of the panel, drawn with Cairo and built into menu trees.
#include "cairo_gdi.h"

#include <atomic>
#include <cmath>
#include <new>

namespace tarn {

namespace {

std::atomic<int> gLiveObjects{0};

// The face the panel's "Terminal" stands for: a fixed-width face every Linux desktop has.
constexpr const char* kFontFace = "monospace";
constexpr int kStockFontHeight = 12;
constexpr int kOpaque = 2;

GdiObject* newObject(GdiObject::Kind kind, COLORREF color) {
    GdiObject* o = new (std::nothrow) GdiObject{kind, color, 1, kStockFontHeight, false};
    if (o != nullptr) ++gLiveObjects;
    return o;
}

GdiObject* asObject(HGDIOBJ h) { return static_cast<GdiObject*>(h); }
CairoDc* asDc(HDC dc) { return static_cast<CairoDc*>(dc); }

void setSource(cairo_t* cr, COLORREF c) {
    cairo_set_source_rgb(cr, (c & 0xFF) / 255.0, ((c >> 8) & 0xFF) / 255.0, ((c >> 16) & 0xFF) / 255.0);
}

// Fills the pixels a rasteriser hands over in one colour, as one Cairo path.
class PixelPath {
public:
    PixelPath(cairo_t* cr, COLORREF color) : cr_(cr), color_(color) {}
    void add(int x, int y) {
        cairo_rectangle(cr_, x, y, 1, 1);
        any_ = true;
    }
    void fill() {
        if (!any_) return;
        setSource(cr_, color_);
        cairo_fill(cr_);
        any_ = false;
    }

private:
    cairo_t* cr_;
    COLORREF color_;
    bool any_ = false;
};

}  // namespace

CairoDc::CairoDc(cairo_t* cr)
    : cr_(cr),
      stock_{{GdiObject::PEN, 0, 1, 0, true},
             {GdiObject::BRUSH, RGB(255, 255, 255), 0, 0, true},
             {GdiObject::FONT, 0, 0, kStockFontHeight, true}},
      selected_{&stock_[0], &stock_[1], &stock_[2]} {
    cairo_save(cr_);
    cairo_set_antialias(cr_, CAIRO_ANTIALIAS_NONE);
    cairo_new_path(cr_);
}

CairoDc::~CairoDc() { cairo_restore(cr_); }

GdiObject* CairoDc::select(GdiObject* object) {
    GdiObject* previous = selected_[object->kind];
    selected_[object->kind] = object;
    return previous;
}

int CairoDc::liveObjects() { return gLiveObjects.load(); }

}  // namespace tarn

using tarn::asDc;
using tarn::asObject;
using tarn::GdiObject;
using tarn::PopupMenu;

HPEN CreatePen(int, int width, COLORREF color) {
    GdiObject* pen = tarn::newObject(GdiObject::PEN, color);
    if (pen != nullptr) pen->penWidth = width < 1 ? 1 : width;
    return pen;
}

HBRUSH CreateSolidBrush(COLORREF color) { return tarn::newObject(GdiObject::BRUSH, color); }

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    GdiObject* f = tarn::newObject(GdiObject::FONT, 0);
    if (f != nullptr && font != nullptr && font->lfHeight != 0)
        f->fontHeight = font->lfHeight < 0 ? -font->lfHeight : font->lfHeight;
    return f;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    if (dc == nullptr || object == nullptr) return nullptr;
    return asDc(dc)->select(asObject(object));
}

BOOL DeleteObject(HGDIOBJ object) {
    GdiObject* o = asObject(object);
    if (o == nullptr || o->stock) return 0;
    delete o;
    --tarn::gLiveObjects;
    return 1;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT* previous) {
    tarn::CairoDc* d = asDc(dc);
    if (previous != nullptr) *previous = POINT{d->x, d->y};
    d->x = x;
    d->y = y;
    return 1;
}

BOOL LineTo(HDC dc, int x, int y) {
    tarn::CairoDc* d = asDc(dc);
    const GdiObject* pen = d->selected(GdiObject::PEN);
    tarn::PixelPath path(d->cairo(), pen->color);
    const int half = pen->penWidth / 2;
    tarn::forEachLinePixel(d->x, d->y, x, y, [&](int px, int py) {
        if (pen->penWidth <= 1) {
            path.add(px, py);
        } else {
            cairo_rectangle(d->cairo(), px - half, py - half, pen->penWidth, pen->penWidth);
        }
    });
    path.fill();
    if (pen->penWidth > 1) {
        tarn::setSource(d->cairo(), pen->color);
        cairo_fill(d->cairo());
    }
    d->x = x;
    d->y = y;
    return 1;
}

BOOL Ellipse(HDC dc, int left, int top, int right, int bottom) {
    tarn::CairoDc* d = asDc(dc);
    tarn::PixelPath fill(d->cairo(), d->selected(GdiObject::BRUSH)->color);
    tarn::forEachEllipsePixel(left, top, right, bottom, [&](int px, int py, bool edge) {
        if (!edge) fill.add(px, py);
    });
    fill.fill();
    tarn::PixelPath outline(d->cairo(), d->selected(GdiObject::PEN)->color);
    tarn::forEachEllipsePixel(left, top, right, bottom, [&](int px, int py, bool edge) {
        if (edge) outline.add(px, py);
    });
    outline.fill();
    return 1;
}

COLORREF SetTextColor(HDC dc, COLORREF color) {
    tarn::CairoDc* d = asDc(dc);
    const COLORREF previous = d->textColor;
    d->textColor = color;
    return previous;
}

int SetBkMode(HDC dc, int mode) {
    tarn::CairoDc* d = asDc(dc);
    const int previous = d->backgroundMode;
    d->backgroundMode = mode;
    return previous;
}

// Left, top, no update of the current position: the only alignment the panel uses.
UINT SetTextAlign(HDC, UINT) { return 0; }

BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
    tarn::CairoDc* d = asDc(dc);
    if (text == nullptr || length <= 0) return 1;
    cairo_t* cr = d->cairo();
    const std::string s(text, static_cast<size_t>(length));
    cairo_save(cr);
    cairo_select_font_face(cr, tarn::kFontFace, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, d->selected(GdiObject::FONT)->fontHeight);
    cairo_font_extents_t font;
    cairo_font_extents(cr, &font);
    if (d->backgroundMode == tarn::kOpaque) {
        cairo_text_extents_t extents;
        cairo_text_extents(cr, s.c_str(), &extents);
        cairo_set_source_rgb(cr, 1.0, 1.0, 1.0);
        cairo_rectangle(cr, x, y, std::ceil(extents.x_advance), std::ceil(font.height));
        cairo_fill(cr);
    }
    tarn::setSource(cr, d->textColor);
    cairo_move_to(cr, x, y + std::round(font.ascent));
    cairo_show_text(cr, s.c_str());
    cairo_restore(cr);
    return 1;
}

int FillRect(HDC dc, const RECT* rect, HBRUSH brush) {
    if (rect == nullptr || brush == nullptr) return 0;
    cairo_t* cr = asDc(dc)->cairo();
    if (rect->right <= rect->left || rect->bottom <= rect->top) return 1;
    cairo_rectangle(cr, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top);
    tarn::setSource(cr, asObject(brush)->color);
    cairo_fill(cr);
    return 1;
}

BOOL PtInRect(const RECT* r, POINT p) {
    return p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}

HMENU CreatePopupMenu() { return new (std::nothrow) PopupMenu(); }

// A submenu becomes part of the menu it is appended to, which frees it with itself.
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text) {
    if (menu == nullptr) return 0;
    PopupMenu::Item item{text != nullptr ? text : "", 0, (flags & MF_SEPARATOR) != 0, nullptr};
    if (flags & MF_POPUP) {
        item.submenu.reset(reinterpret_cast<PopupMenu*>(id));
    } else if (!item.separator) {
        item.command = static_cast<int32_t>(id);
    }
    static_cast<PopupMenu*>(menu)->items.push_back(std::move(item));
    return 1;
}

BOOL TrackPopupMenu(HMENU menu, UINT, int x, int y, int, HWND owner, const RECT*) {
    if (menu == nullptr || owner == nullptr) return 0;
    return reinterpret_cast<tarn::MenuOwner*>(owner)->trackMenu(*static_cast<PopupMenu*>(menu), x, y);
}

BOOL DestroyMenu(HMENU menu) {
    delete static_cast<PopupMenu*>(menu);
    return 1;
}
