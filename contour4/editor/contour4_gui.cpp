// Contour4Gui: pin synchronisation, painting, dragging, the popup menu and its commands.
#include "contour4_gui.h"

#include <cmath>

#include "contour4/editor/gdi_api.h"
#include "contour4/editor/menu_layout.h"

namespace tarn {

namespace {

const COLORREF kGrey = RGB(130, 130, 130);
const COLORREF kInk = RGB(10, 10, 10);
const COLORREF kHandleFill = RGB(150, 150, 0);
constexpr int kButtonWidth = 33;
constexpr int kHandleSize = 10;
constexpr char kButtonText[] = " Menu ";
constexpr UINT kTrackFlags = TPM_NONOTIFY | TPM_RETURNCMD;

// Cuts toward zero. Nodes from a foreign text can lie anywhere, even at infinity; GDI takes
// 27-bit coordinates at most, so they are held to a range no cast can overflow.
int truncToInt(float v) {
    constexpr float kLimit = 1 << 27;
    if (std::isnan(v)) return 0;
    if (v > kLimit) return static_cast<int>(kLimit);
    if (v < -kLimit) return -static_cast<int>(kLimit);
    return static_cast<int>(v);
}

struct Scale {
    float sx;
    float sy;
    explicit Scale(const ViewRecord* v)
        : sx(static_cast<float>(v->width) * 0.01f), sy(static_cast<float>(v->height) * 0.01f) {}
};

HDC toDc(void* deviceContext) { return static_cast<HDC>(deviceContext); }

}  // namespace

Contour4Gui::Contour4Gui(HostCallback callback, int32_t hostData) noexcept
    : GuiBase(callback, hostData),
      dragNode(-1),
      lastMouseX(0),
      lastMouseY(0),
      writingShape(false),
      menuChoice(0) {
    for (int i = 0; i < kNodeCount; ++i) {
        nodes[i] = Node{0.0f, 0.0f};
        // A flat line at 0 V, so that "Rotate Left" before any preset has something defined.
        presetBuffer[i] = 50.0f;
        savedHeights[i] = 0.0f;
    }
}

void Contour4Gui::onCreated() {
    callHost(GUI_HOST_SET_SIZE, kPanelWidth, kPanelHeight);
    callHost(GUI_HOST_CONSTRUCTED, 1);
}

void Contour4Gui::onOpen(bool primary) {
    GuiBase::onOpen(primary);
    loadShapeFromPin();
}

void Contour4Gui::onClose() {}
void Contour4Gui::notify6(int32_t, int32_t, void*) {}
void Contour4Gui::onPinValueChanged(GuiPinRef) { loadShapeFromPin(); }

std::string Contour4Gui::getShapeText() { return getPin(kShapePin)->getText(); }
void Contour4Gui::setShapeText(const std::string& text) { getPin(kShapePin)->setText(text); }

void Contour4Gui::loadShapeFromPin() {
    const std::string text = getShapeText();
    if (text.empty()) {
        // The text comes back through the pin change that follows.
        if (installingDefault_) return;
        const std::string fallback = defaultShapeText();
        installingDefault_ = true;
        setShapeText(fallback);
        installingDefault_ = false;
        return;
    }
    if (writingShape) return;  // our own text: keep the nodes' full precision
    parseShapeText(nodes, text.c_str());
    redraw();
}

void Contour4Gui::writeShapeToPin() {
    const std::string text = formatShapeText(nodes);
    writingShape = true;
    setShapeText(text);
    writingShape = false;
    redraw();
}

void Contour4Gui::drawBackground(void* deviceContext, const ViewRecord* view) {
    HDC dc = toDc(deviceContext);
    const int w = view->width;
    const int h = view->height;

    HPEN pen = CreatePen(PS_SOLID, 1, kGrey);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    MoveToEx(dc, 0, h / 2, nullptr);
    LineTo(dc, w, h / 2);
    MoveToEx(dc, w / 2, 0, nullptr);
    LineTo(dc, w / 2, h);
    SelectObject(dc, oldPen);
    DeleteObject(pen);

    HBRUSH face = CreateSolidBrush(kGrey);
    const RECT button{0, 0, kButtonWidth, kMenuStripHeight};
    FillRect(dc, &button, face);
    DeleteObject(face);

    LOGFONTA lf{};
    lf.lfHeight = -10;
    const char face_name[] = "Terminal";
    for (size_t i = 0; i < sizeof face_name; ++i) lf.lfFaceName[i] = face_name[i];
    HFONT font = CreateFontIndirectA(&lf);
    HGDIOBJ oldFont = SelectObject(dc, font);
    SetTextColor(dc, kInk);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, 0);
    TextOutA(dc, 0, 0, kButtonText, static_cast<int>(sizeof kButtonText - 1));
    SelectObject(dc, oldFont);
    DeleteObject(font);
}

void Contour4Gui::paint(void* deviceContext, const ViewRecord* view) {
    if (view == nullptr) return;
    HDC dc = toDc(deviceContext);
    drawBackground(deviceContext, view);
    const Scale s(view);

    HPEN pen = CreatePen(PS_SOLID, 1, kInk);
    HGDIOBJ oldPen = SelectObject(dc, pen);
    auto px = [&](int i) { return truncToInt(s.sx * nodes[i].x + 0.5f); };
    auto py = [&](int i) { return truncToInt(s.sy * nodes[i].y + 0.5f); };
    MoveToEx(dc, px(0), py(0), nullptr);
    for (int i = 0; i < kNodeCount; ++i) LineTo(dc, px(i), py(i));

    HBRUSH fill = CreateSolidBrush(kHandleFill);
    HGDIOBJ oldBrush = SelectObject(dc, fill);
    for (int i = kNodeCount - 1; i >= 0; --i) {  // node 0 is drawn last, on top
        const int left = truncToInt(s.sx * nodes[i].x - 5.0f + 0.5f);
        const int top = truncToInt(s.sy * nodes[i].y - 5.0f + 0.5f);
        Ellipse(dc, left, top, left + kHandleSize, top + kHandleSize);
    }
    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    DeleteObject(fill);
}

void Contour4Gui::onMouseMove(const ViewRecord* view, uint32_t, GuiPoint point) {
    if (view == nullptr || !hasCapture(view)) return;
    const Scale s(view);
    dragNode = -1;
    const POINT p{point.x, point.y};
    for (int i = kNodeCount - 1; i >= 0; --i) {
        const RECT strip{truncToInt(s.sx * nodes[i].x - 5.0f), 0,
                         truncToInt(s.sx * nodes[i].x + 5.0f), view->height};
        if (PtInRect(&strip, p)) {
            lastMouseX = point.x;
            lastMouseY = point.y;
            dragNode = i;
            captureMouse(view);
            break;
        }
    }
    if (dragNode < 0 || menuChoice != 0) return;

    Node& n = nodes[dragNode];
    float x = n.x;
    if (dragNode == 0) x = 0.0f;
    if (dragNode == kNodeCount - 1) x = 100.0f;
    float y = static_cast<float>(point.y) / s.sy;
    if (y <= kMinDragHeight) y = kMinDragHeight;
    else if (y >= kMaxDragHeight) y = kMaxDragHeight;
    n = Node{x, y};
    lastMouseX = point.x;
    lastMouseY = point.y;
    redraw();
}

void Contour4Gui::onMouseUp(const ViewRecord* view, uint32_t, GuiPoint) {
    if (view == nullptr || !hasCapture(view)) return;
    releaseMouse(view);
    dragNode = -1;
    redraw();
    writeShapeToPin();
}

int32_t Contour4Gui::showMenu(const ViewRecord* view, GuiPoint point, bool& shown) {
    shown = false;
    // No ancestor with a native window: nothing can own the menu, so none is shown.
    const HostWord owner = findOwnerWindow(view);
    if (owner == 0 || !toScreen(view, point)) return 0;
    shown = true;

    HMENU menus[MENU_COUNT];
    for (HMENU& m : menus) m = CreatePopupMenu();
    for (int r = 0; r < kMenuRowCount; ++r) {
        const MenuRow& row = kMenuRows[r];
        if (row.text == nullptr) {
            AppendMenuA(menus[row.menu], MF_SEPARATOR, 0, nullptr);
        } else if (row.command == 0) {
            AppendMenuA(menus[row.menu], MF_POPUP, reinterpret_cast<UINT_PTR>(menus[row.submenu]),
                        row.text);
        } else {
            AppendMenuA(menus[row.menu], MF_STRING, static_cast<UINT_PTR>(row.command), row.text);
        }
    }
    // The menu's message loop runs the host's windows and timers: in the host's environment.
    const int32_t choice = entryState().inHostEnv([&] {
        return TrackPopupMenu(menus[MENU_MAIN], kTrackFlags, point.x, point.y, 0,
                              reinterpret_cast<HWND>(owner), nullptr);
    });
    DestroyMenu(menus[MENU_MAIN]);  // takes its submenus with it
    return choice;
}

bool Contour4Gui::runCommand(int32_t id) {
    switch (id) {
    case CMD_INVERT: invertHeights(savedHeights, presetBuffer); return true;
    case CMD_REVERSE: reverseHeights(savedHeights, presetBuffer); return true;
    case CMD_ROTATE_LEFT: rotateHeightsLeft(presetBuffer); return true;
    default: return fillPreset(id, presetBuffer);
    }
}

void Contour4Gui::onMouseDown(const ViewRecord* view, uint32_t, GuiPoint point) {
    if (view == nullptr) return;
    menuChoice = 0;
    const RECT strip{1, 0, view->width, kMenuStripHeight};
    if (PtInRect(&strip, POINT{point.x, point.y})) {
        bool shown = false;
        menuChoice = showMenu(view, point, shown);
        if (menuChoice != 0) {
            for (int i = 0; i < kNodeCount; ++i) savedHeights[i] = nodes[i].y;
            if (runCommand(menuChoice)) {
                for (int i = 0; i < kNodeCount; ++i) nodes[i].y = presetBuffer[i];
                writeShapeToPin();
            }
        }
        // A popup menu takes the press and its release: by the time it returns the button is
        // up, or its release goes elsewhere, and no mouse-up comes for this press. A capture
        // taken now would outlive the button, and every move after a dismissed menu would drag.
        if (shown) return;
    }
    captureMouse(view);
}

}  // namespace tarn
