// The panel object inside a plug-in's window, on every system: made through its GuiRecord and
// driven as the modular host drives it, with the host calls answered that every window answers
// alike (the "shape" pin's text, which is the plug-in's state, the panel's size, mouse capture,
// the chain of parents). What depends on the window goes to it: redraws, the native window that
// owns the popup menu and screen coordinates.
//
// [main] Everything here runs on the thread of the plug-in's user interface.
#pragma once

#include <cstdint>
#include <string>

#include "common/fp_env.h"
#include "contour4/editor/gdi_api.h"
#include "frame/host_interface.h"

namespace tarn {

class PanelLink {
public:
    // What the panel asks of the window that shows it.
    class Window {
    public:
        // The panel wrote the "shape" pin: the plug-in's state is this text now.
        virtual void shapeWritten(const std::string& text) = 0;
        virtual void repaintAsked() = 0;
        // The native window that owns the panel's popup menu.
        virtual HostWord nativeWindow() = 0;
        // A point of the panel, converted in place to the coordinates the menu opens at.
        virtual void toScreen(int32_t xy[2]) = 0;
        // The panel took or released the mouse.
        virtual void captureChanged(bool captured) = 0;

    protected:
        ~Window() = default;
    };

    // The host's background under the panel, which paints no background of its own.
    static constexpr COLORREF kBackground = RGB(228, 226, 214);
    static constexpr int32_t kPanelHandle = 1;
    static constexpr int32_t kWindowHandle = 2;

    // hostCalls: where the window's own entries compute in the modules' environment (through
    // hostCalls) and the panel may open the system's popup menu, whose message loop runs the
    // host's code, the panel is called in the host's environment, as a host calls a module's
    // panel, so that the menu runs there too. Null: the panel is called in the window's.
    explicit PanelLink(Window& window, NestedFpEntries* hostCalls = nullptr);
    ~PanelLink();
    PanelLink(const PanelLink&) = delete;
    PanelLink& operator=(const PanelLink&) = delete;

    // The plug-in's shape text, as it was when the window opened or as the host changed it. The
    // panel opens on the first: before that the state is not known, and an empty text would
    // have the panel write the default shape over it.
    void showShape(const std::string& text);
    // A program the host loaded: the signal side made its shape from the one it had, which is
    // the panel's, by the same rule.
    void showProgram(uint32_t index);
    // A state the host set: its shape key's value shows.
    void showState(const char* key, const char* value);
    bool isOpen() const { return record_ != nullptr; }
    const std::string& shapeText() const { return pinText_; }
    // The size the panel asked for.
    int width() const { return view_.width; }
    int height() const { return view_.height; }
    bool captured() const { return captured_; }

    // The panel's own painting into a device context: what the window's GDI (or its stand-in)
    // takes as an HDC, over the background the window painted.
    void paint(void* deviceContext);
    // Mouse calls at panel pixels.
    void press(int x, int y);
    void move(int x, int y);
    void release(int x, int y);

private:
    static HostWord TARN_CDECL callback(void* record, int32_t opcode, HostWord index, int32_t value,
                                        void* ptr, float opt);
    HostWord answer(int32_t opcode, HostWord index, int32_t value, void* ptr);
    HostWord dispatch(int32_t opcode, HostWord index = 0, int32_t value = 0, void* ptr = nullptr);
    void open();

    Window& window_;
    NestedFpEntries* hostCalls_;
    GuiRecord* record_ = nullptr;
    ViewRecord view_;
    std::string pinText_;
    bool captured_ = false;
};

}  // namespace tarn
