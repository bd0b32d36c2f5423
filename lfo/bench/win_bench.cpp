// Tarn LFO's process function under Wine, per sample, as a ratio to a plain saw loop of the same
// run; what the modules' floating-point environment costs its 64-frame block; and the DLL's
// figures of the plug-in table.
#include <xmmintrin.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/win_bench_support.h"

using tarnbench::Loaded;

namespace {

void lfo(const std::string& dll) {
    std::printf("Tarn LFO process function (ns/sample, ratio to a plain saw loop)\n");
    for (int block : {64, 1024}) {
        std::vector<float> out(block);
        float phase = 0.0f;
        float* o = out.data();
        const double base = tarnbench::nsPerSample([&] {
            const float inc = 0.5f * 0.00025f;
            float ph = phase;
            for (int k = 0; k < block; ++k) {
                ph += inc;
                if (ph >= 0.5f) ph = -0.5f;
                o[k] = ph;
            }
            phase = ph;
            _mm_sfence();
        }, block);
        std::printf("  block %4d  baseline %.2f\n", block, base);
        for (int16_t wave = 0; wave < 8; ++wave) {
            Loaded m(dll, block, {0.05f, 0.0f, 0.0f}, {0, wave, 0}, nullptr);
            const double ns = tarnbench::nsPerSample([&] { m.process(block); }, block);
            std::printf("  block %4d  wave %d  %.2f  %.2fx\n", block, wave, ns, ns / base);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dll = tarnbench::dllPath(argc, argv, "TarnLFO.dll");
    lfo(dll);
    for (int frames : {64, 1024}) {
        Loaded plugin(dll, frames, {0.5f, 0.0f, 0.0f}, {0, 1, 0}, nullptr);  // Saw at 5 V, as the plug-ins are timed
        tarnbench::printPluginFigure("Tarn LFO", plugin, frames);
    }
    Loaded module(dll, 64, {0.05f, 0.0f, 0.0f}, {0, 1, 0}, nullptr);
    tarnbench::environmentCost("Tarn LFO", module);
    return 0;
}
