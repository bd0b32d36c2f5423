// Tarn Contour4 under Wine: generate per sample against the same per-sample work in one loop of
// the same run, a shape change against the plain table build, and what the modules'
// floating-point environment costs a 64-frame block; and the DLL's figures of the plug-in table.
#include <xmmintrin.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/win_bench_support.h"
#include "wave_table_reference.h"

using tarnbench::Loaded;

namespace {

void contour4(const std::string& dll) {
    std::printf("Tarn Contour4 generate (ns/sample, ratio to the same per-sample work in one loop)\n");
    for (int block : {64, 1024}) {
        for (float pitch : {0.5f, 0.78f}) {
            Loaded m(dll, block, {0, pitch, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, "");
            std::vector<float> value(251, 0.1f), slope(251, 0.01f), out(block), sync(block, 0.0f);
            float phase = 0.0f, last = 0.0f;
            const float inc = 0.0627f * (pitch == 0.5f ? 1.0f : 6.6f);
            const float *v = value.data(), *sl = slope.data(), *sy = sync.data();
            float* o = out.data();
            const double base = tarnbench::nsPerSample([&] {
                float ph = phase, ls = last;
                for (int n = 0; n < block; ++n) {
                    ph += inc;
                    if (ph >= 6.2831855f) ph -= 6.2831855f;
                    if (ls < 0.0f && sy[n] >= 0.0f) ph = 0.0f;
                    ls = sy[n];
                    const float pos = 39.390846f * ph;
                    const int i = _mm_cvtss_si32(_mm_set_ss(pos));
                    o[n] = (v[i] + (pos - static_cast<float>(i)) * sl[i]) * 0.8f;
                }
                phase = ph;
                last = ls;
                _mm_sfence();
            }, block);
            const double ns = tarnbench::nsPerSample([&] { m.process(block); }, block);
            std::printf("  block %4d  %4.0f Hz  baseline %.2f  generate %.2f  %.2fx\n", block,
                        440.0 * (pitch == 0.5f ? 1 : 6.73), base, ns, ns / base);
        }
    }
}

// A shape change as the host delivers it (a pin event), against the plain table build compiled
// into this program with the same compiler and flags.
void rebuild(const std::string& dll) {
    std::printf("Tarn Contour4 shape change (us per rebuild, ratio to the plain build)\n");
    const char* texts[] = {"", "(-5,3.5)(-0.2,3.5)(0,-3.5)(4.8,-3.5)(5,3.5)"};
    for (const char* text : texts) {
        Loaded m(dll, 64, {0, 0.5f, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, text);
        ModuleEvent ev{};
        ev.type = EV_PIN_STATUS;
        ev.target = nullptr;  // pin 0, "shape"
        const double inDll = tarnbench::bestNsPerCall([&] { m.rec->event(m.rec->object, &ev); }, 2000) / 1000;
        static tarn::WaveTable table;
        const double plain = tarnbench::bestNsPerCall([&] { tarntest::referenceRebuild(table, text); }, 500) / 1000;
        std::printf("  %-12.12s  plain %.1f  DLL %.1f  %.2fx faster\n", *text ? text : "(default)", plain,
                    inDll, plain / inDll);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dll = tarnbench::dllPath(argc, argv, "TarnContour4.dll");
    contour4(dll);
    rebuild(dll);
    for (int frames : {64, 1024}) {
        Loaded plugin(dll, frames, {0, 0.5f, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, "");  // as the plug-ins are timed
        tarnbench::printPluginFigure("Tarn Contour4", plugin, frames);
    }
    Loaded module(dll, 64, {0, 0.5f, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, "");
    tarnbench::environmentCost("Tarn Contour4", module);
    return 0;
}
