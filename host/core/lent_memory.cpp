// Lent memory: whole pages per block, taken back unreadable, and (on Windows) the handler that
// counts a module's access to them.
#include "host/core/lent_memory.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace tarnhost {

namespace {

struct TakenBack {
    void* base;
    size_t bytes;
    int* touched;
    bool open;  // touched once already: readable again, no longer counted
};

// Every block taken back whose host is still there. Only the host's own thread lends memory,
// takes it back and runs the module, so the handler reads this without a lock.
std::vector<TakenBack>& takenBack() {
    static std::vector<TakenBack> blocks;
    return blocks;
}

size_t pageBytes(size_t bytes) {
#if defined(_WIN32)
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    const size_t page = info.dwPageSize;
#else
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
#endif
    return (bytes + page - 1) / page * page;
}

void* mapPages(size_t bytes) {
#if defined(_WIN32)
    void* p = VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
    void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) p = nullptr;
#endif
    if (p == nullptr) throw std::bad_alloc();
    return p;
}

void unmapPages(void* p, size_t bytes) {
#if defined(_WIN32)
    (void)bytes;
    VirtualFree(p, 0, MEM_RELEASE);
#else
    munmap(p, bytes);
#endif
}

void closePages(void* p, size_t bytes) {
#if defined(_WIN32)
    DWORD old = 0;
    VirtualProtect(p, bytes, PAGE_NOACCESS, &old);
#else
    mprotect(p, bytes, PROT_NONE);
#endif
}

#if defined(_WIN32)
LONG CALLBACK countTouch(EXCEPTION_POINTERS* info) {
    const EXCEPTION_RECORD& e = *info->ExceptionRecord;
    if (e.ExceptionCode != EXCEPTION_ACCESS_VIOLATION || e.NumberParameters < 2) return EXCEPTION_CONTINUE_SEARCH;
    const auto at = static_cast<uintptr_t>(e.ExceptionInformation[1]);
    for (TakenBack& b : takenBack()) {
        const auto base = reinterpret_cast<uintptr_t>(b.base);
        if (b.open || at < base || at - base >= b.bytes) continue;
        ++*b.touched;
        b.open = true;
        DWORD old = 0;
        VirtualProtect(b.base, b.bytes, PAGE_READWRITE, &old);
        return EXCEPTION_CONTINUE_EXECUTION;
    }
    return EXCEPTION_CONTINUE_SEARCH;
}
#endif

}  // namespace

LentFloats::~LentFloats() {
    if (data_ != nullptr) unmapPages(data_, pageBytes(size_ * sizeof(float)));
}

LentFloats::LentFloats(LentFloats&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

LentFloats& LentFloats::operator=(LentFloats&& other) noexcept {
    if (this != &other) {
        LentFloats gone(std::move(*this));
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void LentFloats::assign(size_t n, float value) {
    if (n != size_) {
        LentFloats fresh;
        if (n > 0) fresh.data_ = static_cast<float*>(mapPages(pageBytes(n * sizeof(float))));
        fresh.size_ = n;
        *this = std::move(fresh);
    }
    std::fill(begin(), end(), value);
}

void LentFloats::takeBack(int* touched) {
    if (data_ == nullptr) return;
#if defined(_WIN32)
    static const PVOID handler = AddVectoredExceptionHandler(1, &countTouch);
    (void)handler;
#endif
    const size_t bytes = pageBytes(size_ * sizeof(float));
    float* copy = static_cast<float*>(mapPages(bytes));
    std::memcpy(copy, data_, size_ * sizeof(float));
    closePages(data_, bytes);
    takenBack().push_back({data_, bytes, touched, false});
    data_ = copy;
}

void forgetTakenBack(const int* touched) {
    auto& blocks = takenBack();
    for (const TakenBack& b : blocks)
        if (b.touched == touched) unmapPages(b.base, b.bytes);
    blocks.erase(std::remove_if(blocks.begin(), blocks.end(), [&](const TakenBack& b) { return b.touched == touched; }),
                 blocks.end());
}

}  // namespace tarnhost
