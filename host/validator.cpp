// Validator bookkeeping and the validate command.
#include "validator.h"

#include <windows.h>

#include <cstdio>
#include <ctime>

#include "commands.h"
#include "number_text.h"
#include "render_options.h"

namespace tarnhost {

namespace {

// The check under way, for the report of a crash.
std::string currentCheck = "loading";

// A module that crashes the host ends the run with a FAIL line naming the check, instead of a
// debugger waiting for someone.
LONG WINAPI crashReport(EXCEPTION_POINTERS* info) {
    std::printf("FAIL %s: the host crashed: exception 0x%08lx at %p\n", currentCheck.c_str(),
                static_cast<unsigned long>(info->ExceptionRecord->ExceptionCode),
                info->ExceptionRecord->ExceptionAddress);
    std::fflush(stdout);
    TerminateProcess(GetCurrentProcess(), kExitFailure);
    return EXCEPTION_EXECUTE_HANDLER;
}

uint64_t nameHash(const std::string& s) {
    uint64_t h = 1469598103934665603ull;
    for (unsigned char c : s) h = (h ^ c) * 1099511628211ull;
    return h;
}
}  // namespace

Validator::Validator(ModuleLibrary& library, const std::string& path, int strictness,
                     uint64_t seed, const std::string& only)
    : library_(library), path_(path), strictness_(strictness), seed_(seed),
      only_(only.empty() ? std::string(".*") : only), filtered_(!only.empty()) {
    ModuleProperties props{};
    if (library.getModuleProperties(0, &props) == 1 && props.id != nullptr) specifics_ = moduleSpecifics(props.id);
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

int runValidate(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0)
        return usageError("usage: tarn-host validate MODULE.dll [--strictness 1..10] [--seed N] [--only REGEX]");
    long long strictness = 5;
    long long seed = -1;
    std::string only;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (i + 1 >= args.size() || (a != "--strictness" && a != "--seed" && a != "--only"))
            return usageError(i + 1 >= args.size() && (a == "--strictness" || a == "--seed" || a == "--only")
                                  ? a + " needs a value"
                                  : "unknown option \"" + a + "\"");
        const std::string v = args[++i];
        if (a == "--strictness" && (!parseInt(v, strictness) || strictness < 1 || strictness > 10))
            return usageError("--strictness takes a level from 1 to 10, not \"" + v + "\"");
        if (a == "--seed" && (!parseInt(v, seed) || seed < 0))
            return usageError("--seed takes a whole number from 0, not \"" + v + "\"");
        if (a == "--only") {
            try {
                std::regex test(v);
            } catch (const std::regex_error&) {
                return usageError("--only takes a regular expression, not \"" + v + "\"");
            }
            only = v;
        }
    }
    if (seed < 0) seed = static_cast<long long>(std::time(nullptr)) & 0x7fffffff;
    SetUnhandledExceptionFilter(&crashReport);
    ModuleLibrary lib;
    std::string error;
    if (!lib.load(args[0], error)) return failure(error);
    std::printf("validating %s at strictness %lld with seed %lld\n", args[0].c_str(), strictness, seed);
    std::fflush(stdout);
    Validator v(lib, args[0], static_cast<int>(strictness), static_cast<uint64_t>(seed), only);
    validateSignal(v);
    validatePanel(v);
    validateEnvironment(v);
    if (v.skipped() > 0) std::printf("%d passed, %d failed, %d skipped\n", v.passed(), v.failed(), v.skipped());
    else std::printf("%d passed, %d failed\n", v.passed(), v.failed());
    return v.failed() == 0 ? kExitOk : kExitFailure;
}

}  // namespace tarnhost
