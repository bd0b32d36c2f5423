// tarn-panel-cycles: opens and closes the CLAP plug-in's window N times inside a parent window of
// its own, as a host's user would, and compares the process's heap in use and resident memory,
// and the X server's clients and their resources, after a warm-up and after the N cycles.
//   tarn-panel-cycles FILE.clap [N]      exits 0 when nothing grew beyond the stated bounds,
//                                        77 when there is no display or no X-Resource extension
#include <X11/Xlib.h>
#include <X11/extensions/XRes.h>
#include <dlfcn.h>
#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "clap/entry.h"
#include "clap/ext/gui.h"
#include "clap/ext/timer-support.h"
#include "clap/host.h"
#include "clap/plugin-factory.h"
#include "clap/plugin.h"

namespace {

constexpr int kWarmUpCycles = 5;
constexpr int kTimerTicksPerCycle = 4;  // each runs the window's idle: events, a repaint
// The heap may keep a little of what the first cycles' libraries cached (fonts, a glyph or two).
// And Debian's cairo 1.16 keeps about 2.7 KB of every X connection on which DGL's window made an
// xlib surface (valgrind: allocations under cairo_xlib_surface_create, called from
// puglX11CairoOpen); each window opens its own connection. The bound allows that much per window
// and no more: a window, a panel or a drawing surface of ours left behind is far larger.
constexpr long kMaxHeapGrowthPerCycle = 4 * 1024;
constexpr long kMaxHeapGrowthOnce = 64 * 1024;

std::vector<clap_id> gTimers;
clap_id gNextTimer = 1;

const clap_host_gui_t kHostGui{
    [](const clap_host_t*) {},
    [](const clap_host_t*, uint32_t, uint32_t) { return true; },
    [](const clap_host_t*) { return true; },
    [](const clap_host_t*) { return true; },
    [](const clap_host_t*, bool) {},
};

const clap_host_timer_support_t kHostTimer{
    [](const clap_host_t*, uint32_t, clap_id* id) {
        *id = gNextTimer++;
        gTimers.push_back(*id);
        return true;
    },
    [](const clap_host_t*, clap_id id) {
        for (size_t i = 0; i < gTimers.size(); ++i)
            if (gTimers[i] == id) gTimers.erase(gTimers.begin() + static_cast<long>(i));
        return true;
    },
};

const void* hostExtension(const clap_host_t*, const char* id) {
    if (std::strcmp(id, CLAP_EXT_GUI) == 0) return &kHostGui;
    if (std::strcmp(id, CLAP_EXT_TIMER_SUPPORT) == 0) return &kHostTimer;
    return nullptr;
}

const clap_host_t kHost{CLAP_VERSION_INIT, nullptr, "tarn-panel-cycles", "Tarn", "", "1.0", hostExtension,
                        [](const clap_host_t*) {}, [](const clap_host_t*) {}, [](const clap_host_t*) {}};

struct Usage {
    long heap;      // bytes in use
    long resident;  // kilobytes
    int clients;    // X clients
    long resources; // X resources of all clients
};

long residentKilobytes() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * 4;
}

Usage measure(Display* display) {
    Usage u{static_cast<long>(mallinfo2().uordblks), residentKilobytes(), 0, 0};
    XResClient* clients = nullptr;
    XResQueryClients(display, &u.clients, &clients);
    for (int c = 0; c < u.clients; ++c) {
        int kinds = 0;
        XResType* types = nullptr;
        XResQueryClientResources(display, clients[c].resource_base, &kinds, &types);
        for (int k = 0; k < kinds; ++k) u.resources += types[k].count;
        XFree(types);
    }
    XFree(clients);
    return u;
}

// One open and close of the window: create, embed, show, idle a few ticks, hide, destroy.
bool cycle(const clap_plugin_t* plugin, const clap_plugin_gui_t* gui, const clap_plugin_timer_support_t* timer,
           Display* display, Window parent) {
    if (!gui->create(plugin, CLAP_WINDOW_API_X11, false)) return false;
    clap_window_t w{CLAP_WINDOW_API_X11, {}};
    w.x11 = parent;
    const bool shown = gui->set_parent(plugin, &w) && gui->show(plugin);
    for (int t = 0; shown && t < kTimerTicksPerCycle; ++t) {
        for (clap_id id : std::vector<clap_id>(gTimers)) timer->on_timer(plugin, id);
        XSync(display, False);
    }
    gui->hide(plugin);
    gui->destroy(plugin);
    XSync(display, False);
    return shown;
}

void print(const char* when, const Usage& u) {
    std::printf("%s: heap in use %ld bytes, resident %ld KiB, X clients %d, X resources %ld\n", when, u.heap,
                u.resident, u.clients, u.resources);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: tarn-panel-cycles FILE.clap [N]\n");
        return 2;
    }
    const int cycles = argc > 2 ? std::atoi(argv[2]) : 100;
    Display* display = XOpenDisplay(nullptr);
    int event, error;
    if (display == nullptr || !XResQueryExtension(display, &event, &error)) {
        std::printf("SKIP: no X display with the X-Resource extension\n");
        return 77;
    }
    void* lib = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    auto* entry = lib != nullptr ? static_cast<const clap_plugin_entry_t*>(dlsym(lib, "clap_entry")) : nullptr;
    if (entry == nullptr || !entry->init(argv[1])) {
        std::fprintf(stderr, "not a CLAP plug-in: %s\n", argv[1]);
        return 2;
    }
    auto* factory = static_cast<const clap_plugin_factory_t*>(entry->get_factory(CLAP_PLUGIN_FACTORY_ID));
    const clap_plugin_t* plugin = factory->create_plugin(factory, &kHost, factory->get_plugin_descriptor(factory, 0)->id);
    if (plugin == nullptr || !plugin->init(plugin)) return 2;
    auto* gui = static_cast<const clap_plugin_gui_t*>(plugin->get_extension(plugin, CLAP_EXT_GUI));
    auto* timer = static_cast<const clap_plugin_timer_support_t*>(plugin->get_extension(plugin, CLAP_EXT_TIMER_SUPPORT));
    if (gui == nullptr || timer == nullptr) {
        std::printf("FAIL the plug-in has no window\n");
        return 1;
    }
    const Window parent = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 256, 100, 0, 0, 0);
    XMapWindow(display, parent);
    XSync(display, False);

    bool ok = true;
    for (int i = 0; i < kWarmUpCycles; ++i) ok = cycle(plugin, gui, timer, display, parent) && ok;
    const Usage before = measure(display);
    for (int i = 0; i < cycles; ++i) ok = cycle(plugin, gui, timer, display, parent) && ok;
    const Usage after = measure(display);
    print("after the warm-up", before);
    print(("after " + std::to_string(cycles) + " more").c_str(), after);

    const long maxHeapGrowth = kMaxHeapGrowthOnce + kMaxHeapGrowthPerCycle * cycles;
    const bool kept = after.clients == before.clients && after.resources == before.resources &&
                      after.heap - before.heap <= maxHeapGrowth;
    std::printf("%s %d windows opened and closed: X clients and resources %s, heap %+ld bytes (at most %ld)\n",
                ok && kept ? "ok" : "FAIL", cycles,
                after.clients == before.clients && after.resources == before.resources ? "the same" : "CHANGED",
                after.heap - before.heap, maxHeapGrowth);
    plugin->destroy(plugin);
    XDestroyWindow(display, parent);
    XCloseDisplay(display);
    entry->deinit();
    // The library stays loaded: a leak report then names its functions.
    return ok && kept ? 0 : 1;
}
