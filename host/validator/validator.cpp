// Validator bookkeeping: the checks' streams, verdict lines and counts, and the crash report.
#include "host/validator/validator.h"

#include <windows.h>

#include <cstdio>
#include <utility>

#include "host/io/error.h"

namespace tarnhost {

namespace {

// The check under way, for the report of a crash, and the exit code the process then ends with.
std::string currentCheck = "loading";
UINT crashExitCode = 1;

// A module that crashes the host ends the run with a FAIL line naming the check, instead of a
// debugger waiting for someone.
LONG WINAPI crashReport(EXCEPTION_POINTERS* info) {
    std::printf("FAIL %s: the host crashed: exception 0x%08lx at %p\n", currentCheck.c_str(),
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), crashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

uint64_t nameHash(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}
}  // namespace

void reportCrashes(unsigned exitCode) {
    crashExitCode = exitCode;
    SetUnhandledExceptionFilter(&crashReport);
}

Validator::Validator(ModuleLibrary& library, const std::string& path, int strictness,
                     uint64_t seed, const std::string& only, ModuleSpecifics specifics)
    : library_(library), specifics_(std::move(specifics)), path_(path), strictness_(strictness), seed_(seed),
      only_(only.empty() ? std::string(".*") : only), filtered_(!only.empty()) {
    ModuleProperties props{};
    const std::string id = library.getModuleProperties(0, &props) == 1 && props.id != nullptr ? props.id : "";
    if (!specifics_.description.empty() && id != specifics_.id)
        throw InputError(specifics_.idAt + ": the description is of \"" + specifics_.id + "\", and " + path +
                         (id.empty() ? " gives no id" : " is \"" + id + "\""));
}

int Validator::scaled(int atFive) const {
    const long long n = static_cast<long long>(atFive) * strictness_ / 5;
    return n < 1 ? 1 : static_cast<int>(n);
}

void Validator::check(const std::string& name, const std::function<Verdict()>& body) {
    if (filtered_ && !std::regex_search(name, only_)) return;
    // Each check draws from its own stream, so --only gives the same cases as a full run.
    rng_.seed(seed_ ^ nameHash(name));
    currentCheck = name;
    Verdict verdict;
    try {
        verdict = body();
    } catch (const std::exception& e) {
        verdict = Verdict::fail(std::string("the host failed: ") + e.what());
    }
    switch (verdict.kind) {
    case Verdict::Kind::Pass:
        std::printf("PASS %s\n", name.c_str());
        ++passed_;
        break;
    case Verdict::Kind::Note:
        std::printf("PASS %s (%s)\n", name.c_str(), verdict.text.c_str());
        ++passed_;
        break;
    case Verdict::Kind::Skip:
        std::printf("SKIP %s: %s\n", name.c_str(), verdict.text.c_str());
        ++skipped_;
        break;
    case Verdict::Kind::Fail:
        std::printf("FAIL %s: %s (seed %llu)\n", name.c_str(), verdict.text.c_str(),
                    static_cast<unsigned long long>(seed_));
        ++failed_;
        break;
    }
    std::fflush(stdout);
}

}  // namespace tarnhost
