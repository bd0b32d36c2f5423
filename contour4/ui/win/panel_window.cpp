// The panel's child window: its class, painting, the mouse and the capture.
#include "panel_window.h"

#include <windowsx.h>

namespace tarn {

namespace {

const char kClassName[] = "TarnContour4Panel";

// [main] Windows of this library alive. The class lives exactly as long as one does: a class
// left registered after the library is unloaded would point at code that is gone, and the next
// load could not register its own.
int gWindows = 0;

// This library (the plug-in's, not the host's program), which owns the class: the CLAP and the
// VST3 plug-in may both be loaded in one DAW, each with its own.
HINSTANCE ownLibrary() {
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&gWindows), &module);
    return module;
}

}  // namespace

PanelWindow::PanelWindow(HWND parent, Listener& listener) : listener_(listener), link_(*this) {
    const HINSTANCE library = ownLibrary();
    if (gWindows++ == 0) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &PanelWindow::windowProc;
        wc.hInstance = library;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        RegisterClassA(&wc);
    }
    hwnd_ = CreateWindowExA(0, kClassName, "", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, link_.width(),
                            link_.height(), parent, nullptr, library, this);
}

PanelWindow::~PanelWindow() {
    if (hwnd_ != nullptr) {
        // Closed from inside a press (the host's timer ran in the popup menu's loop): the menu
        // ends with the window, which Windows does not do for a menu whose owner goes.
        if (pressGone_ != nullptr) {
            *pressGone_ = true;
            EndMenu();
        }
        // Whatever the window hears while it goes (a lost capture) no longer reaches the panel.
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
    if (--gWindows == 0) UnregisterClassA(kClassName, ownLibrary());
}

LRESULT CALLBACK PanelWindow::windowProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<PanelWindow*>(reinterpret_cast<CREATESTRUCTA*>(lp)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<PanelWindow*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcA(hwnd, message, wp, lp);
    // Windows calls in here: nothing thrown may pass (a text the host could not take is lost, as
    // a dropped drag would be).
    try {
        return self->handle(message, wp, lp);
    } catch (...) {
        return 0;
    }
}

LRESULT PanelWindow::handle(UINT message, WPARAM wp, LPARAM lp) {
    const int x = GET_X_LPARAM(lp);
    const int y = GET_Y_LPARAM(lp);
    switch (message) {
    case WM_PAINT: paint(); return 0;
    case WM_ERASEBKGND: return 1;  // the paint covers every pixel
    // Any button, as the modular host delivers it: the panel tells none apart.
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN: {
        lastX_ = x;
        lastY_ = y;
        // The window may be gone when the press returns (closed while its popup menu was open):
        // then nothing of it is touched after.
        bool gone = false;
        bool* const outer = pressGone_;
        pressGone_ = &gone;
        link_.press(x, y);
        if (!gone) pressGone_ = outer;
        return 0;
    }
    case WM_MOUSEMOVE:
        lastX_ = x;
        lastY_ = y;
        link_.move(x, y);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP: link_.release(x, y); return 0;
    case WM_CAPTURECHANGED:
        // Another window took the mouse during a drag (a DAW's dialog, a task switch): the button
        // goes up where this window cannot hear it, so the drag ends here, as at a release.
        if (link_.captured() && reinterpret_cast<HWND>(lp) != hwnd_) link_.release(lastX_, lastY_);
        return 0;
    default: return DefWindowProcA(hwnd_, message, wp, lp);
    }
}

void PanelWindow::paint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd_, &ps);
    const int w = link_.width();
    const int h = link_.height();
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, w, h);
    if (memory != nullptr && bitmap != nullptr) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        HBRUSH background = CreateSolidBrush(PanelLink::kBackground);
        const RECT all{0, 0, w, h};
        FillRect(memory, &all, background);
        DeleteObject(background);
        link_.paint(memory);
        BitBlt(dc, 0, 0, w, h, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    EndPaint(hwnd_, &ps);
}

void PanelWindow::repaintAsked() {
    if (hwnd_ != nullptr) InvalidateRect(hwnd_, nullptr, FALSE);
}

void PanelWindow::toScreen(int32_t xy[2]) {
    POINT p{xy[0], xy[1]};
    ClientToScreen(hwnd_, &p);
    xy[0] = p.x;
    xy[1] = p.y;
}

void PanelWindow::captureChanged(bool captured) {
    if (hwnd_ == nullptr) return;
    if (captured) SetCapture(hwnd_);
    else if (GetCapture() == hwnd_) ReleaseCapture();
}

}  // namespace tarn
