// tarn-host edit: a real window that hosts the panel for a person, with the shape text below.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/core/gui_host.h"
#include "host/io/error.h"
#include "host/commands/render_options.h"

namespace tarnhost {

namespace {

constexpr int kScale = 3;  // a panel's pixels are small on a screen
constexpr int kTextHeight = 60;
const char kEditClass[] = "TarnHostEditor";

struct EditState {
    GuiHost* gui = nullptr;
    SignalHost* signal = nullptr;
    HWND text = nullptr;
};
EditState editState;

void showShape() {
    SetWindowTextA(editState.text,
                   ("shape: " + std::string(editState.signal->pinText(editState.signal->textPin()))).c_str());
}

LRESULT CALLBACK editProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    GuiHost* gui = editState.gui;
    const int x = static_cast<short>(LOWORD(lp)) / kScale;
    const int y = static_cast<short>(HIWORD(lp)) / kScale;
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        if (gui != nullptr) {
            gui->paint();
            BITMAPINFO bi{};
            bi.bmiHeader.biSize = sizeof bi.bmiHeader;
            bi.bmiHeader.biWidth = gui->width();
            bi.bmiHeader.biHeight = -gui->height();
            bi.bmiHeader.biPlanes = 1;
            bi.bmiHeader.biBitCount = 32;
            StretchDIBits(dc, 0, 0, gui->width() * kScale, gui->height() * kScale, 0, 0,
                          gui->width(), gui->height(), gui->pixels().data(), &bi, DIB_RGB_COLORS,
                          SRCCOPY);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        SetCapture(hwnd);
        gui->press(x, y);
        break;
    case WM_MOUSEMOVE:
        gui->move(x, y);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        ReleaseCapture();
        gui->release();
        showShape();
        break;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(hwnd, msg, wp, lp);
    }
    if (gui->redrawAsked()) InvalidateRect(hwnd, nullptr, FALSE);
    return 0;
}

}  // namespace

int runEdit(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0)
        throw InputError("usage: tarn-host edit MODULE.dll [--shape TEXT]");
    RenderOptions o;
    for (size_t i = 1; i < args.size(); ++i)
        if (!takeRenderOption(args, i, o)) throw InputError("unknown option \"" + args[i] + "\"");
    ModuleLibrary lib;
    lib.load(args[0]);
    SignalHost signal(lib, nullptr);
    prepareSignal(signal, o);
    signal.open();
    GuiHost gui(lib, signal, nullptr);
    gui.create();

    WNDCLASSA wc{};
    wc.lpfnWndProc = &editProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kEditClass;
    RegisterClassA(&wc);
    const int w = std::max(gui.requestedWidth(), 1) * kScale, h = std::max(gui.requestedHeight(), 1) * kScale;
    RECT r{0, 0, w, h + kTextHeight};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    ModuleProperties props{};
    const std::string title = lib.getModuleProperties(0, &props) == 1 && props.name != nullptr ? props.name : args[0];
    HWND hwnd = CreateWindowA(kEditClass, title.c_str(), WS_OVERLAPPEDWINDOW, 60, 60,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance,
                              nullptr);
    if (hwnd == nullptr) throw Error("cannot create the editor's window");
    editState.gui = &gui;
    editState.signal = &signal;
    editState.text = CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 4, h + 4, w - 8,
                                   kTextHeight - 8, hwnd, nullptr, wc.hInstance, nullptr);
    gui.adoptWindow(hwnd);
    gui.open();
    showShape();
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    editState.gui = nullptr;
    gui.close();
    signal.close();
    return kExitOk;
}

}  // namespace tarnhost
