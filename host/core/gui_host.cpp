// The host's GUI side: element chain, capture, redraw by painting into a DIB section, pin text.
#include "host/core/gui_host.h"

#include <algorithm>
#include <cstring>

#include "host/core/fp_environments.h"
#include "host/core/import_watch.h"
#include "host/core/opcode_names.h"
#include "host/io/error.h"
#include "host/io/png_file.h"

namespace tarnhost {

namespace {

const char kWindowClass[] = "TarnHostPanelOwner";

LRESULT CALLBACK ownerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

GuiHost::GuiHost(ModuleLibrary& library, PinTextStore& pins, std::FILE* trace)
    : ObjectHost(library, trace), signal_(pins) {}

GuiHost::~GuiHost() {
    close();
    if (hwnd_ != nullptr && ownsWindow_) DestroyWindow(hwnd_);
}

void GuiHost::create() {
    record_ = static_cast<GuiRecord*>(makeObject(KIND_GUI, " (the module has no panel)"));
}

void GuiHost::createWindow(int width, int height, bool visible) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = &ownerProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    RegisterClassA(&wc);
    RECT r{0, 0, width > 0 ? width : 1, height > 0 ? height : 1};
    AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
    hwnd_ = CreateWindowA(kWindowClass, "tarn-host panel", WS_OVERLAPPEDWINDOW, 40, 30,
                          r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance,
                          nullptr);
    if (hwnd_ == nullptr) throw Error("cannot create the panel's window");
    if (visible) {
        ShowWindow(hwnd_, SW_SHOW);
        UpdateWindow(hwnd_);
    }
}

void GuiHost::setViewSize(int width, int height) {
    sizeSetByUser_ = true;
    view_.width = width;
    view_.height = height;
}

HostWord GuiHost::dispatch(int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) {
    if (record_ == nullptr) return 0;
    if (tracing())
        traceLine("gui " + guiOpName(opcode) + " index=" + std::to_string(index) + " value=" + std::to_string(value));
    HostWord result;
    {
        const HostFpPolicy::Call call("the panel's dispatcher");
        result = record_->dispatcher(record_, opcode, index, value, ptr, opt);
    }
    if (opcode == GUI_CLOSE) record_ = nullptr;
    return result;
}

void GuiHost::open() { dispatch(GUI_OPEN, 1); }
void GuiHost::press(int x, int y) { dispatch(GUI_MOUSE_DOWN, x, y, &view_); }
void GuiHost::move(int x, int y) { dispatch(GUI_MOUSE_MOVE, x, y, &view_); }
void GuiHost::release() {
    dispatch(GUI_MOUSE_UP, 0, 0, &view_);
    // Capture and release come in pairs: the button is up, so the drag is over.
    if (captured_ && captureProblem_.empty()) captureProblem_ = "kept the mouse captured after the button was released";
}

void GuiHost::paint() {
    redrawAsked_ = false;
    const int w = view_.width > 0 ? view_.width : 1;
    const int h = view_.height > 0 ? view_.height : 1;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = w;
    bi.bmiHeader.biHeight = -h;  // top row first
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    ReleaseDC(nullptr, screen);
    if (dc == nullptr || bmp == nullptr) {
        if (bmp != nullptr) DeleteObject(bmp);
        if (dc != nullptr) DeleteDC(dc);
        return;
    }
    HGDIOBJ old = SelectObject(dc, bmp);
    HBRUSH background = CreateSolidBrush(kBackground);
    RECT all{0, 0, w, h};
    FillRect(dc, &all, background);
    DeleteObject(background);
    {
        GdiPaintWatch watch(dc);
        dispatch(GUI_PAINT, reinterpret_cast<HostWord>(dc), 0, &view_);
        GdiFlush();
        paintGdiVerdict_ = watch.verdict();
        paintGdiObjects_ = watch.created();
    }
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    pixels_.assign(p, p + static_cast<size_t>(w) * h);
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

void GuiHost::paintIfAsked() {
    if (redrawAsked_) paint();
}

void GuiHost::writePanelPng(const std::string& path) {
    const int w = view_.width > 0 ? view_.width : 1;
    const int h = view_.height > 0 ? view_.height : 1;
    // The pixels must be of the view's present size: a paint that failed leaves none.
    const size_t size = static_cast<size_t>(w) * h;
    if (pixels_.size() != size) paint();
    if (pixels_.size() != size) throw Error("cannot paint the panel for " + path);
    writePng(path, pixels_.data(), w, h);
}

void GuiHost::close() { dispatch(GUI_CLOSE); }

void GuiHost::closeFromInside(void* record, int32_t opcode) {
    if (tracing()) traceLine("gui GUI_CLOSE from inside " + guiHostOpName(opcode));
    auto* r = static_cast<GuiRecord*>(record);
    {
        const HostFpPolicy::Call call("the panel's dispatcher");
        r->dispatcher(r, GUI_CLOSE, 0, 0, nullptr, 0.0f);
    }
    record_ = nullptr;
    captured_ = false;
}

HostWord GuiHost::answer(void*, int32_t opcode, HostWord index, int32_t value, void* ptr, float) {
    HostWord result = 0;
    switch (opcode) {
    case GUI_HOST_REDRAW:
        ++redraws_;
        redrawAsked_ = true;
        break;
    case GUI_HOST_SET_SIZE:
        // The panel's own size: the view takes it until the host's user sets another.
        if (index >= 0 && index <= kMaxPanelSide && value >= 0 && value <= kMaxPanelSide) {
            requestedWidth_ = static_cast<int>(index);
            requestedHeight_ = value;
            if (!sizeSetByUser_) {
                view_.width = requestedWidth_;
                view_.height = requestedHeight_;
            }
        }
        break;
    case GUI_HOST_SET_PIN_TEXT: {
        const std::string text = ptr != nullptr ? static_cast<const char*>(ptr) : "";
        if (tracing()) traceLine("gui host " + guiHostOpName(opcode) + " index=" + std::to_string(index) + " text=" + text);
        signal_.changePinText(static_cast<int32_t>(index), text);
        // Reported to the panel from inside its own write, as the host does.
        dispatch(GUI_PIN_CHANGED, index);
        return 0;
    }
    case GUI_HOST_GET_PIN_TEXT:
        result = reinterpret_cast<HostWord>(signal_.pinText(static_cast<int32_t>(index)));
        break;
    case GUI_HOST_GET_WINDOW:
        if (index == kContainerHandle || index == kWindowHandle) result = reinterpret_cast<HostWord>(hwnd_);
        break;
    case GUI_HOST_CAPTURE_MOUSE:
        captured_ = true;
        break;
    case GUI_HOST_RELEASE_MOUSE:
        if (!captured_ && captureProblem_.empty()) captureProblem_ = "released the mouse without holding it";
        captured_ = false;
        break;
    case GUI_HOST_HAS_CAPTURE:
        result = captured_ ? 1 : 0;
        break;
    case GUI_HOST_GET_PARENT:
        if (index == kPanelHandle) result = kContainerHandle;
        else if (index == kContainerHandle) result = kWindowHandle;
        break;
    case GUI_HOST_TO_SCREEN:
        if (ptr != nullptr && hwnd_ != nullptr) {
            int32_t* xy = static_cast<int32_t*>(ptr);
            POINT p{xy[0], xy[1]};
            ClientToScreen(hwnd_, &p);
            xy[0] = p.x;
            xy[1] = p.y;
        }
        break;
    default:
        break;
    }
    if (tracing())
        traceLine("gui host " + guiHostOpName(opcode) + " index=" + std::to_string(index) +
                  " value=" + std::to_string(value) + " -> " + std::to_string(result));
    return result;
}

}  // namespace tarnhost
