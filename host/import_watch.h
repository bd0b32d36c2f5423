// A watch on what a module library calls through its own imports: heap, locks and waits, file
// and console output. A library that brings its own C runtime is invisible to a host that
// replaces its own allocator; its import address table is not, so that is where the watch sits.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tarnhost {

enum class CallKind { Heap, LockOrWait, Output };
const char* callKindName(CallKind kind);

struct WatchedCalls {
    std::string function;  // as imported, e.g. "malloc", "EnterCriticalSection"
    CallKind kind;
    std::string where;     // the scope open at the time, e.g. "process"
    long long calls;
};

// Points every watched import of the loaded library (an HMODULE) at a counting stand-in that
// calls the real function. Returns how many imports it watches; 0 for a library that imports
// none of them. Each load of a library needs its own call.
int watchImports(void* module);

// While one is open, calls through watched imports are counted under its name. The hosts open
// one around each process call and each pin event after open: the audio path.
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

// The calls counted since the last reset, one entry per function and scope.
std::vector<WatchedCalls> watchedCalls();
void resetWatchedCalls();

}  // namespace tarnhost
