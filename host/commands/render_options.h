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

// Takes the option at args[i] (and its value, advancing i) if it is a render option.
// Returns false when the option is not one of them; error is set when it is, but malformed.
bool takeRenderOption(const std::vector<std::string>& args, size_t& i, RenderOptions& o,
                      std::string& error);

// Creates and configures the signal object: rate, block, pins, --set and --input values.
// Returns an exit code (0 when the object is ready to open).
int prepareSignal(SignalHost& host, const RenderOptions& o, std::string& error);

// `--fp-env list` anywhere among the arguments: prints the environments' names, one a line.
bool listFpEnvironmentsIfAsked(const std::vector<std::string>& args);
// Puts the chosen floating-point environment in force for every call into the module.
int chooseFpEnvironment(const RenderOptions& o);
// 0 when every call into the module kept the floating-point promises, else 1 with what broke.
int fpEnvironmentVerdict();

int usageError(const std::string& message);
int failure(const std::string& message);

}  // namespace tarnhost
