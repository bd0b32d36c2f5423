// The validator's battery for the panel: random mouse sequences over random view sizes with
// menus dismissed and chosen and pin changes during drags, GDI balance of every paint, and the
// write-back of random shape texts.
#include <windows.h>

#include <memory>

#include "host/core/gui_host.h"
#include "host/core/import_watch.h"
#include "host/core/menu_driver.h"
#include "host/core/signal_host.h"
#include "host/validator/validate_probe.h"
#include "host/validator/validator.h"

namespace tarnhost {

namespace {

Verdict noPanel() { return Verdict::skip("the module has no panel (makeModule kind 2 is null)"); }

Verdict loadMemoryGui(Validator& v) {
    Instance in(v);  // one signal object and window stand for the host's
    return cyclesLeaveNothing(v, [&] {
        GuiHost gui(v.library(), in.signal, nullptr);
        gui.create();
        gui.adoptWindow(in.gui->window());
        gui.open();
        gui.paint();
        gui.close();
    });
}

Verdict panelGdiBalance(Validator& v) {
    watchImports(v.library().handle());
    Instance in(v);
    RandomTexts gen = v.randomTexts();
    const int sizes[][2] = {{in.gui->requestedWidth(), in.gui->requestedHeight()}, {0, 0}, {1, 1}, {37, 500}, {600, 13}};
    int objects = 0;
    for (int step = 0; step < v.scaled(50); ++step) {
        const auto* s = sizes[step % 5];
        in.gui->setViewSize(s[0], s[1]);
        if (step % 2 == 1) in.pinChange(gen.next());
        in.gui->paint();
        if (!in.gui->paintGdiVerdict().empty())
            return Verdict::fail("paint " + std::to_string(step) + " at " + std::to_string(s[0]) + "x" + std::to_string(s[1]) +
                   ": " + in.gui->paintGdiVerdict());
        objects += in.gui->paintGdiObjects();
    }
    if (objects == 0) return Verdict::note("the panel created no GDI object the watch could see");
    return Verdict::note(std::to_string(objects) + " GDI objects created, each deleted once, none while selected");
}

Verdict panelCapturePairs(Validator& v) {
    Instance in(v);
    const int w = in.gui->width(), h = in.gui->height();
    for (int step = 0; step < v.scaled(100); ++step) {
        const uint64_t r = v.rng()();
        const int x = static_cast<int>(r % (w + 1)), y = static_cast<int>((r >> 16) % (h + 1));
        {
            MenuDriver menu;  // a press may open a menu: dismissed
            menu.start({});
            in.gui->press(x, y);
            menu.finish();
        }
        for (int m = 0; m < static_cast<int>((r >> 32) % 4); ++m) in.gui->move((x + 7 * m) % (w + 1), y);
        in.gui->release();
        if ((r >> 40) % 4 == 0) in.gui->release();  // a stray button-up
        if (!in.gui->captureProblem().empty())
            return Verdict::fail("step " + std::to_string(step) + ": " + in.gui->captureProblem());
    }
    return Verdict::pass();
}

Verdict panelRandomSequences(Validator& v) {
    watchImports(v.library().handle());
    Instance in(v);
    RandomTexts gen = v.randomTexts();
    const int sizes[][2] = {{0, 0}, {1, 1}, {in.gui->requestedWidth(), in.gui->requestedHeight()}, {37, 500}, {600, 13}};
    for (int step = 0; step < v.scaled(400); ++step) {
        const uint64_t r = v.rng()();
        if (step % 40 == 0) {
            const auto* s = sizes[(r >> 4) % 5];
            in.gui->setViewSize(s[0], s[1]);
        }
        const int w = in.gui->width(), h = in.gui->height();
        const int x = static_cast<int>((r >> 8) % (w + 40)) - 20;
        const int y = static_cast<int>((r >> 24) % (h + 40)) - 20;
        switch (r % 8) {
        case 0:
        case 1: {
            MenuDriver menu;
            if ((r >> 40) % 2 == 0) menu.start({});
            else menu.startRandom(r);
            in.gui->press(x, (r >> 41) % 2 == 0 ? y : static_cast<int>((r >> 42) % 12));
            menu.finish();
            break;
        }
        case 2:
        case 3:
        case 4: in.gui->move(x, y); break;
        case 5: in.gui->release(); break;
        case 6: in.pinChange(gen.next()); break;
        default: in.gui->paint(); break;
        }
        if (r % 3 == 0) in.gui->paint();
        if (!in.gui->paintGdiVerdict().empty())
            return Verdict::fail("step " + std::to_string(step) + ": a paint " + in.gui->paintGdiVerdict());
        const CallReport c = in.signal.process(0, 64);
        if (c.called && c.nonFinite) return Verdict::fail("step " + std::to_string(step) + ": the signal side wrote a non-finite sample");
    }
    return Verdict::pass();
}

Verdict panelWriteBack(Validator& v) {
    const TextGrammar& grammar = v.specifics().text;
    if (!grammar.knowsWriteBack()) return Verdict::skip("the module writes no shape text the validator knows");
    Instance in(v);
    RandomTexts gen = v.randomTexts();
    for (int i = 0; i < v.scaled(10000); ++i) {
        in.pinChange(gen.next());
        in.gui->press(100, 50);
        in.gui->release();
        const std::string why = grammar.writeBackProblem(in.text());
        if (!why.empty())
            return Verdict::fail("text " + std::to_string(i) + " (" + gen.describe() + "): the write-back is malformed: " + why);
        const CallReport c = in.signal.process(0, 64);
        if (c.called && c.nonFinite) return Verdict::fail("text " + std::to_string(i) + ": a non-finite sample");
    }
    return Verdict::pass();
}

}  // namespace

void validatePanel(Validator& v) {
    if (!hasPanel(v)) {
        v.check("panel", [] { return noPanel(); });
        return;
    }
    v.check("load.memory.gui", [&] { return loadMemoryGui(v); });
    v.check("panel.gdi-balance", [&] { return panelGdiBalance(v); });
    v.check("panel.capture-pairs", [&] { return panelCapturePairs(v); });
    v.check("panel.random-sequences", [&] { return panelRandomSequences(v); });
    v.check("panel.write-back", [&] { return panelWriteBack(v); });
}

}  // namespace tarnhost
