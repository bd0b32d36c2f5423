// The two exports of the Tarn Contour4 library.
#include "contour4/contour4_module.h"
#include "contour4/editor/contour4_gui.h"
#include "frame/entry_points.h"

TARN_DLL_ENTRY_POINT

namespace {
constexpr int32_t kModuleFlags = 0x180;
}

TARN_EXPORT int32_t TARN_CDECL getModuleProperties(int32_t index, ModuleProperties* props) {
    const tarn::ModuleFpScope fp;
    if (props == nullptr) return 0;
    props->sdkVersion = tarn::kInterfaceVersion;
    if (index != 0) return 0;
    props->name = "Tarn Contour4";
    props->id = "Tarn Contour4";
    props->about = "Tarn Contour4 by the Tarn module makers, 2026";
    props->flags = kModuleFlags;
    return 1;
}

TARN_EXPORT void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback,
                                        int32_t hostData) {
    tarn::ModuleFpScope fp;
    if (index != 0) return nullptr;
    if (kind == KIND_SIGNAL) return tarn::makeObject<tarn::Contour4Module>(callback, hostData, fp.host());
    if (kind == KIND_GUI) return tarn::makeObject<tarn::Contour4Gui>(callback, hostData, fp.host());
    return nullptr;
}
