// Tarn Contour4's window in every format DPF builds: the panel, run by its own code through a
// panel host, on DGL's Cairo backend. The window is a translator: pointer and keys go to the
// panel host, the panel's writes go to the plug-in's state the format's way, and a state or a
// program the host sets goes back to the panel.
//
// [main] DPF calls all of it on the window's thread; nothing here touches the audio thread.
// Each entry computes in the modules' floating-point environment, and what the panel asks of
// the host from inside one (a state write, a repaint) runs in the host's own.
#include <cmath>
#include <cstring>
#include <string>

#include "DistrhoUI.hpp"
#include "contour4/editor/contour4_gui.h"
#include "contour4/plugin/programs.h"
#include "contour4/ui/panel_host.h"
#include "common/fp_env.h"

START_NAMESPACE_DISTRHO

namespace {


int pixel(double coordinate) { return static_cast<int>(std::floor(coordinate)); }

bool menuKey(uint key, tarn::MenuKey& out) {
    switch (key) {
    case kKeyUp: out = tarn::MenuKey::UP; return true;
    case kKeyDown: out = tarn::MenuKey::DOWN; return true;
    case kKeyLeft: out = tarn::MenuKey::LEFT; return true;
    case kKeyRight: out = tarn::MenuKey::RIGHT; return true;
    case kKeyEscape: out = tarn::MenuKey::ESCAPE; return true;
    case '\r':  // Return, as the window system reports it
    case '\n': out = tarn::MenuKey::ENTER; return true;
    default: return false;
    }
}

}  // namespace

class Contour4UI : public UI, private tarn::PanelHost::Listener {
public:
    Contour4UI() : UI(DISTRHO_UI_DEFAULT_WIDTH, DISTRHO_UI_DEFAULT_HEIGHT), panel_(*this) {}

protected:
    void parameterChanged(uint32_t, float) override {}

    // The host loaded a program: the signal side made its shape from the one it had, which is
    // the panel's, by the same rule.
    void programLoaded(uint32_t index) override {
        const tarn::NestedFpEntries::Entry entry(entries_);
        panel_.showShape(tarn::programShapeText(panel_.shapeText(), index));
    }

    void stateChanged(const char* key, const char* value) override {
        const tarn::NestedFpEntries::Entry entry(entries_);
        if (std::strcmp(key, tarn::kShapeStateKey) == 0) panel_.showShape(value != nullptr ? value : "");
    }

    void onCairoDisplay(const CairoGraphicsContext& context) override {
        const tarn::NestedFpEntries::Entry entry(entries_);
        panel_.paint(context.handle);
    }

    bool onMouse(const MouseEvent& event) override {
        const tarn::NestedFpEntries::Entry entry(entries_);
        const int x = pixel(event.pos.getX());
        const int y = pixel(event.pos.getY());
        if (event.press) panel_.press(x, y);
        else panel_.release(x, y);
        return true;
    }

    bool onMotion(const MotionEvent& event) override {
        const tarn::NestedFpEntries::Entry entry(entries_);
        panel_.move(pixel(event.pos.getX()), pixel(event.pos.getY()));
        return true;
    }

    bool onKeyboard(const KeyboardEvent& event) override {
        tarn::MenuKey key;
        if (!event.press || !menuKey(event.key, key)) return false;
        const tarn::NestedFpEntries::Entry entry(entries_);
        return panel_.key(key);
    }

private:
    void shapeWritten(const std::string& text) override {
        entries_.inHostEnv([&] { setState(tarn::kShapeStateKey, text.c_str()); });
    }
    void repaintAsked() override {
        entries_.inHostEnv([&] { repaint(); });
    }

    tarn::NestedFpEntries entries_;
    tarn::PanelHost panel_;

    DISTRHO_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(Contour4UI)
};

UI* createUI() { return new Contour4UI(); }

END_NAMESPACE_DISTRHO
