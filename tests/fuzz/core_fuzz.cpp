// Host call sequences on the signal object of a module that brings only its core
// (frame/core_module.h); every text is acceptable. TARN_FUZZ_CORE and TARN_FUZZ_CORE_HEADER name
// the core, as its description does.
#include <string>

#include "frame/core_module.h"
#include "host_calls_fuzz.h"
#include TARN_FUZZ_CORE_HEADER

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tarnfuzz::runHostCalls<tarn::CoreModule<TARN_FUZZ_CORE>>(data, size, [](const std::string&) { return true; });
}
