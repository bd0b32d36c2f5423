// A watch on what a module library calls through its own imports: heap, locks and waits, file
// and console output. A library that brings its own C runtime is invisible to a host that
// replaces its own allocator; its import address table is not, so that is where the watch sits.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

enum class CallKind { Heap, LockOrWait, Output, Gdi };
const char* callKindName(CallKind kind);

struct WatchedCalls {
    std::string function;  // as imported, e.g. "malloc", "EnterCriticalSection"
    CallKind kind;
    std::string where;     // the scope open at the time, e.g. "process"
    long long calls;
};

// [main] Points every watched import of the loaded library (an HMODULE) at a counting stand-in
// that calls the real function. Returns how many imports it watches; 0 for a library that
// imports none of them. Each load of a library needs its own call.
int watchImports(void* module);

// [main] Seeds the C library's generator that the loaded library draws from with rand(), on the
// calling thread (its state is the thread's, shared by every instance there), through the srand
// of the very library it imports rand from. False where it imports no rand.
bool seedImportedRand(void* module, unsigned seed);

// The scope a render opens around creation, pins and open: not the audio path.
constexpr const char* kSetupScope = "setup";

// [audio] While one is open, calls through watched imports are counted under its name. The hosts
// open one around each process call and each pin event after open: the audio path.
class WatchScope {
public:
    explicit WatchScope(std::string where);
    ~WatchScope();
    WatchScope(const WatchScope&) = delete;
    WatchScope& operator=(const WatchScope&) = delete;

private:
    std::string previous_;
    bool wasOpen_;
};

// Counts one call of a watched function under the open scope, if one is open.
void noteWatchedCall(const char* function, CallKind kind);

// [main] The calls counted since the last reset, one entry per function and scope.
std::vector<WatchedCalls> watchedCalls();
void resetWatchedCalls();

// [main] While one is open, every block the library allocates through its watched heap imports
// (the C runtime's and the process heap's) is on record until the library frees it, and an
// allocation can be refused, as when memory runs out. One at a time.
class HeapLedger {
public:
    HeapLedger();
    ~HeapLedger();
    HeapLedger(const HeapLedger&) = delete;
    HeapLedger& operator=(const HeapLedger&) = delete;

    // The n-th allocation asked for from now on (the next is 1) is refused; 0: none.
    void refuseAllocation(long long n) { refused_ = n > 0 ? asked_ + n : 0; }
    // Allocations asked for since the ledger opened, refused ones included.
    long long asked() const { return asked_; }
    // Blocks allocated since the ledger opened and not yet freed, and their bytes.
    size_t liveBlocks() const;
    size_t liveBytes() const;

    // For the stand-ins: whether to refuse this allocation (counted either way); a block the
    // library got, or gave back.
    static bool refuse();
    static void allocated(void* block, size_t bytes);
    static void freed(void* block);

private:
    long long asked_ = 0;
    long long refused_ = 0;
    struct Blocks;
    Blocks* blocks_;
};

// [main] While one is open, the library's GDI objects are followed through its imports during a
// paint into a device context (an HDC): each object it creates must be deleted exactly once,
// never while it is selected into that context, and the context must hold at the end the pen,
// brush and font it held at the start.
class GdiPaintWatch {
public:
    explicit GdiPaintWatch(void* deviceContext);
    ~GdiPaintWatch();
    GdiPaintWatch(const GdiPaintWatch&) = delete;
    GdiPaintWatch& operator=(const GdiPaintWatch&) = delete;
    // "" when the paint kept every rule, else the first broken rule; call at the end.
    std::string verdict() const;
    // Objects the paint created (0 where the library's GDI imports are not watched).
    int created() const;

private:
    void* previous_;
};

}  // namespace tarnhost
