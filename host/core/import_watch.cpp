// The counts of the import watch and its scopes, and the heap ledger: the part that needs no
// Windows.
#include "host/core/import_watch.h"

#include <map>
#include <tuple>
#include <unordered_map>
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

struct HeapLedger::Blocks {
    std::unordered_map<void*, size_t> sizes;
};

namespace {
HeapLedger* openLedger = nullptr;
}

HeapLedger::HeapLedger() : blocks_(new Blocks) { openLedger = this; }

HeapLedger::~HeapLedger() {
    openLedger = nullptr;
    delete blocks_;
}

size_t HeapLedger::liveBlocks() const { return blocks_->sizes.size(); }

size_t HeapLedger::liveBytes() const {
    size_t bytes = 0;
    for (const auto& block : blocks_->sizes) bytes += block.second;
    return bytes;
}

bool HeapLedger::refuse() {
    if (openLedger == nullptr) return false;
    return ++openLedger->asked_ == openLedger->refused_;
}

void HeapLedger::allocated(void* block, size_t bytes) {
    if (openLedger != nullptr && block != nullptr) openLedger->blocks_->sizes[block] = bytes;
}

// A block allocated before the ledger opened is none of its business.
void HeapLedger::freed(void* block) {
    if (openLedger != nullptr && block != nullptr) openLedger->blocks_->sizes.erase(block);
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
bool seedImportedRand(void*, unsigned) { return false; }
#endif

}  // namespace tarnhost
