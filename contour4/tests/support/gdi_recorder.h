// A recording stand-in for the GDI and USER calls of the editor, for the native build: it
// keeps every call, the objects' lives and what each device context has selected, and answers
// TrackPopupMenu with a scripted choice.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "contour4/editor/gdi_api.h"

namespace tarntest {

struct GdiCall {
    std::string name;
    std::vector<long long> args;
    std::string text;
};

struct GdiObject {
    enum Kind { PEN, BRUSH, FONT } kind;
    COLORREF color = 0;
    LOGFONTA font{};
    int deletes = 0;
};

struct MenuItemRecord {
    UINT flags;
    UINT_PTR id;
    std::string text;
};

struct GdiRecorder {
    std::vector<GdiCall> calls;
    std::map<HGDIOBJ, GdiObject> objects;
    std::map<HDC, std::map<int, HGDIOBJ>> selected;  // per device context, per kind
    std::map<HMENU, std::vector<MenuItemRecord>> menus;
    std::map<HMENU, bool> menuDestroyed;
    int trackCalls = 0;
    int trackAnswer = 0;  // what TrackPopupMenu returns: a command id, or 0 for dismissed
    std::function<void()> duringTrack;  // runs inside TrackPopupMenu, as the menu's message loop
    int errors = 0;       // selections of deleted objects, double deletes, deletes while selected
    uintptr_t next = 0x1000;

    void reset();
    std::vector<GdiCall> named(const std::string& name) const;
    int liveObjects() const;
    // True when every device context has its original objects selected again.
    bool selectionsRestored() const;
    static HGDIOBJ stockObject(int kind);
};

GdiRecorder& gdi();

}  // namespace tarntest
