// LoadLibrary / GetProcAddress for module libraries. A native build (the host core's unit tests)
// loads none: its tests set the two entry points themselves.
#include "host/core/module_library.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <cstdint>
#include <cstring>
#include <fstream>

#include "host/core/fp_environments.h"
#include "host/io/error.h"

namespace tarnhost {

int32_t ModuleLibrary::getModuleProperties(int32_t index, ModuleProperties* props) const {
    if (getModulePropertiesEntry == nullptr) return 0;
    const HostFpPolicy::Call call("getModuleProperties");
    return getModulePropertiesEntry(index, props);
}

void* ModuleLibrary::makeModule(int32_t index, int32_t kind, HostCallback callback, int32_t hostData) const {
    if (makeModuleEntry == nullptr) return nullptr;
    const HostFpPolicy::Call call("makeModule");
    return makeModuleEntry(index, kind, callback, hostData);
}

#if !defined(_WIN32)
ModuleLibrary::~ModuleLibrary() { unload(); }
void ModuleLibrary::load(const std::string& p) {
    path = p;
    throw Error("this build of the host loads no Windows library");
}
void ModuleLibrary::unload() {
    handle_ = nullptr;
    getModulePropertiesEntry = nullptr;
    makeModuleEntry = nullptr;
}
#else


namespace {

// The machine word of a PE image (IMAGE_FILE_MACHINE_*), or 0 when the file is not one.
uint16_t peMachine(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    char dos[64] = {};
    if (!file.read(dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return 0;
    uint32_t peOffset = 0;
    std::memcpy(&peOffset, dos + 60, 4);
    char head[6] = {};
    if (!file.seekg(peOffset) || !file.read(head, sizeof head)) return 0;
    if (std::memcmp(head, "PE\0\0", 4) != 0) return 0;
    uint16_t machine = 0;
    std::memcpy(&machine, head + 4, 2);
    return machine;
}

const char* wordSize(uint16_t machine) {
    switch (machine) {
    case IMAGE_FILE_MACHINE_I386: return "32-bit";
    case IMAGE_FILE_MACHINE_AMD64: return "64-bit";
    default: return nullptr;
    }
}

constexpr const char* kHostWordSize = sizeof(void*) == 8 ? "64-bit" : "32-bit";

}  // namespace

ModuleLibrary::~ModuleLibrary() { unload(); }

void ModuleLibrary::load(const std::string& p) {
    unload();
    path = p;
    HMODULE h = LoadLibraryA(p.c_str());
    if (h == nullptr) {
        const DWORD code = GetLastError();
        const char* moduleWordSize = wordSize(peMachine(p));
        if (moduleWordSize != nullptr && std::string(moduleWordSize) != kHostWordSize)
            throw Error(p + " is a " + moduleWordSize + " module and this tarn-host is " + kHostWordSize);
        throw Error("cannot load " + p + " (Windows error " + std::to_string(code) + ")");
    }
    handle_ = h;
    // FARPROC is a placeholder type; the exports have the C calling convention.
    getModulePropertiesEntry = reinterpret_cast<GetModulePropertiesFn>(
        reinterpret_cast<void*>(GetProcAddress(h, "getModuleProperties")));
    makeModuleEntry =
        reinterpret_cast<MakeModuleFn>(reinterpret_cast<void*>(GetProcAddress(h, "makeModule")));
    if (getModulePropertiesEntry == nullptr || makeModuleEntry == nullptr) {
        const std::string missing = getModulePropertiesEntry == nullptr ? "getModuleProperties" : "makeModule";
        unload();
        throw Error(p + " lacks the export " + missing);
    }
}

void ModuleLibrary::unload() {
    if (handle_ != nullptr) FreeLibrary(static_cast<HMODULE>(handle_));
    handle_ = nullptr;
    getModulePropertiesEntry = nullptr;
    makeModuleEntry = nullptr;
}

#endif

}  // namespace tarnhost
