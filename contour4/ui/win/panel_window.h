// Tarn Contour4's panel in a plug-in host on Windows: a child window of the host's window, which
// the panel's own GDI calls paint (over the modular host's background, through a bitmap so that
// a drag does not flicker), whose mouse goes to the panel, and which owns the panel's popup menu,
// the real one (TrackPopupMenu).
//
// [main] Everything here runs on the thread that made the window: the host's UI thread. Each
// entry (a window message, and what the plug-in's window calls through entries()) computes in the
// modules' floating-point environment; the panel is called in the host's, as the modular host
// calls it, so that the popup menu's message loop, which runs the host's windows and timers, runs
// there too.
#pragma once

#include <windows.h>

#include <string>

#include "contour4/plugin/panel_link.h"

namespace tarn {

class PanelWindow : private PanelLink::Window {
public:
    class Listener {
    public:
        // The panel wrote the "shape" pin: the plug-in's state is this text now.
        virtual void shapeWritten(const std::string& text) = 0;

    protected:
        ~Listener() = default;
    };

    // A visible child of `parent` at the panel's size, at the parent's origin; handle() is null
    // when Windows made none.
    PanelWindow(HWND parent, Listener& listener);
    ~PanelWindow();
    PanelWindow(const PanelWindow&) = delete;
    PanelWindow& operator=(const PanelWindow&) = delete;

    HWND handle() const { return hwnd_; }
    // What the host shows the panel: its shape, a state, a program.
    PanelLink& panel() { return link_; }
    // The calls from the host into the window, and its calls to the host.
    NestedFpEntries& entries() { return entries_; }

private:
    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp);
    LRESULT handle(UINT message, WPARAM wp, LPARAM lp);
    void paint();

    void shapeWritten(const std::string& text) override { listener_.shapeWritten(text); }
    void repaintAsked() override;
    HostWord nativeWindow() override { return reinterpret_cast<HostWord>(hwnd_); }
    void toScreen(int32_t xy[2]) override;
    void captureChanged(bool captured) override;

    Listener& listener_;
    NestedFpEntries entries_;
    PanelLink link_;
    HWND hwnd_ = nullptr;
    int lastX_ = 0;
    int lastY_ = 0;
    bool* pressGone_ = nullptr;  // inside a press (where a popup menu may be open): set when the window goes
};

}  // namespace tarn
