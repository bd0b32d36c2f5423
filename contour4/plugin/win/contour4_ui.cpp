// Tarn Contour4's window in the Windows CLAP and VST3 plug-ins: the panel in a child window of the
// host's (ui/win/panel_window.h), which the panel's own GDI calls paint. The window is a
// translator: the panel's writes go to the plug-in's state the format's way, and a state or a
// program the host sets goes back to the panel.
//
// [main] DPF calls all of it on the host's UI thread; nothing here touches the audio thread.
// Each entry computes in the modules' floating-point environment, and the state the panel writes
// goes to the host in the host's own (ui/win/panel_window.h).
#include <string>

#include "DistrhoUI.hpp"
#include "contour4/editor/contour4_gui.h"
#include "contour4/plugin/programs.h"
#include "contour4/ui/win/panel_window.h"

START_NAMESPACE_DISTRHO

static_assert(DISTRHO_UI_DEFAULT_WIDTH == tarn::Contour4Gui::kPanelWidth &&
                  DISTRHO_UI_DEFAULT_HEIGHT == tarn::Contour4Gui::kPanelHeight,
              "the size DPF tells the host is the panel's");

class Contour4UI : public UI, private tarn::PanelWindow::Listener {
public:
    Contour4UI()
        : UI(DISTRHO_UI_DEFAULT_WIDTH, DISTRHO_UI_DEFAULT_HEIGHT),
          window_(reinterpret_cast<HWND>(getParentWindowHandle()), *this) {}

protected:
    void parameterChanged(uint32_t, float) override {}

    void programLoaded(uint32_t index) override {
        const tarn::NestedFpEntries::Entry entry(window_.entries());
        window_.panel().showProgram(index);
    }
    void stateChanged(const char* key, const char* value) override {
        const tarn::NestedFpEntries::Entry entry(window_.entries());
        window_.panel().showState(key, value);
    }

    uintptr_t getNativeWindowHandle() const noexcept override {
        return reinterpret_cast<uintptr_t>(window_.handle());
    }

    // The host shows and hides its own window, which holds this one. DPF's CLAP wrapper passes an
    // embedded window a hide but never the show that follows, so the window stays shown itself.
    void visibilityChanged(bool) override {}

private:
    void shapeWritten(const std::string& text) override {
        window_.entries().inHostEnv([&] { setState(tarn::kShapeStateKey, text.c_str()); });
    }

    tarn::PanelWindow window_;

    DISTRHO_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Contour4UI)
};

UI* createUI() { return new Contour4UI(); }

END_NAMESPACE_DISTRHO
