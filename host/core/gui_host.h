// The host's side of one GUI object: the panel's element chain, a native window, mouse
// capture, redraws answered by painting into a DIB section, and the pin text it shares with
// the signal object of the same instance.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "host/core/object_host.h"
#include "host/core/signal_host.h"

namespace tarnhost {

// Every call into the panel is one a host makes on its main thread: [main].
class GuiHost : public ObjectHost {
public:
    // Handles of the host's elements: the panel, its container, the window element.
    static constexpr int32_t kPanelHandle = 0x301;
    static constexpr int32_t kContainerHandle = 0x302;
    static constexpr int32_t kWindowHandle = 0x303;
    static constexpr int kMaxPanelSide = 4096;
    static constexpr COLORREF kBackground = RGB(228, 226, 214);

    GuiHost(ModuleLibrary& library, PinTextStore& pins, std::FILE* trace);
    ~GuiHost() override;

    // [main] Makes the panel object; throws Error when the library makes none, unless the host
    // closed it from inside its creation.
    void create();
    // [main] The native window that owns the panel; the panel sits at its client origin. Throws
    // Error when there is none. The panel paints into the host's bitmap and its menu opens
    // without a shown owner, so the host's own commands keep it hidden: under Wine without a
    // window manager, every shown window costs two seconds when it goes.
    void createWindow(int width, int height, bool visible);
    // [main] Uses a window made by the caller instead (the host does not destroy it).
    void adoptWindow(HWND window) { hwnd_ = window; ownsWindow_ = false; }
    // [main] The view's size from now on, whatever the panel asks for.
    void setViewSize(int width, int height);
    bool redrawAsked() const { return redrawAsked_; }
    HWND window() const { return hwnd_; }

    // [main] Any dispatcher call.
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr,
                      float opt = 0.0f);
    // [main]
    void open();
    // [main] Mouse calls at panel pixels.
    void press(int x, int y);
    void move(int x, int y);
    void release();
    // [main] Paints the panel into a fresh DIB section filled with the host's background.
    void paint();
    // [main] Paints when a redraw was asked since the last paint.
    void paintIfAsked();
    const std::vector<uint32_t>& pixels() const { return pixels_; }
    // How the last paint kept the GDI rules ("" when it did), and the objects it created; both
    // as the import watch saw them (no objects where the library's imports are not watched).
    const std::string& paintGdiVerdict() const { return paintGdiVerdict_; }
    int paintGdiObjects() const { return paintGdiObjects_; }
    // The size the panel asked for with GUI_HOST_SET_SIZE (0 x 0 until it does).
    int requestedWidth() const { return requestedWidth_; }
    int requestedHeight() const { return requestedHeight_; }
    int width() const { return view_.width; }
    int height() const { return view_.height; }
    // [main] Writes the painted panel (painting it when there are no pixels of the view's size);
    // throws Error when it cannot.
    void writePanelPng(const std::string& path);
    int redrawCount() const { return redraws_; }
    // The first broken capture pair: a release without a capture, or a capture kept after the
    // button went up; "" while there was none.
    const std::string& captureProblem() const { return captureProblem_; }
    // Whether the panel holds the mouse capture now.
    bool captured() const { return captured_; }
    // [main]
    void close();
    bool isOpen() const { return record_ != nullptr; }

private:
    HostWord answer(void* record, int32_t opcode, HostWord index, int32_t value, void* ptr, float opt) override;
    void closeFromInside(void* record, int32_t opcode) override;

    PinTextStore& signal_;
    GuiRecord* record_ = nullptr;
    HWND hwnd_ = nullptr;
    bool ownsWindow_ = true;
    ViewRecord view_{0, 0, kPanelHandle};
    int requestedWidth_ = 0;
    int requestedHeight_ = 0;
    bool sizeSetByUser_ = false;
    bool captured_ = false;
    std::string captureProblem_;
    bool redrawAsked_ = false;
    int redraws_ = 0;
    std::vector<uint32_t> pixels_;
    std::string paintGdiVerdict_;
    int paintGdiObjects_ = 0;
};

}  // namespace tarnhost
