// The floating-point environment a plug-in test host runs its plug-in in: one of tarn-host's named
// environments (or one of two more of these hosts' own), in force for the plug-in's whole life or
// put in force around each call into it, with every call checked to give the host's environment
// back exactly and a trap reported by where it happened.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/core/fp_environments.h"

namespace plugtest {

// tarn-host's environments, then "all-traps" (every exception of both units unmasked, inexact
// included) and "mixed" (what some audio hosts combine: flush-to-zero, denormals-are-zero,
// rounding toward zero, 24-bit x87 precision).
const std::vector<tarnhost::FpEnvironment>& pluginFpEnvironments();

// How a host holds an environment: for the plug-in's life (--fp-env NAME: put in force before
// the plug-in is made, left in force between calls, its status flags never cleared) or around
// each call (--fp-env-calls NAME: put in force with its flags cleared, the host's own between).
struct FpChoice {
    std::string name = tarnhost::kDefaultFpEnvironment;
    bool perCall = false;
    bool named = false;  // an option named an environment: only then is every call checked
};

// [main] Puts a choice in effect for the lives and calls that follow; false for an unknown name.
bool chooseFpEnvironment(const FpChoice& choice);

// [main or audio] Around every call into the plug-in.
class PluginCall {
public:
    explicit PluginCall(const char* what);
    ~PluginCall();
    PluginCall(const PluginCall&) = delete;
    PluginCall& operator=(const PluginCall&) = delete;

private:
    void check() const;

    tarnhost::FpState own_;
    tarnhost::FpState in_;
    const char* what_;
    const char* outerWhat_;
    bool outermost_;
};

// [main or audio] Around the host's own code that a plug-in calls back from inside a call into it
// (a stream it reads its state from, a queue of parameter changes): that code must find the
// host's environment, as the call into the plug-in found it, not the plug-in's.
class HostCallback {
public:
    explicit HostCallback(const char* what);
    HostCallback(const HostCallback&) = delete;
    HostCallback& operator=(const HostCallback&) = delete;
};

// [main] From before the plug-in is made until after it is freed.
class PluginLife {
public:
    PluginLife();
    ~PluginLife();
    PluginLife(const PluginLife&) = delete;
    PluginLife& operator=(const PluginLife&) = delete;

private:
    tarnhost::FpState own_;
};

// [main] The host's own computing inside a plug-in's life (the values it sends, parsing) runs in
// the default environment, so that every environment gets the same input.
class HostWork {
public:
    HostWork();
    ~HostWork();
    HostWork(const HostWork&) = delete;
    HostWork& operator=(const HostWork&) = delete;

private:
    tarnhost::FpState saved_;
};

// The first call that left the host's environment changed ("" while none).
const std::string& fpProblem();
// True when none did; else says which, on standard output.
bool fpKept();

// One render from the plug-in's making to its end: the samples, or false with a message.
using Render = std::function<bool(std::vector<float>& samples, std::string& error)>;

// Renders in the chosen environment; with the name "every", first in the default environment and
// then in every other, for the plug-in's life and around each call, each of which must give the
// default's samples bit for bit and leave the host's environment as it found it. out: the
// default's samples. 0 when all agree, 1 when one does not (each said on standard output), 2 for
// a usage error (in error).
int renderInFpEnvironments(const FpChoice& choice, const Render& render, std::vector<float>& out, std::string& error);

}  // namespace plugtest
