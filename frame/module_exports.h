// A module library's two exports, from its description and the classes of its objects:
// TARN_MODULE_EXPORTS(Signal, Panel) in the library's one generated entry source (see
// cmake/module_description.py). Signal::kDescription says what getModuleProperties reports.
#pragma once

#include <type_traits>

#include "common/module_description.h"
#include "entry_points.h"
#include "module_base.h"

namespace tarn {

// The Panel of a module without one: makeModule answers null for kind 2.
struct NoPanel {};

// [main] The interface version first, whatever the index; then, for index 0, the texts and
// the flags where the module writes them. 0 for a null record or another index.
template <class Signal>
int32_t moduleProperties(int32_t index, ModuleProperties* props) noexcept {
    static_assert(Signal::kDescription.frame == kInterfaceVersion, "the module's frame is linked");
    const ModuleDescription& d = Signal::kDescription;
    const ModuleFpScope fp;
    if (props == nullptr) return 0;
    props->sdkVersion = kInterfaceVersion;
    if (index != 0) return 0;
    props->name = d.name;
    props->id = d.id;
    props->about = d.about;
    if (d.writesFlags) props->flags = d.flags;
    return 1;
}

// [main] A new object of index 0: kind 1 the signal object, kind 2 the panel where the module
// has one; null for anything else and when memory runs out.
template <class Signal, class Panel>
void* makeModuleObject(int32_t index, int32_t kind, HostCallback callback, int32_t hostData) noexcept {
    ModuleFpScope fp;
    if (index != 0) return nullptr;
    if (kind == KIND_SIGNAL) return makeObject<Signal>(callback, hostData, fp.host());
    if constexpr (!std::is_same_v<Panel, NoPanel>) {
        if (kind == KIND_GUI) return makeObject<Panel>(callback, hostData, fp.host());
    }
    return nullptr;
}

}  // namespace tarn

#define TARN_MODULE_EXPORTS(Signal, Panel)                                                        \
    TARN_DLL_ENTRY_POINT                                                                          \
    /* [main] */                                                                                  \
    TARN_EXPORT int32_t TARN_CDECL getModuleProperties(int32_t index, ModuleProperties* props) {  \
        return tarn::moduleProperties<Signal>(index, props);                                      \
    }                                                                                             \
    /* [main] */                                                                                  \
    TARN_EXPORT void* TARN_CDECL makeModule(int32_t index, int32_t kind, HostCallback callback,   \
                                            int32_t hostData) {                                   \
        return tarn::makeModuleObject<Signal, Panel>(index, kind, callback, hostData);            \
    }
