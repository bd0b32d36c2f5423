// Counting the process's GDI and USER objects, by GetGuiResources or, under Wine, by hand.
#include "gui_census.h"

#include <windows.h>

#include <cstdint>

namespace plugtest {

namespace {

static_assert(sizeof(void*) == 8, "the GDI handle table is read as the x86-64 layout");

// The process's GDI handle table, whose address the PEB holds: one entry per handle index, its
// object type zero while the entry is free.
constexpr size_t kPebGdiHandleTable = 0xF8;
constexpr int kGdiHandleEntries = 0x10000;
struct GdiHandleEntry {
    uint64_t kernelObject;
    uint16_t processId;
    uint16_t count;
    uint16_t upper;
    uint8_t type;
    uint8_t flags;
    uint64_t userObject;
};
static_assert(sizeof(GdiHandleEntry) == 24, "a GDI handle table entry");

// USER handles are 16-bit indices, even and from 0x20 on; a handle with its upper half zero
// names the entry whatever its generation.
constexpr UINT kFirstUserHandle = 0x20;
constexpr UINT kLastUserHandle = 0xFFEF;

bool guiResourcesAnswer() {
    return GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) != 0;
}

// The process environment block, which the thread's block (at gs) holds at 0x60.
const char* processBlock() {
    const char* peb = nullptr;
    __asm__("movq %%gs:0x60, %0" : "=r"(peb));
    return peb;
}

long gdiTableEntries() {
    const char* peb = processBlock();
    const auto* table = *reinterpret_cast<const GdiHandleEntry* const*>(peb + kPebGdiHandleTable);
    if (table == nullptr) return -1;
    long n = 0;
    for (int i = 0; i < kGdiHandleEntries; ++i) {
        if (table[i].type != 0) ++n;
    }
    return n;
}

BOOL CALLBACK countWindow(HWND hwnd, LPARAM count) {
    DWORD process = 0;
    GetWindowThreadProcessId(hwnd, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(count);
    for (HWND child = GetWindow(hwnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        countWindow(child, count);
    }
    return TRUE;
}

long userObjects() {
    long n = 0;
    EnumWindows(&countWindow, reinterpret_cast<LPARAM>(&n));
    for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, nullptr, nullptr); w != nullptr;
         w = FindWindowExA(HWND_MESSAGE, w, nullptr, nullptr)) {
        countWindow(w, reinterpret_cast<LPARAM>(&n));
    }
    for (UINT h = kFirstUserHandle; h <= kLastUserHandle; h += 2) {
        if (IsMenu(reinterpret_cast<HMENU>(static_cast<UINT_PTR>(h)))) ++n;
    }
    return n;
}

}  // namespace

GuiCounts countGuiObjects() {
    if (guiResourcesAnswer()) {
        return {static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS)),
                static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS))};
    }
    return {gdiTableEntries(), userObjects()};
}

std::string censusMethod() {
    return guiResourcesAnswer() ? "GetGuiResources"
                                : "GetGuiResources answers 0 here (Wine): the GDI handle table's entries, "
                                  "and the process's windows and menus";
}

}  // namespace plugtest
