// Timing of the DLLs the host loads, under Wine: each process function per sample, as a ratio
// to a plain loop of the same per-sample work measured in the same run. Google Benchmark is not
// built for Windows here, so this keeps to the same rule by hand: best of several repetitions,
// every figure read against its baseline.
#include <windows.h>
#include <xmmintrin.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/module_library.h"
#include "host/core/signal_host.h"
#include "wave_table_reference.h"

namespace {

// Best of seven repetitions of `calls` calls, in ns per call.
double bestNsPerCall(const std::function<void()>& call, int calls) {
    LARGE_INTEGER f, a, b;
    QueryPerformanceFrequency(&f);
    double best = 1e30;
    for (int rep = 0; rep < 7; ++rep) {
        QueryPerformanceCounter(&a);
        for (int i = 0; i < calls; ++i) call();
        QueryPerformanceCounter(&b);
        const double ns = (b.QuadPart - a.QuadPart) * 1e9 / f.QuadPart / calls;
        if (ns < best) best = ns;
    }
    return best;
}

double nsPerSample(const std::function<void()>& block, int frames) {
    return bestNsPerCall(block, 200000 / frames + 20) / frames;
}

// A module set up through the host core: pins bound, inputs held at values (signal units),
// choices and text, opened. The timed calls go straight to the module's current process entry,
// so that the figures are the module's alone.
struct Loaded {
    tarnhost::ModuleLibrary library;
    std::unique_ptr<tarnhost::SignalHost> host;
    ModuleRecord* rec = nullptr;
    Loaded(const std::string& path, int block, std::vector<float> values, std::vector<int16_t> choices,
           const char* text) {
        try {
            library.load(path);
            host = std::make_unique<tarnhost::SignalHost>(library, nullptr);
            host->create();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s\n", e.what());
            std::exit(1);
        }
        host->setBlockSize(block);
        host->queryPins();
        for (int i = 0; i < host->pinCount() && i < static_cast<int>(values.size()); ++i) {
            if (host->pin(i).direction != DIR_IN) continue;
            if (host->pin(i).datatype == DT_AUDIO) host->setAudio(i, values[i], false);
            if (host->pin(i).datatype == DT_ENUM) host->setChoice(i, choices[i], false);
        }
        if (host->textPin() >= 0) host->setText(host->textPin(), text != nullptr ? text : "", false);
        host->open();
        rec = host->record();
    }
    void process(int n) { host->processEntry()(rec->object, 0, n); }
};

void lfo(const std::string& dist) {
    std::printf("Tarn LFO process function (ns/sample, ratio to a plain saw loop)\n");
    for (int block : {64, 1024}) {
        std::vector<float> out(block);
        float phase = 0.0f;
        float* o = out.data();
        const double base = nsPerSample([&] {
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
            Loaded m(dist + "\\TarnLFO.dll", block, {0.05f, 0.0f, 0.0f}, {0, wave, 0}, nullptr);
            const double ns = nsPerSample([&] { m.process(block); }, block);
            std::printf("  block %4d  wave %d  %.2f  %.2fx\n", block, wave, ns, ns / base);
        }
    }
}

void contour4(const std::string& dist) {
    std::printf("Tarn Contour4 generate (ns/sample, ratio to the same per-sample work in one loop)\n");
    for (int block : {64, 1024}) {
        for (float pitch : {0.5f, 0.78f}) {
            Loaded m(dist + "\\TarnContour4.dll", block, {0, pitch, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, "");
            std::vector<float> value(251, 0.1f), slope(251, 0.01f), out(block), sync(block, 0.0f);
            float phase = 0.0f, last = 0.0f;
            const float inc = 0.0627f * (pitch == 0.5f ? 1.0f : 6.6f);
            const float *v = value.data(), *sl = slope.data(), *sy = sync.data();
            float* o = out.data();
            const double base = nsPerSample([&] {
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
            const double ns = nsPerSample([&] { m.process(block); }, block);
            std::printf("  block %4d  %4.0f Hz  baseline %.2f  generate %.2f  %.2fx\n", block,
                        440.0 * (pitch == 0.5f ? 1 : 6.73), base, ns, ns / base);
        }
    }
}

// A shape change as the host delivers it (a pin event), against the plain table build compiled
// into this program with the same compiler and flags.
void rebuild(const std::string& dist) {
    std::printf("Tarn Contour4 shape change (us per rebuild, ratio to the plain build)\n");
    const char* texts[] = {"", "(-5,3.5)(-0.2,3.5)(0,-3.5)(4.8,-3.5)(5,3.5)"};
    for (const char* text : texts) {
        Loaded m(dist + "\\TarnContour4.dll", 64, {0, 0.5f, 0, 0.8f, 0}, {0, 0, 0, 0, 0}, text);
        ModuleEvent ev{};
        ev.type = EV_PIN_STATUS;
        ev.target = nullptr;  // pin 0, "shape"
        const double dll = bestNsPerCall([&] { m.rec->event(m.rec->object, &ev); }, 2000) / 1000;
        static tarn::WaveTable table;
        const double plain = bestNsPerCall([&] { tarntest::referenceRebuild(table, text); }, 500) / 1000;
        std::printf("  %-12.12s  plain %.1f  DLL %.1f  %.2fx faster\n", *text ? text : "(default)", plain,
                    dll, plain / dll);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string dist = argc > 1 ? argv[1] : "dist";
    lfo(dist);
    contour4(dist);
    rebuild(dist);
    return 0;
}
