// Counting stand-ins for the watched imports, and the patching of a library's import table.
#include "import_watch.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>

namespace tarnhost {

namespace {

// Every watched import: library, name, kind. The stand-ins below are generated from this list;
// each forwards to the function the import table held before.
#define TARN_WATCHED_IMPORTS(X)                                                                     \
    X(MSVCRT, CDECL, void*, malloc, Heap, (size_t n), (n))                                          \
    X(MSVCRT, CDECL, void*, calloc, Heap, (size_t n, size_t size), (n, size))                       \
    X(MSVCRT, CDECL, void*, realloc, Heap, (void* p, size_t n), (p, n))                             \
    X(MSVCRT, CDECL, void, free, Heap, (void* p), (p))                                              \
    X(MSVCRT, CDECL, void*, _aligned_malloc, Heap, (size_t n, size_t a), (n, a))                    \
    X(MSVCRT, CDECL, FILE*, fopen, Output, (const char* f, const char* m), (f, m))                  \
    X(MSVCRT, CDECL, size_t, fwrite, Output, (const void* p, size_t s, size_t n, FILE* f), (p, s, n, f)) \
    X(MSVCRT, CDECL, int, fputs, Output, (const char* s, FILE* f), (s, f))                          \
    X(MSVCRT, CDECL, int, fputc, Output, (int c, FILE* f), (c, f))                                  \
    X(MSVCRT, CDECL, int, puts, Output, (const char* s), (s))                                       \
    X(MSVCRT, CDECL, int, vprintf, Output, (const char* f, va_list a), (f, a))                      \
    X(MSVCRT, CDECL, int, vfprintf, Output, (FILE* s, const char* f, va_list a), (s, f, a))         \
    X(KERNEL32, WINAPI, LPVOID, HeapAlloc, Heap, (HANDLE h, DWORD f, SIZE_T n), (h, f, n))          \
    X(KERNEL32, WINAPI, LPVOID, HeapReAlloc, Heap, (HANDLE h, DWORD f, LPVOID p, SIZE_T n), (h, f, p, n)) \
    X(KERNEL32, WINAPI, BOOL, HeapFree, Heap, (HANDLE h, DWORD f, LPVOID p), (h, f, p))             \
    X(KERNEL32, WINAPI, LPVOID, VirtualAlloc, Heap, (LPVOID p, SIZE_T n, DWORD t, DWORD r), (p, n, t, r)) \
    X(KERNEL32, WINAPI, HLOCAL, LocalAlloc, Heap, (UINT f, SIZE_T n), (f, n))                       \
    X(KERNEL32, WINAPI, HGLOBAL, GlobalAlloc, Heap, (UINT f, SIZE_T n), (f, n))                     \
    X(KERNEL32, WINAPI, void, EnterCriticalSection, LockOrWait, (LPCRITICAL_SECTION c), (c))        \
    X(KERNEL32, WINAPI, DWORD, WaitForSingleObject, LockOrWait, (HANDLE h, DWORD t), (h, t))        \
    X(KERNEL32, WINAPI, DWORD, WaitForSingleObjectEx, LockOrWait, (HANDLE h, DWORD t, BOOL a), (h, t, a)) \
    X(KERNEL32, WINAPI, DWORD, WaitForMultipleObjects, LockOrWait,                                  \
      (DWORD n, const HANDLE* h, BOOL all, DWORD t), (n, h, all, t))                                \
    X(KERNEL32, WINAPI, void, Sleep, LockOrWait, (DWORD t), (t))                                    \
    X(KERNEL32, WINAPI, DWORD, SleepEx, LockOrWait, (DWORD t, BOOL a), (t, a))                      \
    X(KERNEL32, WINAPI, BOOL, SwitchToThread, LockOrWait, (), ())                                   \
    X(KERNEL32, WINAPI, HANDLE, CreateFileA, Output,                                                \
      (LPCSTR f, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD fl, HANDLE t),          \
      (f, a, s, sa, c, fl, t))                                                                      \
    X(KERNEL32, WINAPI, HANDLE, CreateFileW, Output,                                                \
      (LPCWSTR f, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD c, DWORD fl, HANDLE t),         \
      (f, a, s, sa, c, fl, t))                                                                      \
    X(KERNEL32, WINAPI, BOOL, ReadFile, Output, (HANDLE h, LPVOID b, DWORD n, LPDWORD r, LPOVERLAPPED o), \
      (h, b, n, r, o))                                                                              \
    X(KERNEL32, WINAPI, BOOL, WriteFile, Output,                                                    \
      (HANDLE h, LPCVOID b, DWORD n, LPDWORD w, LPOVERLAPPED o), (h, b, n, w, o))                   \
    X(KERNEL32, WINAPI, void, OutputDebugStringA, Output, (LPCSTR s), (s))                          \
    X(KERNEL32, WINAPI, void, OutputDebugStringW, Output, (LPCWSTR s), (s))

enum WatchedId {
#define TARN_ID(lib, conv, ret, name, kind, params, args) ID_##name,
    TARN_WATCHED_IMPORTS(TARN_ID)
#undef TARN_ID
    ID_printf,
    ID_fprintf,
    ID_COUNT
};

struct Watched {
    const char* library;
    const char* name;
    CallKind kind;
    void* standIn;
};

void* original[ID_COUNT];
bool scopeOpen = false;
std::string& currentScope() {
    static std::string where;
    return where;
}
std::map<std::pair<int, std::string>, long long>& counts() {
    static std::map<std::pair<int, std::string>, long long> table;
    return table;
}

void count(int id) {
    if (scopeOpen) ++counts()[{id, currentScope()}];
}

#define TARN_STAND_IN(lib, conv, ret, name, kind, params, args)       \
    ret conv standIn_##name params {                                \
        count(ID_##name);                                           \
        return reinterpret_cast<ret(conv*) params>(original[ID_##name]) args; \
    }
TARN_WATCHED_IMPORTS(TARN_STAND_IN)
#undef TARN_STAND_IN

// The two variadic ones go through their va_list forms.
int CDECL standIn_printf(const char* format, ...) {
    count(ID_printf);
    va_list a;
    va_start(a, format);
    const int r = std::vprintf(format, a);
    va_end(a);
    return r;
}
int CDECL standIn_fprintf(FILE* stream, const char* format, ...) {
    count(ID_fprintf);
    va_list a;
    va_start(a, format);
    const int r = std::vfprintf(stream, format, a);
    va_end(a);
    return r;
}

const Watched kWatched[ID_COUNT] = {
#define TARN_ENTRY(lib, conv, ret, name, kind, params, args) \
    {#lib ".DLL", #name, CallKind::kind, reinterpret_cast<void*>(&standIn_##name)},
    TARN_WATCHED_IMPORTS(TARN_ENTRY)
#undef TARN_ENTRY
    {"MSVCRT.DLL", "printf", CallKind::Output, reinterpret_cast<void*>(&standIn_printf)},
    {"MSVCRT.DLL", "fprintf", CallKind::Output, reinterpret_cast<void*>(&standIn_fprintf)},
};

int findWatched(const char* library, const char* name) {
    for (int id = 0; id < ID_COUNT; ++id) {
        if (_stricmp(library, kWatched[id].library) == 0 && std::strcmp(name, kWatched[id].name) == 0) return id;
    }
    return -1;
}

void patch(void** slot, void* value) {
    DWORD old = 0;
    if (!VirtualProtect(slot, sizeof(void*), PAGE_READWRITE, &old)) return;
    *slot = value;
    VirtualProtect(slot, sizeof(void*), old, &old);
}

}  // namespace

const char* callKindName(CallKind kind) {
    switch (kind) {
    case CallKind::Heap: return "heap";
    case CallKind::LockOrWait: return "lock or wait";
    case CallKind::Output: return "file or console output";
    }
    return "";
}

int watchImports(void* module) {
    if (module == nullptr) return 0;
    auto* base = static_cast<uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return 0;
    int watched = 0;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        const char* library = reinterpret_cast<const char*>(base + d->Name);
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            const int id = findWatched(library, reinterpret_cast<const char*>(byName->Name));
            if (id < 0) continue;
            void** slot = reinterpret_cast<void**>(&slots->u1.Function);
            if (*slot != kWatched[id].standIn) {
                original[id] = *slot;
                patch(slot, kWatched[id].standIn);
            }
            ++watched;
        }
    }
    return watched;
}

WatchScope::WatchScope(std::string where) : previous_(currentScope()), wasOpen_(scopeOpen) {
    currentScope() = std::move(where);
    scopeOpen = true;
}

WatchScope::~WatchScope() {
    currentScope() = previous_;
    scopeOpen = wasOpen_;
}

std::vector<WatchedCalls> watchedCalls() {
    std::vector<WatchedCalls> out;
    for (const auto& [key, calls] : counts()) {
        out.push_back({kWatched[key.first].name, kWatched[key.first].kind, key.second, calls});
    }
    return out;
}

void resetWatchedCalls() { counts().clear(); }

}  // namespace tarnhost
