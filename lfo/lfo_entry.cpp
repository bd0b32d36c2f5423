// The two exports of the Tarn LFO library.
#include "frame/entry_points.h"
#include "lfo/lfo_module.h"

TARN_DLL_ENTRY_POINT

TARN_EXPORT int32_t TARN_CDECL getModuleProperties(int32_t index, ModuleProperties* props) {
    const tarn::ModuleFpScope fp;
    if (props == nullptr) return 0;
    props->sdkVersion = tarn::kInterfaceVersion;
    if (index != 0) return 0;
    props->name = "Tarn LFO";
    props->id = "Tarn LFO";
    props->about = tarn::LfoModule::kAbout;
    return 1;
}

TARN_EXPORT void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback,
                                        int32_t hostData) {
    tarn::ModuleFpScope fp;
    if (index != 0 || kind != KIND_SIGNAL) return nullptr;
    return tarn::makeObject<tarn::LfoModule>(callback, hostData, fp.host());
}
