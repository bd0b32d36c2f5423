// The recording GDI/USER stand-in.
#include "gdi_recorder.h"

#include <cstring>

namespace tarntest {

GdiRecorder& gdi() {
    static GdiRecorder recorder;
    return recorder;
}

void GdiRecorder::reset() { *this = GdiRecorder(); }

std::vector<GdiCall> GdiRecorder::named(const std::string& name) const {
    std::vector<GdiCall> out;
    for (const GdiCall& c : calls)
        if (c.name == name) out.push_back(c);
    return out;
}

int GdiRecorder::liveObjects() const {
    int live = 0;
    for (const auto& kv : objects) live += kv.second.deletes == 0;
    return live;
}

HGDIOBJ GdiRecorder::stockObject(int kind) { return reinterpret_cast<HGDIOBJ>(0x10 + kind); }

bool GdiRecorder::selectionsRestored() const {
    for (const auto& dc : selected)
        for (const auto& kv : dc.second)
            if (kv.second != stockObject(kv.first)) return false;
    return true;
}

namespace {

HGDIOBJ create(GdiObject::Kind kind, COLORREF color) {
    GdiRecorder& g = gdi();
    HGDIOBJ h = reinterpret_cast<HGDIOBJ>(g.next += 0x10);
    GdiObject o;
    o.kind = kind;
    o.color = color;
    g.objects[h] = o;
    return h;
}

void record(const char* name, std::vector<long long> args, const std::string& text = "") {
    gdi().calls.push_back(GdiCall{name, std::move(args), text});
}

long long id(const void* h) { return static_cast<long long>(reinterpret_cast<uintptr_t>(h)); }

}  // namespace

}  // namespace tarntest

using tarntest::gdi;
using tarntest::GdiObject;

HPEN CreatePen(int style, int width, COLORREF color) {
    HPEN h = tarntest::create(GdiObject::PEN, color);
    tarntest::record("CreatePen", {style, width, color, tarntest::id(h)});
    return h;
}

HBRUSH CreateSolidBrush(COLORREF color) {
    HBRUSH h = tarntest::create(GdiObject::BRUSH, color);
    tarntest::record("CreateSolidBrush", {color, tarntest::id(h)});
    return h;
}

HFONT CreateFontIndirectA(const LOGFONTA* font) {
    HFONT h = tarntest::create(GdiObject::FONT, 0);
    gdi().objects[h].font = *font;
    tarntest::record("CreateFontIndirectA", {font->lfHeight, tarntest::id(h)}, font->lfFaceName);
    return h;
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
    auto& g = gdi();
    int kind = -1;
    auto it = g.objects.find(object);
    if (it != g.objects.end()) {
        kind = it->second.kind;
        if (it->second.deletes != 0) ++g.errors;
    } else {
        for (int k = 0; k < 3; ++k)
            if (object == tarntest::GdiRecorder::stockObject(k)) kind = k;
    }
    tarntest::record("SelectObject", {tarntest::id(dc), tarntest::id(object)});
    if (kind < 0) {
        ++g.errors;
        return nullptr;
    }
    auto& slots = g.selected[dc];
    if (slots.find(kind) == slots.end()) slots[kind] = tarntest::GdiRecorder::stockObject(kind);
    HGDIOBJ previous = slots[kind];
    slots[kind] = object;
    return previous;
}

BOOL DeleteObject(HGDIOBJ object) {
    auto& g = gdi();
    tarntest::record("DeleteObject", {tarntest::id(object)});
    auto it = g.objects.find(object);
    if (it == g.objects.end()) {
        ++g.errors;
        return 0;
    }
    if (it->second.deletes++ != 0) ++g.errors;
    for (const auto& dc : g.selected)
        for (const auto& kv : dc.second)
            if (kv.second == object) ++g.errors;
    return 1;
}

BOOL MoveToEx(HDC dc, int x, int y, POINT*) {
    tarntest::record("MoveToEx", {tarntest::id(dc), x, y});
    return 1;
}
BOOL LineTo(HDC dc, int x, int y) {
    tarntest::record("LineTo", {tarntest::id(dc), x, y});
    return 1;
}
BOOL Ellipse(HDC dc, int l, int t, int r, int b) {
    tarntest::record("Ellipse", {tarntest::id(dc), l, t, r, b});
    return 1;
}
COLORREF SetTextColor(HDC dc, COLORREF color) {
    tarntest::record("SetTextColor", {tarntest::id(dc), color});
    return 0;
}
int SetBkMode(HDC dc, int mode) {
    tarntest::record("SetBkMode", {tarntest::id(dc), mode});
    return 0;
}
UINT SetTextAlign(HDC dc, UINT align) {
    tarntest::record("SetTextAlign", {tarntest::id(dc), align});
    return 0;
}
BOOL TextOutA(HDC dc, int x, int y, const char* text, int length) {
    tarntest::record("TextOutA", {tarntest::id(dc), x, y, length}, std::string(text, length));
    return 1;
}
int FillRect(HDC dc, const RECT* r, HBRUSH brush) {
    tarntest::record("FillRect", {tarntest::id(dc), r->left, r->top, r->right, r->bottom,
                                  static_cast<long long>(gdi().objects[brush].color)});
    return 1;
}
BOOL PtInRect(const RECT* r, POINT p) {
    return p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom;
}
HMENU CreatePopupMenu() {
    auto& g = gdi();
    HMENU h = reinterpret_cast<HMENU>(g.next += 0x10);
    g.menus[h];
    g.menuDestroyed[h] = false;
    return h;
}
BOOL AppendMenuA(HMENU menu, UINT flags, UINT_PTR id, const char* text) {
    gdi().menus[menu].push_back({flags, id, text != nullptr ? text : ""});
    return 1;
}
BOOL TrackPopupMenu(HMENU menu, UINT flags, int x, int y, int reserved, HWND owner, const RECT* r) {
    auto& g = gdi();
    ++g.trackCalls;
    tarntest::record("TrackPopupMenu", {tarntest::id(menu), flags, x, y, reserved, tarntest::id(owner),
                                        r == nullptr ? 0 : 1});
    if (g.duringTrack) g.duringTrack();
    return g.trackAnswer;
}
BOOL DestroyMenu(HMENU menu) {
    auto& g = gdi();
    g.menuDestroyed[menu] = true;
    for (const auto& item : g.menus[menu])
        if (item.flags & MF_POPUP) DestroyMenu(reinterpret_cast<HMENU>(item.id));
    return 1;
}
