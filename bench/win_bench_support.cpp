// Timing helpers of the Windows benchmarks and a module made through its DLL.
#include "win_bench_support.h"

#include <windows.h>
#include <xmmintrin.h>

#include <cstdio>
#include <cstdlib>

#include "bench_host.h"
#include "common/fp_env.h"
#include "host/core/fp_environments.h"

namespace tarnbench {

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

Loaded::Loaded(const std::string& path, int block, std::vector<float> values, std::vector<int16_t> choices,
               const char* text) {
    try {
        library.load(path);
        host = std::make_unique<tarnhost::SignalHost>(library, nullptr);
        host->create();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        std::exit(1);
    }
    openForTiming(*host, block, values, choices, text);
    rec = host->record();
}

std::string dllPath(int argc, char** argv, const char* file) {
    return std::string(argc > 1 ? argv[1] : "dist") + "\\" + file;
}

void printPluginFigure(const char* module, Loaded& loaded, int frames) {
#if defined(_WIN64)
    constexpr const char* kBuild = "DLL x86-64";
#else
    constexpr const char* kBuild = "DLL i686";
#endif
    const double ns = bestNsPerCall([&] { loaded.process(frames); }, 2000000 / frames + 100);
    std::printf("plugin/%s/%s (Wine)/%d\t%.1f\n", module, kBuild, frames, ns);
}

namespace {
void TARN_CDECL emptyEntry(void*, int32_t, int32_t) { _mm_sfence(); }
void TARN_CDECL guardedEmptyEntry(void*, int32_t, int32_t) {
    tarn::ModuleFpScope fp(tarn::X87Status::LeftToTheCode);
    _mm_sfence();
}
}  // namespace

void environmentCost(const char* name, Loaded& module) {
    std::printf("%s: entering the modules' floating-point environment (ns per 64-frame block, share of it)\n", name);
    ProcessEntry volatile plain = &emptyEntry;
    ProcessEntry volatile guarded = &guardedEmptyEntry;
    const tarnhost::FpState own = tarnhost::readFpState();
    for (const char* environment : {"default", "round-down"}) {
        tarnhost::setFpControl(tarnhost::findFpEnvironment(environment)->control);
        const double cost = bestNsPerCall([&] { guarded(nullptr, 0, 64); }, 200000) -
                            bestNsPerCall([&] { plain(nullptr, 0, 64); }, 200000);
        const double block = bestNsPerCall([&] { module.process(64); }, 20000);
        tarnhost::restoreFpState(own);
        std::printf("  host %-10s  entry and exit %.2f  block %.1f (%.1f%%)\n", environment, cost, block,
                    100.0 * cost / block);
    }
}

}  // namespace tarnbench
