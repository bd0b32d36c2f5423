// What every module's timing under Wine shares: the best of several repetitions of a call, and a
// module made through its DLL and set up by the host core, whose process entry alone is timed.
// Google Benchmark is not built for Windows here, so the timings keep to its rule by hand: best
// of several repetitions, every figure read against a baseline of the same run.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/module_library.h"
#include "host/core/signal_host.h"

namespace tarnbench {

// Best of seven repetitions of `calls` calls, in ns per call.
double bestNsPerCall(const std::function<void()>& call, int calls);
// The same for one block of `frames`, in ns per frame.
double nsPerSample(const std::function<void()>& block, int frames);

// A module set up through the host core: pins bound, inputs held at values (signal units, by
// declared pin), choices and text, opened. The timed calls go straight to the module's current
// process entry, so that the figures are the module's alone.
struct Loaded {
    tarnhost::ModuleLibrary library;
    std::unique_ptr<tarnhost::SignalHost> host;
    ModuleRecord* rec = nullptr;
    Loaded(const std::string& path, int block, std::vector<float> values, std::vector<int16_t> choices,
           const char* text);
    void process(int n) { host->processEntry()(rec->object, 0, n); }
};

// The module's DLL in the folder given on the command line (default "dist").
std::string dllPath(int argc, char** argv, const char* file);

// One figure of the plug-in table (scripts/bench.sh): the module's process entry at `frames`,
// "plugin/MODULE/DLL BUILD (Wine)/FRAMES<TAB>NS".
void printPluginFigure(const char* module, Loaded& loaded, int frames);

// What entering and leaving the modules' floating-point environment costs a process entry, against
// one 64-frame block of `module`: with the host in the modules' environment, and in another.
void environmentCost(const char* name, Loaded& module);

}  // namespace tarnbench
