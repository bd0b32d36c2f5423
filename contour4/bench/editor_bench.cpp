// The panel's paint and one drag step, against the recording GDI stand-in, next to a baseline
// that only walks the 25 nodes' pixel positions.
#include <benchmark/benchmark.h>

#include "contour4/editor/contour4_gui.h"
#include "gdi_recorder.h"

namespace {

HostWord TARN_CDECL quietHost(void*, int32_t opcode, HostWord, int32_t, void*, float) {
    static const char* text = "";
    if (opcode == GUI_HOST_GET_PIN_TEXT) return reinterpret_cast<HostWord>(text);
    return opcode == GUI_HOST_HAS_CAPTURE ? 1 : 0;
}

struct Panel {
    tarn::Contour4Gui* gui = new tarn::Contour4Gui(&quietHost, 0);
    ViewRecord view{256, 100, 1};
    Panel() { tarn::parseShapeText(gui->nodes, tarn::kDefaultShapeText); }
    ~Panel() {
        GuiRecord& r = gui->record();
        r.dispatcher(&r, GUI_CLOSE, 0, 0, nullptr, 0);
    }
};

void BM_NodePositionsBaseline(benchmark::State& state) {
    Panel p;
    for (auto _ : state) {
        int sum = 0;
        for (const tarn::Node& n : p.gui->nodes) sum += static_cast<int>(2.56f * n.x + 0.5f);
        benchmark::DoNotOptimize(sum);
    }
}

void BM_EditorPaint(benchmark::State& state) {
    Panel p;
    for (auto _ : state) {
        tarntest::gdi().calls.clear();
        tarntest::gdi().objects.clear();
        p.gui->paint(reinterpret_cast<void*>(0x99), &p.view);
    }
}

void BM_EditorDragStep(benchmark::State& state) {
    Panel p;
    int y = 20;
    for (auto _ : state) {
        p.gui->onMouseMove(&p.view, 0, tarn::GuiPoint{128, y});
        y = y == 80 ? 20 : y + 1;
    }
}

BENCHMARK(BM_NodePositionsBaseline);
BENCHMARK(BM_EditorPaint);
BENCHMARK(BM_EditorDragStep);

}  // namespace
