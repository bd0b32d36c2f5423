// Options shared by the commands that render: output, length, rate, block, pin values, trace.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/core/signal_host.h"

namespace tarnhost {

struct RenderOptions {
    std::string out;
    double rate = 44100.0;
    long long block = 1024;
    long long frames = -1;
    double seconds = 1.0;
    bool trace = false;
    bool watch = false;  // count the library's heap, lock and output calls
    std::string fpEnv = "default";  // the floating-point environment of the host's calls
    std::vector<std::pair<std::string, std::string>> sets;  // by pin name; "" names the text pin
    std::vector<std::pair<std::string, std::string>> inputs;

    long long frameCount() const;
};

// Takes the option at args[i] (and its value, advancing i) if it is a render option; false when
// it is not one of them. Throws InputError when it is one, but malformed.
bool takeRenderOption(const std::vector<std::string>& args, size_t& i, RenderOptions& o);

// Creates and configures the signal object: rate, block, pins, --set and --input values, ready
// to open. Throws InputError for a pin or value that does not suit, Error when the module makes
// no object.
void prepareSignal(SignalHost& host, const RenderOptions& o);

// `--fp-env list` anywhere among the arguments: prints the environments' names, one a line.
bool listFpEnvironmentsIfAsked(const std::vector<std::string>& args);
// Puts the chosen floating-point environment in force for every call into the module.
void chooseFpEnvironment(const RenderOptions& o);
// Throws Error saying what broke when a call into the module broke the floating-point promises.
void checkFpEnvironment();

}  // namespace tarnhost
