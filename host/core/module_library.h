// A module library loaded the way the host loads one: by path, with its two exports.
#pragma once

#include <string>

#include "frame/host_interface.h"

namespace tarnhost {

class ModuleLibrary {
public:
    ModuleLibrary() = default;
    ~ModuleLibrary();
    ModuleLibrary(const ModuleLibrary&) = delete;
    ModuleLibrary& operator=(const ModuleLibrary&) = delete;

    // [main] Loads the library and finds both exports; throws Error saying what went wrong.
    void load(const std::string& path);
    // [main]
    void unload();
    void* handle() const { return handle_; }

    // [main] The two exports, each called in the host's floating-point environment for module
    // calls.
    int32_t getModuleProperties(int32_t index, ModuleProperties* props) const;
    void* makeModule(int32_t index, int32_t kind, HostCallback callback, int32_t hostData) const;

    // The exports as found (a native build's tests set them).
    GetModulePropertiesFn getModulePropertiesEntry = nullptr;
    MakeModuleFn makeModuleEntry = nullptr;
    std::string path;

private:
    void* handle_ = nullptr;
};

}  // namespace tarnhost
