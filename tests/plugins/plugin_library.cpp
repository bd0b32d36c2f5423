// The plug-in test hosts' platform layer: dlopen and SIGFPE on Linux, LoadLibrary and a vectored
// exception handler on Windows.
#include "plugin_library.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include "host/core/fp_environments.h"
#else
#include <dlfcn.h>
#include <limits.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>
#endif

namespace plugtest {

namespace {
// The bundle's stem: the name of BUNDLE.vst3 without its suffix.
std::string bundleStem(const std::string& bundle) {
    const size_t slash = bundle.find_last_of("/\\");
    const std::string name = bundle.substr(slash == std::string::npos ? 0 : slash + 1);
    return name.substr(0, name.size() - 5);
}

TrapReport trapReport = nullptr;
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

namespace {
// Not a trap of ours: the search goes on. A trap: the report, then the process ends at once.
LONG CALLBACK reportTrap(EXCEPTION_POINTERS* info) {
    const DWORD code = info->ExceptionRecord->ExceptionCode;
    if (!tarnhost::isFloatingPointTrap(code)) return EXCEPTION_CONTINUE_SEARCH;
    const void* address = info->ExceptionRecord->ExceptionAddress;
    char trap[32];
    char where[MAX_PATH + 32] = "?";
    std::snprintf(trap, sizeof trap, "exception 0x%08lX", static_cast<unsigned long>(code));
    HMODULE module = nullptr;
    char file[MAX_PATH];
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCSTR>(address), &module) &&
        GetModuleFileNameA(module, file, sizeof file) > 0)
        std::snprintf(where, sizeof where, "%s+0x%llx", file,
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(address) - reinterpret_cast<uintptr_t>(module)));
    trapReport(trap, where);
    TerminateProcess(GetCurrentProcess(), 1);
    return EXCEPTION_CONTINUE_SEARCH;
}
}  // namespace

void onFloatingPointTrap(TrapReport report) {
    trapReport = report;
    static const PVOID handler = AddVectoredExceptionHandler(1, &reportTrap);
    static_cast<void>(handler);
}

void restartCrtRandom() { std::srand(1); }

const char* benchRowSuffix() { return " Windows x86-64 (Wine)"; }

double benchClockNs() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1e9 / static_cast<double>(frequency.QuadPart);
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

namespace {
void reportTrap(int, siginfo_t* info, void*) {
    char trap[32];
    char where[PATH_MAX + 160] = "?";
    std::snprintf(trap, sizeof trap, "SIGFPE, code %d", info->si_code);
    Dl_info found{};
    if (dladdr(info->si_addr, &found) != 0 && found.dli_fname != nullptr)
        std::snprintf(where, sizeof where, "%s+0x%lx (%s)", found.dli_fname,
                      static_cast<unsigned long>(reinterpret_cast<uintptr_t>(info->si_addr) -
                                                 reinterpret_cast<uintptr_t>(found.dli_fbase)),
                      found.dli_sname != nullptr ? found.dli_sname : "no symbol");
    trapReport(trap, where);
    _exit(1);
}
}  // namespace

void onFloatingPointTrap(TrapReport report) {
    trapReport = report;
    struct sigaction action {};
    action.sa_sigaction = &reportTrap;
    action.sa_flags = SA_SIGINFO;
    sigaction(SIGFPE, &action, nullptr);
}

void restartCrtRandom() {}

const char* benchRowSuffix() { return ""; }

double benchClockNs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e9 + static_cast<double>(t.tv_nsec);
}

#endif

}  // namespace plugtest
