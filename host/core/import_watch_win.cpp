// Counting stand-ins for the watched imports of a Windows library (the heap's keeping the
// ledger), the patching of its import table, and the GDI paint watch.
#include "host/core/import_watch.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <utility>
#include <vector>

namespace tarnhost {

namespace {

// Every watched import: library, name, kind. The stand-ins below are generated from this list;
// each forwards to the function the import table held before.
#define TARN_WATCHED_IMPORTS(X)                                                                     \
    X(MSVCRT, CDECL, FILE*, fopen, Output, (const char* f, const char* m), (f, m))                  \
    X(MSVCRT, CDECL, size_t, fwrite, Output, (const void* p, size_t s, size_t n, FILE* f), (p, s, n, f)) \
    X(MSVCRT, CDECL, int, fputs, Output, (const char* s, FILE* f), (s, f))                          \
    X(MSVCRT, CDECL, int, fputc, Output, (int c, FILE* f), (c, f))                                  \
    X(MSVCRT, CDECL, int, puts, Output, (const char* s), (s))                                       \
    X(MSVCRT, CDECL, int, vprintf, Output, (const char* f, va_list a), (f, a))                      \
    X(MSVCRT, CDECL, int, vfprintf, Output, (FILE* s, const char* f, va_list a), (s, f, a))         \
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

// The heap's own, kept on the open ledger's record besides being counted.
#define TARN_HEAP_IMPORTS(X)                                                                        \
    X(MSVCRT, malloc) X(MSVCRT, calloc) X(MSVCRT, realloc) X(MSVCRT, free) X(MSVCRT, _aligned_malloc) \
    X(MSVCRT, _aligned_free) X(KERNEL32, HeapAlloc) X(KERNEL32, HeapReAlloc) X(KERNEL32, HeapFree)

enum WatchedId {
#define TARN_ID(lib, conv, ret, name, kind, params, args) ID_##name,
    TARN_WATCHED_IMPORTS(TARN_ID)
#undef TARN_ID
#define TARN_HEAP_ID(lib, name) ID_##name,
    TARN_HEAP_IMPORTS(TARN_HEAP_ID)
#undef TARN_HEAP_ID
    ID_printf,
    ID_fprintf,
    ID_CreatePen,
    ID_CreatePenIndirect,
    ID_CreateSolidBrush,
    ID_CreateBrushIndirect,
    ID_CreateHatchBrush,
    ID_CreateFontIndirectA,
    ID_CreateFontIndirectW,
    ID_SelectObject,
    ID_DeleteObject,
    ID_COUNT
};

struct Watched {
    const char* library;
    const char* name;
    CallKind kind;
    void* standIn;
};

void* original[ID_COUNT];
extern const Watched kWatched[ID_COUNT];  // below: it holds the stand-ins' addresses

void count(int id) { noteWatchedCall(kWatched[id].name, kWatched[id].kind); }

#define TARN_STAND_IN(lib, conv, ret, name, kind, params, args)       \
    ret conv standIn_##name params {                                \
        count(ID_##name);                                           \
        return reinterpret_cast<ret(conv*) params>(original[ID_##name]) args; \
    }
TARN_WATCHED_IMPORTS(TARN_STAND_IN)
#undef TARN_STAND_IN

template <typename F>
F originalOf(int id) {
    return reinterpret_cast<F>(original[id]);
}

// An allocation through import `id` of the type F, of `bytes`: counted, refused when the ledger
// says so, and on its record.
template <typename F, typename... A>
auto allocation(int id, size_t bytes, A... args) -> decltype(originalOf<F>(id)(args...)) {
    count(id);
    if (HeapLedger::refuse()) return nullptr;
    auto* p = originalOf<F>(id)(args...);
    HeapLedger::allocated(p, bytes);
    return p;
}

void* CDECL standIn_malloc(size_t n) { return allocation<decltype(&standIn_malloc)>(ID_malloc, n, n); }
void* CDECL standIn_calloc(size_t n, size_t size) {
    return allocation<decltype(&standIn_calloc)>(ID_calloc, n * size, n, size);
}

// realloc(p, 0) frees p and answers null.
void* CDECL standIn_realloc(void* p, size_t n) {
    count(ID_realloc);
    if (n != 0 && HeapLedger::refuse()) return nullptr;
    void* r = originalOf<decltype(&standIn_realloc)>(ID_realloc)(p, n);
    if (r != nullptr || n == 0) HeapLedger::freed(p);
    HeapLedger::allocated(r, n);
    return r;
}
void CDECL standIn_free(void* p) {
    count(ID_free);
    HeapLedger::freed(p);
    originalOf<decltype(&standIn_free)>(ID_free)(p);
}
void* CDECL standIn__aligned_malloc(size_t n, size_t alignment) {
    return allocation<decltype(&standIn__aligned_malloc)>(ID__aligned_malloc, n, n, alignment);
}
void CDECL standIn__aligned_free(void* p) {
    count(ID__aligned_free);
    HeapLedger::freed(p);
    originalOf<decltype(&standIn__aligned_free)>(ID__aligned_free)(p);
}
LPVOID WINAPI standIn_HeapAlloc(HANDLE heap, DWORD flags, SIZE_T n) {
    return allocation<decltype(&standIn_HeapAlloc)>(ID_HeapAlloc, n, heap, flags, n);
}
LPVOID WINAPI standIn_HeapReAlloc(HANDLE heap, DWORD flags, LPVOID p, SIZE_T n) {
    count(ID_HeapReAlloc);
    if (HeapLedger::refuse()) return nullptr;
    LPVOID r = originalOf<decltype(&standIn_HeapReAlloc)>(ID_HeapReAlloc)(heap, flags, p, n);
    if (r != nullptr) {
        HeapLedger::freed(p);
        HeapLedger::allocated(r, n);
    }
    return r;
}
BOOL WINAPI standIn_HeapFree(HANDLE heap, DWORD flags, LPVOID p) {
    count(ID_HeapFree);
    HeapLedger::freed(p);
    return originalOf<decltype(&standIn_HeapFree)>(ID_HeapFree)(heap, flags, p);
}

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

// GDI objects during a watched paint.
struct GdiObjectRecord {
    HGDIOBJ handle;
    const char* createdBy;
    int deletes;
};
struct GdiPaint {
    HDC dc;
    HGDIOBJ initial[3];  // pen, brush, font
    std::vector<GdiObjectRecord> objects;
    std::string broken;
};
GdiPaint* activePaint = nullptr;
constexpr UINT kSelectable[3] = {OBJ_PEN, OBJ_BRUSH, OBJ_FONT};
const char* const kSelectableName[3] = {"pen", "brush", "font"};

HGDIOBJ created(HGDIOBJ h, const char* by) {
    if (activePaint != nullptr && h != nullptr) activePaint->objects.push_back({h, by, 0});
    return h;
}

template <typename F, typename... A>
auto forward(int id, A... args) {
    return reinterpret_cast<F>(original[id])(args...);
}

HPEN WINAPI standIn_CreatePen(int style, int width, COLORREF c) {
    return static_cast<HPEN>(created(forward<decltype(&CreatePen)>(ID_CreatePen, style, width, c), "CreatePen"));
}
HPEN WINAPI standIn_CreatePenIndirect(const LOGPEN* p) {
    return static_cast<HPEN>(created(forward<decltype(&CreatePenIndirect)>(ID_CreatePenIndirect, p), "CreatePenIndirect"));
}
HBRUSH WINAPI standIn_CreateSolidBrush(COLORREF c) {
    return static_cast<HBRUSH>(created(forward<decltype(&CreateSolidBrush)>(ID_CreateSolidBrush, c), "CreateSolidBrush"));
}
HBRUSH WINAPI standIn_CreateBrushIndirect(const LOGBRUSH* b) {
    return static_cast<HBRUSH>(created(forward<decltype(&CreateBrushIndirect)>(ID_CreateBrushIndirect, b), "CreateBrushIndirect"));
}
HBRUSH WINAPI standIn_CreateHatchBrush(int hatch, COLORREF c) {
    return static_cast<HBRUSH>(created(forward<decltype(&CreateHatchBrush)>(ID_CreateHatchBrush, hatch, c), "CreateHatchBrush"));
}
HFONT WINAPI standIn_CreateFontIndirectA(const LOGFONTA* f) {
    return static_cast<HFONT>(created(forward<decltype(&CreateFontIndirectA)>(ID_CreateFontIndirectA, f), "CreateFontIndirectA"));
}
HFONT WINAPI standIn_CreateFontIndirectW(const LOGFONTW* f) {
    return static_cast<HFONT>(created(forward<decltype(&CreateFontIndirectW)>(ID_CreateFontIndirectW, f), "CreateFontIndirectW"));
}
HGDIOBJ WINAPI standIn_SelectObject(HDC dc, HGDIOBJ h) {
    return forward<decltype(&SelectObject)>(ID_SelectObject, dc, h);
}
BOOL WINAPI standIn_DeleteObject(HGDIOBJ h) {
    if (GdiPaint* p = activePaint) {
        for (int k = 0; k < 3; ++k) {
            if (h != nullptr && GetCurrentObject(p->dc, kSelectable[k]) == h && p->broken.empty())
                p->broken = std::string("deleted its ") + kSelectableName[k] + " while it was selected";
        }
        for (auto it = p->objects.rbegin(); it != p->objects.rend(); ++it) {
            if (it->handle == h) {
                ++it->deletes;
                break;
            }
        }
    }
    return forward<decltype(&DeleteObject)>(ID_DeleteObject, h);
}

const Watched kWatched[ID_COUNT] = {
#define TARN_ENTRY(lib, conv, ret, name, kind, params, args) \
    {#lib ".DLL", #name, CallKind::kind, reinterpret_cast<void*>(&standIn_##name)},
    TARN_WATCHED_IMPORTS(TARN_ENTRY)
#undef TARN_ENTRY
#define TARN_HEAP_ENTRY(lib, name) {#lib ".DLL", #name, CallKind::Heap, reinterpret_cast<void*>(&standIn_##name)},
    TARN_HEAP_IMPORTS(TARN_HEAP_ENTRY)
#undef TARN_HEAP_ENTRY
    {"MSVCRT.DLL", "printf", CallKind::Output, reinterpret_cast<void*>(&standIn_printf)},
    {"MSVCRT.DLL", "fprintf", CallKind::Output, reinterpret_cast<void*>(&standIn_fprintf)},
#define TARN_GDI(name) {"GDI32.DLL", #name, CallKind::Gdi, reinterpret_cast<void*>(&standIn_##name)},
    TARN_GDI(CreatePen) TARN_GDI(CreatePenIndirect) TARN_GDI(CreateSolidBrush) TARN_GDI(CreateBrushIndirect)
    TARN_GDI(CreateHatchBrush) TARN_GDI(CreateFontIndirectA) TARN_GDI(CreateFontIndirectW)
    TARN_GDI(SelectObject) TARN_GDI(DeleteObject)
#undef TARN_GDI
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

// Calls f(library, name, slot) for every import of a loaded library that is named, not ordinal.
template <class F>
void forEachNamedImport(void* module, F f) {
    if (module == nullptr) return;
    auto* base = static_cast<uint8_t*>(module);
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); d->Name != 0; ++d) {
        const char* library = reinterpret_cast<const char*>(base + d->Name);
        const auto* names = reinterpret_cast<const IMAGE_THUNK_DATA*>(
            base + (d->OriginalFirstThunk != 0 ? d->OriginalFirstThunk : d->FirstThunk));
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* byName = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            f(library, reinterpret_cast<const char*>(byName->Name), reinterpret_cast<void**>(&slots->u1.Function));
        }
    }
}

}  // namespace

int watchImports(void* module) {
    int watched = 0;
    forEachNamedImport(module, [&](const char* library, const char* name, void** slot) {
        const int id = findWatched(library, name);
        if (id < 0) return;
        if (*slot != kWatched[id].standIn) {
            original[id] = *slot;
            patch(slot, kWatched[id].standIn);
        }
        ++watched;
    });
    return watched;
}

bool seedImportedRand(void* module, unsigned seed) {
    // The srand of the very library the module imports rand from: a host linked against another
    // C runtime would otherwise seed a generator the module never draws from.
    void (CDECL* seedFunction)(unsigned) = nullptr;
    forEachNamedImport(module, [&](const char* library, const char* name, void**) {
        if (std::strcmp(name, "rand") != 0) return;
        if (HMODULE crt = GetModuleHandleA(library))
            seedFunction = reinterpret_cast<void(CDECL*)(unsigned)>(reinterpret_cast<void*>(GetProcAddress(crt, "srand")));
    });
    if (seedFunction == nullptr) return false;
    seedFunction(seed);
    return true;
}

GdiPaintWatch::GdiPaintWatch(void* deviceContext) : previous_(activePaint) {
    auto* paint = new GdiPaint{static_cast<HDC>(deviceContext), {}, {}, {}};
    for (int k = 0; k < 3; ++k) paint->initial[k] = GetCurrentObject(paint->dc, kSelectable[k]);
    activePaint = paint;
}

GdiPaintWatch::~GdiPaintWatch() {
    delete activePaint;
    activePaint = static_cast<GdiPaint*>(previous_);
}

std::string GdiPaintWatch::verdict() const {
    const GdiPaint& p = *activePaint;
    if (!p.broken.empty()) return p.broken;
    for (int k = 0; k < 3; ++k) {
        if (GetCurrentObject(p.dc, kSelectable[k]) != p.initial[k])
            return std::string("left the device context holding another ") + kSelectableName[k];
    }
    for (const GdiObjectRecord& o : p.objects) {
        if (o.deletes != 1)
            return std::string("an object from ") + o.createdBy + " was deleted " + std::to_string(o.deletes) +
                   " times";
    }
    return "";
}

int GdiPaintWatch::created() const { return static_cast<int>(activePaint->objects.size()); }

}  // namespace tarnhost
