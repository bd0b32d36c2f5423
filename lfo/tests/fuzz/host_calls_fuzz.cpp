// Host call sequences on Tarn LFO's signal object (the harness: tests/fuzz/host_calls_fuzz.h).
#include <string>

#include "host_calls_fuzz.h"
#include "lfo/lfo_module.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tarnfuzz::runHostCalls<tarn::LfoModule>(data, size, [](const std::string&) { return true; });
}
