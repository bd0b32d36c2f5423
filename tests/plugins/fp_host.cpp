// The plug-in test hosts' floating-point environments: lives, calls, the host's own work, traps.
#include "fp_host.h"

#include <cstdio>
#include <cstring>

#include "plugin_library.h"

namespace plugtest {

namespace {

constexpr const char* kEvery = "every";
// MXCSR and x87 control words of the hosts' own two environments.
constexpr uint32_t kMxcsrEveryTrap = 0x0000;  // all six exception masks clear
constexpr uint16_t kX87EveryTrap = 0x0340;    // all six exception masks clear, 64 bits, nearest
constexpr uint32_t kMxcsrMixed = 0x1F80 | 0x8000 | 0x0040 | 0x6000;  // FTZ, DAZ, toward zero
constexpr uint16_t kX87Mixed = 0x0C7F;                               // 24 bits, toward zero
constexpr tarnhost::FpState kHostDefault{0x1F80, 0x037F, 0};
constexpr uint32_t kMxcsrControlBits = 0xFFC0;

// The control bits of both units: a callback may see other status flags than the call's start.
bool sameControl(const tarnhost::FpState& a, const tarnhost::FpState& b) {
    return (a.mxcsr & kMxcsrControlBits) == (b.mxcsr & kMxcsrControlBits) && a.x87Control == b.x87Control;
}

struct Chosen {
    const tarnhost::FpEnvironment* environment = nullptr;
    bool perCall = false;
    bool checked = false;
    const char* calling = nullptr;  // the outermost call under way
    tarnhost::FpState callingState{};  // the host's environment as that call found it
    std::string problem;
};

Chosen& chosen() {
    static Chosen c;
    return c;
}

// A trap ends the run (the platform layer ends it), saying where it happened.
void reportTrap(const char* trap, const char* where) {
    std::fprintf(stdout, "FAIL a floating-point trap (%s) at %s during %s, in the environment %s\n", trap, where,
                 chosen().calling != nullptr ? chosen().calling : "the host's own code",
                 chosen().environment != nullptr ? chosen().environment->name : "default");
    std::fflush(stdout);
}

void watchTraps() {
    static bool installed = false;
    if (installed) return;
    onFloatingPointTrap(&reportTrap);
    installed = true;
}

std::string names() {
    std::string all;
    for (const tarnhost::FpEnvironment& e : pluginFpEnvironments()) all += std::string(all.empty() ? "" : ", ") + e.name;
    return all + " or " + kEvery;
}

bool sameBits(const std::vector<float>& a, const std::vector<float>& b) {
    return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Says how a render differs from the default's.
std::string difference(const std::vector<float>& samples, const std::vector<float>& reference) {
    if (samples.size() != reference.size())
        return std::to_string(samples.size()) + " samples, not " + std::to_string(reference.size());
    size_t count = 0, first = 0;
    for (size_t k = 0; k < samples.size(); ++k) {
        if (std::memcmp(&samples[k], &reference[k], sizeof(float)) == 0) continue;
        if (count++ == 0) first = k;
    }
    return std::to_string(count) + " of " + std::to_string(samples.size()) +
           " samples differ from the default environment's, the first at frame " + std::to_string(first);
}

}  // namespace

const std::vector<tarnhost::FpEnvironment>& pluginFpEnvironments() {
    static const std::vector<tarnhost::FpEnvironment> list = [] {
        std::vector<tarnhost::FpEnvironment> l = tarnhost::fpEnvironments();
        l.push_back({"all-traps", "every exception of both units unmasked, inexact included", {kMxcsrEveryTrap, kX87EveryTrap}});
        l.push_back({"mixed", "flush-to-zero, denormals-are-zero, rounding toward zero, x87 precision 24 bits",
                     {kMxcsrMixed, kX87Mixed}});
        return l;
    }();
    return list;
}

bool chooseFpEnvironment(const FpChoice& choice) {
    for (const tarnhost::FpEnvironment& e : pluginFpEnvironments()) {
        if (choice.name != e.name) continue;
        chosen().environment = &e;
        chosen().perCall = choice.perCall;
        chosen().checked = choice.named;
        watchTraps();
        return true;
    }
    return false;
}

PluginCall::PluginCall(const char* what)
    : own_(tarnhost::readFpState()), what_(what), outerWhat_(chosen().calling), outermost_(outerWhat_ == nullptr) {
    const Chosen& c = chosen();
    if (outermost_ && c.perCall && c.environment != nullptr) tarnhost::setFpControl(c.environment->control);
    in_ = tarnhost::readFpState();
    if (outermost_) chosen().callingState = in_;
    chosen().calling = what;
}

PluginCall::~PluginCall() {
    Chosen& c = chosen();
    c.calling = outerWhat_;
    if (!outermost_) return;
    if (c.checked) check();
    if (c.perCall) tarnhost::restoreFpState(own_);
}

void PluginCall::check() const {
    Chosen& c = chosen();
    const tarnhost::FpState out = tarnhost::readFpState();
    if (out != in_ && c.problem.empty())
        c.problem = std::string(what_) + " left the host's floating-point environment changed: " + in_.describe() +
                    " before, " + out.describe() + " after";
}

HostCallback::HostCallback(const char* what) {
    Chosen& c = chosen();
    if (c.calling == nullptr || !c.checked) return;
    const tarnhost::FpState now = tarnhost::readFpState();
    if (!sameControl(now, c.callingState) && c.problem.empty())
        c.problem = std::string(c.calling) + " called the host back (" + what + ") in another floating-point environment than "
                    "the host's: " + now.describe() + ", where the host had " + c.callingState.describe();
}

PluginLife::PluginLife() : own_(tarnhost::readFpState()) {
    const Chosen& c = chosen();
    if (!c.perCall && c.environment != nullptr) tarnhost::setFpControl(c.environment->control);
}

PluginLife::~PluginLife() { tarnhost::restoreFpState(own_); }

HostWork::HostWork() : saved_(tarnhost::readFpState()) { tarnhost::restoreFpState(kHostDefault); }

HostWork::~HostWork() { tarnhost::restoreFpState(saved_); }

const std::string& fpProblem() { return chosen().problem; }

bool fpKept() {
    if (fpProblem().empty()) return true;
    std::printf("FAIL %s\n", fpProblem().c_str());
    return false;
}

int renderInFpEnvironments(const FpChoice& choice, const Render& render, std::vector<float>& out, std::string& error) {
    const bool every = choice.name == kEvery;
    FpChoice first = choice;
    if (every) first.name = tarnhost::kDefaultFpEnvironment;
    if (!chooseFpEnvironment(first)) {
        error = "no floating-point environment \"" + choice.name + "\": " + names();
        return 2;
    }
    if (!render(out, error)) return 2;
    int failed = 0;
    if (!fpProblem().empty()) {
        std::printf("FAIL in the environment %s: %s\n", first.name.c_str(), fpProblem().c_str());
        ++failed;
    }
    if (!every) return failed;
    int runs = 0;
    for (const tarnhost::FpEnvironment& e : pluginFpEnvironments()) {
        if (std::strcmp(e.name, tarnhost::kDefaultFpEnvironment) == 0) continue;
        for (const bool perCall : {false, true}) {
            chosen().problem.clear();
            FpChoice next = choice;
            next.name = e.name;
            next.perCall = perCall;
            chooseFpEnvironment(next);
            const std::string how = std::string(e.name) + (perCall ? " around each call" : " for the plug-in's life");
            std::vector<float> samples;
            ++runs;
            restartCrtRandom();
            if (!render(samples, error)) {
                std::printf("FAIL in the environment %s: %s\n", how.c_str(), error.c_str());
                ++failed;
            } else if (!fpProblem().empty()) {
                std::printf("FAIL in the environment %s: %s\n", how.c_str(), fpProblem().c_str());
                ++failed;
            } else if (!sameBits(samples, out)) {
                std::printf("FAIL in the environment %s: %s\n", how.c_str(), difference(samples, out).c_str());
                ++failed;
            }
        }
    }
    chooseFpEnvironment(first);
    if (failed > 0) std::printf("%d of %d renders in other floating-point environments differ\n", failed, runs);
    return failed > 0 ? 1 : 0;
}

}  // namespace plugtest
