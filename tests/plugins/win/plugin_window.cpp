// The `window` command: a parent window, the plug-in's editor in it, events, pixels, cycles.
#include "plugin_window.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "fp_host.h"
#include "gui_census.h"
#include "host/core/fp_environments.h"
#include "host/core/menu_driver.h"
#include "host/io/png_file.h"

namespace plugtest {

namespace {

const char kParentClass[] = "TarnTestHostWindow";
// Where --menu and --menu-dismiss press, as tarn-host panel does: the panel's menu strip.
constexpr int kMenuStripX = 5;
constexpr int kMenuStripY = 5;

struct Failure : std::runtime_error {
    int code;
    Failure(const std::string& what, int exitCode) : std::runtime_error(what), code(exitCode) {}
};

struct Event {
    enum Kind { PRESS, MOVE, RELEASE, MENU, MENU_DISMISS, CLOSE_IN_MENU, PROGRAM } kind;
    int x = 0;
    int y = 0;
    std::string path = {};
};

struct WindowOptions {
    bool hasShape = false;
    std::string shape;
    std::vector<Event> events;
    std::string png;
    int cycles = 0;
    std::string fpEnv;  // empty: the host's own
};

bool parsePoint(const std::string& text, int& x, int& y) {
    const size_t comma = text.find(',');
    if (comma == std::string::npos) return false;
    char* end = nullptr;
    const long a = std::strtol(text.c_str(), &end, 10);
    if (end != text.c_str() + comma) return false;
    const long b = std::strtol(text.c_str() + comma + 1, &end, 10);
    if (*end != '\0' || comma + 1 == text.size()) return false;
    x = static_cast<int>(a);
    y = static_cast<int>(b);
    return true;
}

WindowOptions parseWindowOptions(const std::vector<std::string>& args) {
    WindowOptions o;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        const bool takesValue = a == "--shape" || a == "--press" || a == "--move" || a == "--menu" ||
                                a == "--png" || a == "--cycles" || a == "--program" || a == "--fp-env";
        if (takesValue && i + 1 >= args.size()) throw Failure(a + " needs a value", 2);
        Event e{Event::PRESS};
        if (a == "--release") {
            o.events.push_back({Event::RELEASE});
        } else if (a == "--menu-dismiss") {
            o.events.push_back({Event::MENU_DISMISS, kMenuStripX, kMenuStripY});
        } else if (a == "--close-in-menu") {
            o.events.push_back({Event::CLOSE_IN_MENU, kMenuStripX, kMenuStripY});
        } else if (a == "--press" || a == "--move") {
            if (!parsePoint(args[++i], e.x, e.y)) throw Failure(a + " takes X,Y in panel pixels", 2);
            e.kind = a == "--press" ? Event::PRESS : Event::MOVE;
            o.events.push_back(e);
        } else if (a == "--menu") {
            o.events.push_back({Event::MENU, kMenuStripX, kMenuStripY, args[++i]});
        } else if (a == "--program") {
            o.events.push_back({Event::PROGRAM, 0, 0, args[++i]});
        } else if (a == "--fp-env") {
            o.fpEnv = args[++i];
        } else if (a == "--shape") {
            o.hasShape = true;
            o.shape = args[++i];
        } else if (a == "--png") {
            o.png = args[++i];
        } else if (a == "--cycles") {
            o.cycles = std::atoi(args[++i].c_str());
            if (o.cycles < 1) throw Failure("--cycles takes a count from 1", 2);
        } else {
            throw Failure("unknown option \"" + a + "\"", 2);
        }
    }
    return o;
}

PluginView* gView = nullptr;  // the view whose timers the parent window runs
// The host's own timer, beside the plug-in's (whose ids count up from 1).
constexpr UINT_PTR kCloseTimer = 0x7A11;

LRESULT CALLBACK parentProc(HWND hwnd, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_TIMER && wp == kCloseTimer) {
        KillTimer(hwnd, kCloseTimer);
        if (gView != nullptr) gView->destroy();
        return 0;
    }
    if (message == WM_TIMER && gView != nullptr) {
        gView->timer(wp);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wp, lp);
}

// The DAW's window: shown, as a plug-in window only paints when it is, its client area the
// editor's size.
class ParentWindow {
public:
    ParentWindow(int width, int height) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &parentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = kParentClass;
        RegisterClassA(&wc);
        RECT r{0, 0, width, height};
        AdjustWindowRect(&r, WS_OVERLAPPEDWINDOW, FALSE);
        hwnd_ = CreateWindowA(kParentClass, "tarn test host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 40, 30,
                              r.right - r.left, r.bottom - r.top, nullptr, nullptr, wc.hInstance, nullptr);
        if (hwnd_ == nullptr) throw Failure("cannot create the host's window", 1);
        ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
        UpdateWindow(hwnd_);
    }
    ~ParentWindow() { DestroyWindow(hwnd_); }
    ParentWindow(const ParentWindow&) = delete;
    ParentWindow& operator=(const ParentWindow&) = delete;
    HWND handle() const { return hwnd_; }

private:
    HWND hwnd_;
};

// Runs the thread's messages until none waits: every paint asked for is done, every message the
// plug-in posted handled (timers come again later and are no reason to wait).
void settle() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

LPARAM at(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

// A press with the menu driver running: it picks `path`, or dismisses any menu that opens. The
// press is a call into the plug-in as tarn-host makes one into a module's panel: the driver's
// timer, the host's code inside the menu's loop, must find the host's environment there.
void pressWithMenu(HWND editor, int x, int y, const std::string& path, bool mustOpen) {
    tarnhost::MenuDriver driver;
    driver.start(path.empty() ? std::vector<std::string>{} : tarnhost::MenuDriver::splitPath(path));
    {
        const tarnhost::HostFpPolicy::Call call("a press on the editor");
        SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(x, y));
    }
    const tarnhost::MenuDriver::Outcome outcome = driver.finish();
    if (outcome == tarnhost::MenuDriver::Outcome::NOT_FOUND)
        throw Failure("the menu has no item \"" + driver.missing() + "\"", 2);
    if (mustOpen && outcome == tarnhost::MenuDriver::Outcome::NO_MENU)
        throw Failure("the press at (" + std::to_string(x) + ", " + std::to_string(y) + ") opened no menu", 1);
}

// The host's thread's messages until the editor has painted, with a time limit for a plug-in
// that never does.
void settleUntilPainted(HWND editor) {
    constexpr UINT kPatienceMs = 60000;
    const UINT_PTR deadline = SetTimer(nullptr, 0, kPatienceMs, nullptr);
    MSG msg;
    bool painted = false;
    while (!painted && GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == nullptr && msg.wParam == deadline) break;
        painted = msg.message == WM_PAINT && msg.hwnd == editor;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    KillTimer(nullptr, deadline);
    if (!painted) throw Failure("the editor never painted the program the host chose", 1);
}

void runEvents(PluginView& view, HWND editor, const std::vector<Event>& events) {
    int x = 0, y = 0;
    for (const Event& e : events) {
        switch (e.kind) {
        case Event::PROGRAM:
            if (!view.loadProgram(e.path)) throw Failure("the plug-in has no program \"" + e.path + "\"", 2);
            settleUntilPainted(editor);
            break;
        case Event::PRESS: pressWithMenu(editor, e.x, e.y, "", false); break;
        case Event::MOVE: SendMessageA(editor, WM_MOUSEMOVE, MK_LBUTTON, at(e.x, e.y)); break;
        case Event::RELEASE: SendMessageA(editor, WM_LBUTTONUP, 0, at(x, y)); break;
        case Event::MENU:
        case Event::MENU_DISMISS:
            pressWithMenu(editor, e.x, e.y, e.path, true);
            SendMessageA(editor, WM_LBUTTONUP, 0, at(e.x, e.y));
            break;
        case Event::CLOSE_IN_MENU:
            // The press opens the menu, whose loop runs the host's timer, which closes the editor
            // as a DAW may (its project closing): the menu ends with its window, and no event
            // follows, as the editor is gone.
            SetTimer(GetParent(editor), kCloseTimer, USER_TIMER_MINIMUM, nullptr);
            SendMessageA(editor, WM_LBUTTONDOWN, MK_LBUTTON, at(e.x, e.y));
            settle();
            if (IsWindow(editor)) throw Failure("the editor's window outlived its close", 1);
            return;
        }
        if (e.kind != Event::RELEASE && e.kind != Event::PROGRAM) {
            x = e.x;
            y = e.y;
        }
        settle();
    }
}

// The editor's pixels as the screen has them, in the layout tarn-host's pictures have.
void writePixels(HWND editor, const std::string& path) {
    RECT r{};
    GetClientRect(editor, &r);
    const int w = r.right, h = r.bottom;
    BITMAPINFO bi{};
    bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h /* top row first */, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(editor);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    const bool ok = memory != nullptr && bitmap != nullptr && w > 0 && h > 0;
    if (ok) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY);
        GdiFlush();
        tarnhost::writePng(path, static_cast<const uint32_t*>(bits), w, h);
        SelectObject(memory, previous);
    }
    if (bitmap != nullptr) DeleteObject(bitmap);
    if (memory != nullptr) DeleteDC(memory);
    ReleaseDC(editor, screen);
    if (!ok) throw Failure("cannot read the window's pixels", 1);
}

// The editor open in the parent until the end of the scope; its window, the parent's child.
class OpenEditor {
public:
    OpenEditor(PluginView& view, HWND parent) : view_(view) {
        if (!view.attach(parent)) {
            view.destroy();
            throw Failure("the plug-in's editor did not take the host's window", 1);
        }
        settle();
        editor_ = GetWindow(parent, GW_CHILD);
        if (editor_ == nullptr) {
            view.destroy();
            throw Failure("the plug-in put no window into the host's", 1);
        }
    }
    ~OpenEditor() {
        view_.destroy();
        settle();
    }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;
    HWND editor() const { return editor_; }

private:
    PluginView& view_;
    HWND editor_ = nullptr;
};

void createEditor(PluginView& view, int& width, int& height) {
    if (!view.create(width, height)) throw Failure("the plug-in made no editor", 1);
}

int runCycles(PluginView& view, HWND parent, int cycles) {
    GuiCounts before{};
    for (int i = 0; i <= cycles; ++i) {
        int w = 0, h = 0;
        createEditor(view, w, h);
        { OpenEditor open(view, parent); }
        // The first window may leave what stays for the library's life; the others may not.
        if (i == 0) before = countGuiObjects();
    }
    const GuiCounts after = countGuiObjects();
    // The census must see what a leak would leave: one window and one pen more.
    HWND probe = CreateWindowA("STATIC", "", WS_CHILD, 0, 0, 1, 1, parent, nullptr, nullptr, nullptr);
    HPEN pen = CreatePen(PS_SOLID, 1, 0);
    const GuiCounts probed = countGuiObjects();
    DeleteObject(pen);
    DestroyWindow(probe);
    std::printf("window cycles: %d; GDI objects %ld -> %ld, USER objects %ld -> %ld (%s)\n", cycles, before.gdi,
                after.gdi, before.user, after.user, censusMethod().c_str());
    if (probed.gdi <= after.gdi || probed.user <= after.user) {
        std::printf("FAIL the count did not see a window and a pen made to test it\n");
        return 1;
    }
    return before.gdi == after.gdi && before.user == after.user ? 0 : 1;
}

}  // namespace

std::string stateField(const std::string& state, const std::string& key) {
    const std::string marked = std::string(1, '\0') + key + std::string(1, '\0');
    const size_t at = state.find(marked);
    if (at == std::string::npos) return "";
    const size_t from = at + marked.size();
    return state.substr(from, state.find('\0', from) - from);
}

bool replaceStateField(std::string& state, const std::string& key, const std::string& value) {
    const std::string marked = std::string(1, '\0') + key + std::string(1, '\0');
    const size_t at = state.find(marked);
    if (at == std::string::npos) return false;
    const size_t from = at + marked.size();
    state.replace(from, state.find('\0', from) - from, value);
    return true;
}

namespace {

// Puts one of the test hosts' environments in force on this thread for what follows, the
// plug-in's whole life: every press a call that tarn-host's policy checks, every trap noted.
void holdFpEnvironment(const std::string& name) {
    for (const tarnhost::FpEnvironment& e : pluginFpEnvironments()) {
        if (name != e.name) continue;
        tarnhost::HostFpPolicy::instance().choose(e);
        tarnhost::setFpControl(e.control);
        return;
    }
    throw Failure("no floating-point environment \"" + name + "\"", 2);
}

// A run fails on a trap or a call that broke the environment's promise.
int fpVerdict(int status) {
    const tarnhost::HostFpPolicy& p = tarnhost::HostFpPolicy::instance();
    if (p.traps() > 0) {
        std::printf("FAIL %lld floating-point traps in %s, the first %s\n", p.traps(), p.chosen().name, p.firstTrap().c_str());
        return 1;
    }
    if (!p.problem().empty()) {
        std::printf("FAIL in %s: %s\n", p.chosen().name, p.problem().c_str());
        return 1;
    }
    return status;
}

int runWindow(PluginView& view, const WindowOptions& o) {
    if (o.hasShape && !view.loadShape(o.shape)) throw Failure("the plug-in's state took no shape", 1);
    int width = 0, height = 0;
    createEditor(view, width, height);
    ParentWindow parent(width, height);
    gView = &view;
    if (o.cycles > 0) {
        view.destroy();
        return runCycles(view, parent.handle(), o.cycles);
    }
    OpenEditor open(view, parent.handle());
    runEvents(view, open.editor(), o.events);
    std::printf("shape: %s\n", view.savedShape().c_str());
    std::fflush(stdout);
    if (!o.png.empty()) writePixels(open.editor(), o.png);
    return 0;
}

template <class MakeView>
int runWindowOf(const std::vector<std::string>& args, MakeView makeView) {
    const tarnhost::FpState own = tarnhost::readFpState();
    int status = 1;
    try {
        const WindowOptions o = parseWindowOptions(std::vector<std::string>(args.begin() + 2, args.end()));
        if (!o.fpEnv.empty()) holdFpEnvironment(o.fpEnv);
        std::string error;
        std::unique_ptr<PluginView> view = makeView(args[1], error);
        if (view == nullptr) throw Failure(error, 1);
        status = runWindow(*view, o);
    } catch (const Failure& f) {
        std::fprintf(stderr, "%s\n", f.what());
        status = f.code;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        status = 1;
    }
    tarnhost::restoreFpState(own);
    return fpVerdict(status);
}

}  // namespace

int runClapWindow(const std::vector<std::string>& args) { return runWindowOf(args, &clapView); }
int runVst3Window(const std::vector<std::string>& args) { return runWindowOf(args, &vst3View); }

}  // namespace plugtest
