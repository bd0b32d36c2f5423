// The silent benchmark host.
#include "bench_host.h"

namespace tarnbench {

int32_t BenchHost::pinCount = 0;

HostWord TARN_CDECL BenchHost::callback(void*, int32_t opcode, HostWord, int32_t, void*, float) {
    return opcode == HOST_GET_PIN_COUNT ? pinCount : 0;
}

void bindPins(ModuleRecord* rec, float** buffers, int16_t* choices, const char** texts, int pins) {
    for (int i = 0; i < pins; ++i) {
        PinProperties p{};
        if (rec->dispatcher(rec, MOD_GET_PIN_PROPERTIES, i, 0, &p, 0) == 0) break;
        if (p.variable == nullptr) continue;
        if (p.datatype == DT_AUDIO) *static_cast<float**>(p.variable) = buffers[i];
        if (p.datatype == DT_ENUM) *static_cast<int16_t*>(p.variable) = choices[i];
        if (p.datatype == DT_TEXT) *static_cast<const char**>(p.variable) = texts[i];
    }
}

}  // namespace tarnbench
