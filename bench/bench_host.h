// A module for timing: made through its library's two entry points and set up by the host
// core, which binds the pins to buffers of its own. The timed calls go straight to the module's
// current process entry, so that the figures are the module's alone.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "frame/host_interface.h"
#include "host/core/module_library.h"
#include "host/core/signal_host.h"

namespace tarnbench {

// A made module's pins bound, inputs held at values (signal units, by declared pin), choices
// and the text, then opened.
void openForTiming(tarnhost::SignalHost& host, int block, const std::vector<float>& values,
                   const std::vector<int16_t>& choices, const char* text);

class BenchModule {
public:
    // Inputs held at values (signal units, by declared pin), choices and the text, then opened.
    BenchModule(MakeModuleFn make, int block, const std::vector<float>& values,
                const std::vector<int16_t>& choices = {}, const char* text = "");
    void process(int count) { host_->processEntry()(host_->record()->object, 0, count); }
    ModuleRecord* record() { return host_->record(); }
    const float* output() const { return host_->output(); }
    void* object() { return record()->object; }  // the module's object, as its record names it

private:
    tarnhost::ModuleLibrary library_;
    std::unique_ptr<tarnhost::SignalHost> host_;
};

}  // namespace tarnbench
