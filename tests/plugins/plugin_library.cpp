// The plug-in test hosts' loading layer: dlopen on Linux, LoadLibrary on Windows.
#include "plugin_library.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#else
#include <dlfcn.h>
#endif

namespace plugtest {

namespace {
// The bundle's stem: the name of BUNDLE.vst3 without its suffix.
std::string bundleStem(const std::string& bundle) {
    const size_t slash = bundle.find_last_of("/\\");
    const std::string name = bundle.substr(slash == std::string::npos ? 0 : slash + 1);
    return name.substr(0, name.size() - 5);
}
}  // namespace

#if defined(_WIN32)

namespace {
// What the hosts print is compared as text, with plain "\n" line ends as on Linux.
const bool kBinaryOutput = _setmode(_fileno(stdout), _O_BINARY) != -1;
}  // namespace

void* openLibrary(const std::string& path) {
    std::string windowsPath = path;
    for (char& c : windowsPath) {
        if (c == '/') c = '\\';
    }
    return LoadLibraryA(windowsPath.c_str());
}

void* librarySymbol(void* library, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void closeLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

void* programSymbol(const char*) {
    static_cast<void>(kBinaryOutput);
    return nullptr;
}

std::string vst3Binary(const std::string& bundle) {
    return bundle + "/Contents/x86_64-win/" + bundleStem(bundle) + ".vst3";
}

bool enterVst3Module(void* library) {
    using Enter = bool (*)();
    auto enter = reinterpret_cast<Enter>(librarySymbol(library, "InitDll"));
    return enter == nullptr || enter();
}

void leaveVst3Module(void* library) {
    using Leave = bool (*)();
    if (auto leave = reinterpret_cast<Leave>(librarySymbol(library, "ExitDll"))) leave();
}

#else

void* openLibrary(const std::string& path) { return dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL); }
void* librarySymbol(void* library, const char* name) { return dlsym(library, name); }
void closeLibrary(void* library) { dlclose(library); }
void* programSymbol(const char* name) { return dlsym(RTLD_DEFAULT, name); }

std::string vst3Binary(const std::string& bundle) {
    return bundle + "/Contents/x86_64-linux/" + bundleStem(bundle) + ".so";
}

bool enterVst3Module(void* library) {
    using Enter = bool (*)(void*);
    auto enter = reinterpret_cast<Enter>(librarySymbol(library, "ModuleEntry"));
    return enter == nullptr || enter(library);
}

void leaveVst3Module(void* library) {
    using Leave = bool (*)();
    if (auto leave = reinterpret_cast<Leave>(librarySymbol(library, "ModuleExit"))) leave();
}

#endif

}  // namespace plugtest
