// tarn-panel-render: the panel as the plug-in windows run it (its own code behind the panel
// host, drawn with Cairo), without a window: the same events as `tarn-host panel`, the final
// "shape: TEXT" on standard output and the painted panel as a PNG.
//   tarn-panel-render [--shape TEXT] [--press X,Y] [--move X,Y] [--release] [--menu PATH]
//                     [--key up|down|left|right|enter|escape] [--png FILE] [--menu-points PATH]
// --menu PATH presses at (5, 5), which opens the drawn menu, moves the pointer over each row
// whose text is the next part of PATH (parts joined by "/") and presses and releases on the last.
// --menu-points PATH does the same but for the click, and prints "X,Y" of each row it moved to:
// where a script drives a real window's menu.
#include <cairo.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "contour4/ui/panel_host.h"

namespace {

constexpr int kMenuPressX = 5;
constexpr int kMenuPressY = 5;

struct Window : tarn::PanelHost::Listener {
    std::vector<std::string> writes;
    void shapeWritten(const std::string& text) override { writes.push_back(text); }
    void repaintAsked() override {}
};

bool parsePoint(const char* text, int& x, int& y) { return std::sscanf(text, "%d,%d", &x, &y) == 2; }

std::vector<std::string> splitPath(const std::string& path) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(path.substr(start, slash - start));
    parts.push_back(path.substr(start));
    return parts;
}

// Moves over each row of the path, one column deeper each step, then clicks the last (or, with
// `points`, prints where each row is and leaves the menu open).
bool pickFromMenu(tarn::PanelHost& panel, const std::string& path, bool points = false) {
    panel.press(kMenuPressX, kMenuPressY);
    panel.release(kMenuPressX, kMenuPressY);
    const std::vector<std::string> parts = splitPath(path);
    for (size_t level = 0; level < parts.size(); ++level) {
        const tarn::DrawnMenu& menu = panel.menu();
        if (!menu.isOpen() || menu.columnCount() <= static_cast<int>(level)) return false;
        const int column = static_cast<int>(level);
        int row = -1;
        for (int r = 0; r < menu.rowCount(column); ++r)
            if (menu.rowText(column, r) == parts[level]) row = r;
        if (row < 0) return false;
        const tarn::DrawnMenu::Box box = menu.rowBox(column, row);
        const int x = (box.left + box.right) / 2;
        const int y = (box.top + box.bottom) / 2;
        panel.move(x, y);
        if (points) std::printf("%d,%d\n", x, y);
        else if (level + 1 == parts.size()) {
            panel.press(x, y);
            panel.release(x, y);
        }
    }
    return points || !panel.menuOpen();
}

bool keyNamed(const char* name, tarn::MenuKey& key) {
    const struct {
        const char* name;
        tarn::MenuKey key;
    } keys[] = {{"up", tarn::MenuKey::UP},       {"down", tarn::MenuKey::DOWN},
                {"left", tarn::MenuKey::LEFT},   {"right", tarn::MenuKey::RIGHT},
                {"enter", tarn::MenuKey::ENTER}, {"escape", tarn::MenuKey::ESCAPE}};
    for (const auto& k : keys)
        if (std::strcmp(name, k.name) == 0) {
            key = k.key;
            return true;
        }
    return false;
}

bool writePng(tarn::PanelHost& panel, const char* path) {
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, panel.width(), panel.height());
    cairo_t* cr = cairo_create(surface);
    panel.paint(cr);
    cairo_destroy(cr);
    const bool ok = cairo_surface_write_to_png(surface, path) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return ok;
}

int usage(const std::string& why) {
    std::fprintf(stderr, "tarn-panel-render: %s\n", why.c_str());
    return 2;
}

// One event with its value; "" when it ran, else what was wrong.
std::string runEvent(tarn::PanelHost& panel, const std::string& option, const char* value, int& x, int& y) {
    tarn::MenuKey key;
    if (option == "--press") return parsePoint(value, x, y) ? (panel.press(x, y), "") : "bad point";
    if (option == "--move") return parsePoint(value, x, y) ? (panel.move(x, y), "") : "bad point";
    if (option == "--menu") return pickFromMenu(panel, value) ? "" : "no such menu item";
    if (option == "--menu-points") return pickFromMenu(panel, value, true) ? "" : "no such menu item";
    if (option == "--key") return keyNamed(value, key) ? (panel.key(key), "") : "no such key";
    if (option == "--png") return writePng(panel, value) ? "" : "cannot write the picture";
    return "unknown option " + option;
}

}  // namespace

int main(int argc, char** argv) {
    Window window;
    tarn::PanelHost panel(window);
    int i = 1;
    std::string shape;
    if (i + 1 < argc && std::strcmp(argv[i], "--shape") == 0) {
        shape = argv[i + 1];
        i += 2;
    }
    panel.showShape(shape);
    int x = 0, y = 0;
    for (; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--release") {
            panel.release(x, y);
            continue;
        }
        if (i + 1 >= argc) return usage("missing value for " + option);
        const std::string problem = runEvent(panel, option, argv[++i], x, y);
        if (!problem.empty()) return usage(problem);
    }
    if (!panel.menuOpen()) std::printf("shape: %s\n", panel.shapeText().c_str());
    return 0;
}
