// tarn-host panel and edit: the signal and GUI objects of one instance, wired through the host.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/core/gui_host.h"
#include "host/core/menu_driver.h"
#include "host/io/number_text.h"
#include "host/commands/render_options.h"
#include "host/io/wav_file.h"

namespace tarnhost {

namespace {

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

bool parsePair(const std::string& s, char sep, long long& a, long long& b) {
    const size_t at = s.find(sep);
    return at != std::string::npos && parseInt(s.substr(0, at), a) && parseInt(s.substr(at + 1), b);
}

std::string parsePanelOptions(const std::vector<std::string>& args, PanelOptions& o) {
    std::string error;
    for (size_t i = 1; i < args.size(); ++i) {
        if (takeRenderOption(args, i, o.render, error)) {
            if (!error.empty()) return error;
            continue;
        }
        const std::string& a = args[i];
        auto value = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        long long x = 0, y = 0;
        if (a == "--release") {
            o.events.push_back({PanelEvent::RELEASE});
        } else if (a == "--menu-dismiss") {
            o.events.push_back({PanelEvent::MENU_DISMISS, 5, 5});
        } else if (a == "--press" || a == "--move") {
            if (!value(v) || !parsePair(v, ',', x, y) || x < INT32_MIN || x > INT32_MAX ||
                y < INT32_MIN || y > INT32_MAX)
                return a + " takes X,Y in panel pixels";
            o.events.push_back({a == "--press" ? PanelEvent::PRESS : PanelEvent::MOVE,
                                static_cast<int>(x), static_cast<int>(y)});
        } else if (a == "--menu") {
            if (!value(v) || v.empty()) return "--menu takes a PATH such as \"Saw/Analog Saw 2\"";
            PanelEvent e{PanelEvent::MENU, 5, 5};
            e.path = v;
            o.events.push_back(e);
        } else if (a == "--size") {
            if (!value(v) || !parsePair(v, 'x', x, y) || x < 0 || y < 0 || x > 4096 || y > 4096)
                return "--size takes WxH, each from 0 to 4096";
            o.width = static_cast<int>(x);
            o.height = static_cast<int>(y);
        } else if (a == "--png") {
            if (!value(v)) return "--png needs a file";
            o.png = v;
        } else {
            return "unknown option \"" + a + "\"";
        }
    }
    return "";
}

// A press with the menu helper running: it picks `path`, or dismisses any menu that opens.
int pressWithMenu(GuiHost& gui, int x, int y, const std::string& path, bool mustOpen) {
    MenuDriver driver;
    driver.start(path.empty() ? std::vector<std::string>{} : MenuDriver::splitPath(path));
    gui.press(x, y);
    const MenuDriver::Outcome outcome = driver.finish();
    if (outcome == MenuDriver::Outcome::NOT_FOUND)
        return usageError("the menu has no item \"" + driver.missing() + "\"");
    if (mustOpen && outcome == MenuDriver::Outcome::NO_MENU)
        return failure("the press at (" + std::to_string(x) + ", " + std::to_string(y) +
                       ") opened no menu");
    return kExitOk;
}

int runEvents(GuiHost& gui, const std::vector<PanelEvent>& events) {
    for (const PanelEvent& e : events) {
        int code = kExitOk;
        switch (e.kind) {
        case PanelEvent::PRESS: code = pressWithMenu(gui, e.x, e.y, "", false); break;
        case PanelEvent::MOVE: gui.move(e.x, e.y); break;
        case PanelEvent::RELEASE: gui.release(); break;
        case PanelEvent::MENU:
            code = pressWithMenu(gui, e.x, e.y, e.path, true);
            if (code == kExitOk) gui.release();
            break;
        case PanelEvent::MENU_DISMISS:
            code = pressWithMenu(gui, e.x, e.y, "", true);
            if (code == kExitOk) gui.release();
            break;
        }
        if (code != kExitOk) return code;
        gui.paintIfAsked();
    }
    return kExitOk;
}

}  // namespace

int runPanel(const std::vector<std::string>& args) {
    if (listFpEnvironmentsIfAsked(args)) return kExitOk;
    if (args.empty() || args[0].rfind("--", 0) == 0)
        return usageError("usage: tarn-host panel MODULE.dll [--shape TEXT] [--size WxH] [EVENTS...] "
                          "[--png FILE] [--out FILE.wav ...]");
    PanelOptions o;
    const std::string problem = parsePanelOptions(args, o);
    if (!problem.empty()) return usageError(problem);
    if (const int chosen = chooseFpEnvironment(o.render); chosen != kExitOk) return chosen;

    ModuleLibrary lib;
    std::string error;
    if (!lib.load(args[0], error)) return failure(error);
    std::FILE* trace = o.render.trace ? stdout : nullptr;
    SignalHost signal(lib, trace);
    const int prepared = prepareSignal(signal, o.render, error);
    if (prepared != kExitOk) return prepared;
    signal.open();

    GuiHost gui(lib, signal, trace);
    if (!gui.create(error)) return failure(error);
    if (o.width >= 0) gui.setViewSize(o.width, o.height);
    if (!gui.createWindow(gui.width(), gui.height(), true, error)) return failure(error);
    gui.open();
    gui.paintIfAsked();
    const int code = runEvents(gui, o.events);
    if (code != kExitOk) return code;
    gui.paint();
    std::printf("shape: %s\n", signal.pinText(signal.textPin()));
    std::fflush(stdout);
    if (!o.png.empty() && !gui.writePanelPng(o.png, error)) return failure(error);
    gui.close();
    if (!o.render.out.empty()) {
        std::vector<float> samples;
        signal.render(o.render.frameCount(), samples);
        if (!writeSamples(o.render.out, samples, o.render.rate, error)) return failure(error);
    }
    signal.close();
    return fpEnvironmentVerdict();
}

}  // namespace tarnhost
