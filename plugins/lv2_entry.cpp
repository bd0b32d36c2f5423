// The LV2 entry of every module: DPF's (compiled under another name in lv2_dpf.cpp) without the
// programs interface. DPF's select_program reads the plug-in's state back in the same call, which
// allocates and makes Contour4 build the program's tables on the caller's thread, and a host may
// call it on its audio thread (a MIDI program change). Hosts load the same shapes as LV2 presets:
// a state restored, never on an audio thread.
#include <cstring>

#include "src/lv2/lv2.h"
#include "src/lv2/lv2_programs.h"

extern "C" const LV2_Descriptor* tarn_dpf_lv2_descriptor(uint32_t index);

namespace {

// [main]
const void* extensionData(const char* uri) {
    if (std::strcmp(uri, LV2_PROGRAMS__Interface) == 0) return nullptr;
    return tarn_dpf_lv2_descriptor(0)->extension_data(uri);
}

}  // namespace

// [main] DPF's descriptor but for its extension data.
extern "C" LV2_SYMBOL_EXPORT const LV2_Descriptor* lv2_descriptor(uint32_t index) {
    static const LV2_Descriptor descriptor = [] {
        LV2_Descriptor d = *tarn_dpf_lv2_descriptor(0);
        d.extension_data = extensionData;
        return d;
    }();
    return index == 0 ? &descriptor : nullptr;
}
