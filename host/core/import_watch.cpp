// The counts of the import watch and its scopes: the part that needs no Windows.
#include "host/core/import_watch.h"

#include <map>
#include <tuple>
#include <utility>

namespace tarnhost {

namespace {

bool scopeOpen = false;
std::string& currentScope() {
    static std::string where;
    return where;
}
std::map<std::tuple<std::string, CallKind, std::string>, long long>& counts() {
    static std::map<std::tuple<std::string, CallKind, std::string>, long long> table;
    return table;
}

}  // namespace

const char* callKindName(CallKind kind) {
    switch (kind) {
    case CallKind::Heap: return "heap";
    case CallKind::LockOrWait: return "lock or wait";
    case CallKind::Output: return "file or console output";
    case CallKind::Gdi: return "GDI object";
    }
    return "";
}

void noteWatchedCall(const char* function, CallKind kind) {
    if (scopeOpen) ++counts()[{function, kind, currentScope()}];
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
    for (const auto& [key, calls] : counts()) out.push_back({std::get<0>(key), std::get<1>(key), std::get<2>(key), calls});
    return out;
}

void resetWatchedCalls() { counts().clear(); }

#if !defined(_WIN32)
// Native builds load no Windows library: there is no import table to watch.
int watchImports(void*) { return 0; }
#endif

}  // namespace tarnhost
