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

    // Loads the library and finds both exports; on failure error says what went wrong.
    bool load(const std::string& path, std::string& error);
    void unload();
    void* handle() const { return handle_; }

    GetModulePropertiesFn getModuleProperties = nullptr;
    MakeModuleFn makeModule = nullptr;
    std::string path;

private:
    void* handle_ = nullptr;
};

}  // namespace tarnhost
