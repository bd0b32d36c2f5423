// tarn-host panel: the signal and GUI objects of one instance, wired through the host, and a
// run of mouse and menu events on the panel.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "host/commands/commands.h"
#include "host/commands/render_options.h"
#include "host/core/gui_host.h"
#include "host/core/menu_driver.h"
#include "host/io/error.h"
#include "host/io/number_text.h"
#include "host/io/wav_file.h"

namespace tarnhost {

namespace {

// Where --menu and --menu-dismiss press: the panel's menu strip.
constexpr std::pair<int, int> kMenuStrip{5, 5};

struct PanelEvent {
    enum Kind { PRESS, MOVE, RELEASE, MENU, MENU_DISMISS } kind;
    int x = 0;
    int y = 0;
    std::string path = {};
};

struct PanelOptions {
    RenderOptions render;
    int width = -1;  // the panel's own size unless --size says otherwise
    int height = -1;
    std::string png;
    std::vector<PanelEvent> events;
};

// Two whole numbers "A<sep>B", each within [low, high].
std::optional<std::pair<int, int>> parsePair(const std::string& s, char sep, long long low, long long high) {
    const size_t at = s.find(sep);
    if (at == std::string::npos) return std::nullopt;
    const auto a = parseInt(s.substr(0, at)), b = parseInt(s.substr(at + 1));
    if (!a || !b || *a < low || *a > high || *b < low || *b > high) return std::nullopt;
    return std::pair{static_cast<int>(*a), static_cast<int>(*b)};
}

PanelOptions parsePanelOptions(const std::vector<std::string>& args) {
    PanelOptions o;
    for (size_t i = 1; i < args.size(); ++i) {
        if (takeRenderOption(args, i, o.render)) continue;
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--release") {
            o.events.push_back({PanelEvent::RELEASE});
        } else if (a == "--menu-dismiss") {
            o.events.push_back({PanelEvent::MENU_DISMISS, kMenuStrip.first, kMenuStrip.second});
        } else if (a == "--press" || a == "--move") {
            const auto xy = value(v) ? parsePair(v, ',', INT32_MIN, INT32_MAX) : std::nullopt;
            if (!xy) throw InputError(a + " takes X,Y in panel pixels");
            o.events.push_back({a == "--press" ? PanelEvent::PRESS : PanelEvent::MOVE, xy->first, xy->second});
        } else if (a == "--menu") {
            if (!value(v) || v.empty()) throw InputError("--menu takes a PATH such as \"Saw/Analog Saw 2\"");
            o.events.push_back({PanelEvent::MENU, kMenuStrip.first, kMenuStrip.second, v});
        } else if (a == "--size") {
            const auto size = value(v) ? parsePair(v, 'x', 0, GuiHost::kMaxPanelSide) : std::nullopt;
            if (!size) throw InputError("--size takes WxH, each from 0 to 4096");
            o.width = size->first;
            o.height = size->second;
        } else if (a == "--png") {
            if (!value(v)) throw InputError("--png needs a file");
            o.png = v;
        } else {
            throw InputError("unknown option \"" + a + "\"");
        }
    }
    return o;
}

// A press with the menu helper running: it picks `path`, or dismisses any menu that opens.
void pressWithMenu(GuiHost& gui, int x, int y, const std::string& path, bool mustOpen) {
    MenuDriver driver;
    driver.start(path.empty() ? std::vector<std::string>{} : MenuDriver::splitPath(path));
    gui.press(x, y);
    const MenuDriver::Outcome outcome = driver.finish();
    if (outcome == MenuDriver::Outcome::NOT_FOUND)
        throw InputError("the menu has no item \"" + driver.missing() + "\"");
    if (mustOpen && outcome == MenuDriver::Outcome::NO_MENU)
        throw Error("the press at (" + std::to_string(x) + ", " + std::to_string(y) + ") opened no menu");
}

void runEvents(GuiHost& gui, const std::vector<PanelEvent>& events) {
    for (const PanelEvent& e : events) {
        switch (e.kind) {
        case PanelEvent::PRESS: pressWithMenu(gui, e.x, e.y, "", false); break;
        case PanelEvent::MOVE: gui.move(e.x, e.y); break;
        case PanelEvent::RELEASE: gui.release(); break;
        case PanelEvent::MENU:
            pressWithMenu(gui, e.x, e.y, e.path, true);
            gui.release();
            break;
        case PanelEvent::MENU_DISMISS:
            pressWithMenu(gui, e.x, e.y, "", true);
            gui.release();
            break;
        }
        gui.paintIfAsked();
    }
}

}  // namespace

int runPanel(const std::vector<std::string>& args) {
    if (listFpEnvironmentsIfAsked(args)) return kExitOk;
    if (args.empty() || args[0].rfind("--", 0) == 0)
        throw InputError("usage: tarn-host panel MODULE.dll [--shape TEXT] [--size WxH] [EVENTS...] "
                         "[--png FILE] [--out FILE.wav ...]");
    const PanelOptions o = parsePanelOptions(args);
    chooseFpEnvironment(o.render);

    ModuleLibrary lib;
    lib.load(args[0]);
    std::FILE* trace = o.render.trace ? stdout : nullptr;
    SignalHost signal(lib, trace);
    prepareSignal(signal, o.render);
    signal.open();

    GuiHost gui(lib, signal, trace);
    gui.create();
    if (o.width >= 0) gui.setViewSize(o.width, o.height);
    gui.createWindow(gui.width(), gui.height(), false);
    gui.open();
    gui.paintIfAsked();
    runEvents(gui, o.events);
    gui.paint();
    std::printf("shape: %s\n", signal.pinText(signal.textPin()));
    std::fflush(stdout);
    if (!o.png.empty()) gui.writePanelPng(o.png);
    gui.close();
    if (!o.render.out.empty()) {
        std::vector<float> samples;
        signal.render(o.render.frameCount(), samples);
        writeSamples(o.render.out, samples, o.render.rate);
    }
    signal.close();
    checkFpEnvironment();
    return kExitOk;
}

}  // namespace tarnhost
