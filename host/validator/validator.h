// The validator's bookkeeping: strictness, seed, the --only filter, and the PASS/FAIL/SKIP lines.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <regex>
#include <string>
#include <utility>

#include "host/core/module_library.h"
#include "host/validator/module_specifics.h"

namespace tarnhost {

// What a check found: a pass, a failure with its reason, a skip with its reason, or a pass
// with something worth saying (a note).
struct Verdict {
    enum class Kind { Pass, Fail, Skip, Note };
    Kind kind = Kind::Pass;
    std::string text;

    static Verdict pass() { return {}; }
    static Verdict fail(std::string why) { return {Kind::Fail, std::move(why)}; }
    static Verdict skip(std::string why) { return {Kind::Skip, std::move(why)}; }
    static Verdict note(std::string what) { return {Kind::Note, std::move(what)}; }
    // The battery's helpers report a problem as text, "" for none.
    static Verdict failIf(std::string problem) { return problem.empty() ? pass() : fail(std::move(problem)); }
};

class Validator {
public:
    // Throws InputError when the specifics come from the description of another module.
    Validator(ModuleLibrary& library, const std::string& path, int strictness, uint64_t seed,
              const std::string& only, ModuleSpecifics specifics);

    // Runs one check unless --only leaves it out, and prints its verdict.
    void check(const std::string& name, const std::function<Verdict()>& body);
    // A count scaled by strictness (the counts given are those of strictness 5).
    int scaled(int atFive) const;
    std::mt19937_64& rng() { return rng_; }
    uint64_t seed() const { return seed_; }
    int strictness() const { return strictness_; }
    ModuleLibrary& library() { return library_; }
    // What the module's description says beyond its exports; empty without one.
    const ModuleSpecifics& specifics() const { return specifics_; }
    // Random texts of the module's text grammar, seeded from the check's own stream.
    RandomTexts randomTexts() { return RandomTexts(specifics_.text, rng_()); }
    const std::string& path() const { return path_; }
    int passed() const { return passed_; }
    int failed() const { return failed_; }
    int skipped() const { return skipped_; }

private:
    ModuleLibrary& library_;
    ModuleSpecifics specifics_;
    std::string path_;
    int strictness_;
    uint64_t seed_;
    std::regex only_;
    bool filtered_;
    std::mt19937_64 rng_;
    int passed_ = 0, failed_ = 0, skipped_ = 0;
};

// From now on a crash ends the process with a FAIL line naming the check under way, and with
// `exitCode`, instead of a debugger waiting for someone.
void reportCrashes(unsigned exitCode);

void validateSignal(Validator& v);
// Private bytes of this process, 0 where the system does not report them.
size_t processPrivateBytes();
// Runs a create/use/close cycle many times: every block the module allocated in them through its
// imports must be freed (an object of any size is seen), and the process's memory must not grow.
Verdict cyclesLeaveNothing(Validator& v, const std::function<void()>& cycle);
void validatePanel(Validator& v);
// Floating-point environments of the host, closes from inside calls, the capture after a menu.
void validateEnvironment(Validator& v);

}  // namespace tarnhost
