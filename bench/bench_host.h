// A silent host for benchmarks: answers the few calls a module makes, records nothing.
#pragma once

#include <cstdint>

#include "frame/host_interface.h"

namespace tarnbench {

struct BenchHost {
    static HostWord TARN_CDECL callback(void* record, int32_t opcode, HostWord index,
                                        int32_t value, void* ptr, float opt);
    static int32_t pinCount;
};

// Binds every declared pin of a record to `buffers[i]` (audio) or `choices[i]` (enum).
void bindPins(ModuleRecord* rec, float** buffers, int16_t* choices, const char** texts, int pins);

}  // namespace tarnbench
