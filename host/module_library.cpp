// LoadLibrary / GetProcAddress for module libraries.
#include "module_library.h"

#include <windows.h>

namespace tarnhost {

ModuleLibrary::~ModuleLibrary() { unload(); }

bool ModuleLibrary::load(const std::string& p, std::string& error) {
    unload();
    path = p;
    HMODULE h = LoadLibraryA(p.c_str());
    if (h == nullptr) {
        error = "cannot load " + p + " (Windows error " + std::to_string(GetLastError()) + ")";
        return false;
    }
    handle_ = h;
    // FARPROC is a placeholder type; the exports have the C calling convention.
    getModuleProperties = reinterpret_cast<GetModulePropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(h, "getModuleProperties")));
    makeModule =
        reinterpret_cast<MakeModuleFn>(reinterpret_cast<void*>(GetProcAddress(h, "makeModule")));
    if (getModuleProperties == nullptr || makeModule == nullptr) {
        error = p + " lacks the export " +
                std::string(getModuleProperties == nullptr ? "getModuleProperties" : "makeModule");
        unload();
        return false;
    }
    return true;
}

void ModuleLibrary::unload() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    getModuleProperties = nullptr;
    makeModule = nullptr;
}

}  // namespace tarnhost
