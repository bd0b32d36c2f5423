// Render options and the signal object's set-up from them.
#include "host/commands/render_options.h"

#include <cmath>
#include <cstdio>

#include "host/commands/commands.h"
#include "host/core/fp_environments.h"
#include "host/io/number_text.h"

namespace tarnhost {

namespace {

bool splitAssignment(const std::string& s, std::pair<std::string, std::string>& out) {
    const size_t eq = s.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    out = {s.substr(0, eq), s.substr(eq + 1)};
    return true;
}

}  // namespace

int usageError(const std::string& message) {
    std::fprintf(stderr, "tarn-host: %s\n", message.c_str());
    return kExitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "tarn-host: %s\n", message.c_str());
    return kExitFailure;
}

long long RenderOptions::frameCount() const {
    return frames >= 0 ? frames : static_cast<long long>(std::floor(seconds * rate + 0.5));
}

bool takeRenderOption(const std::vector<std::string>& args, size_t& i, RenderOptions& o,
                      std::string& error) {
    const std::string& a = args[i];
    if (a == "--trace") {
        o.trace = true;
        return true;
    }
    if (a == "--watch") {
        o.watch = true;
        return true;
    }
    if (a != "--out" && a != "--frames" && a != "--seconds" && a != "--rate" && a != "--block" &&
        a != "--set" && a != "--input" && a != "--shape" && a != "--fp-env") {
        return false;
    }
    if (i + 1 >= args.size()) {
        error = a + " needs a value";
        return true;
    }
    const std::string v = args[++i];
    if (a == "--out") {
        o.out = v;
    } else if (a == "--frames") {
        if (!parseInt(v, o.frames) || o.frames < 0 || o.frames > (1LL << 31) - 1)
            error = "--frames takes a whole number of frames from 0, not \"" + v + "\"";
    } else if (a == "--seconds") {
        if (!parseDouble(v, o.seconds) || o.seconds < 0 || o.seconds > 3600)
            error = "--seconds takes a time from 0 to 3600, not \"" + v + "\"";
    } else if (a == "--rate") {
        if (!parseDouble(v, o.rate) || !(o.rate > 0) || o.rate > 1e7)
            error = "--rate takes a sample rate in Hz above 0, not \"" + v + "\"";
    } else if (a == "--block") {
        if (!parseInt(v, o.block) || o.block < 1 || o.block > 1 << 20)
            error = "--block takes a block size from 1 to 1048576, not \"" + v + "\"";
    } else if (a == "--shape") {
        o.sets.push_back({"", v});  // the module's text input, whatever its name
    } else if (a == "--fp-env") {
        if (findFpEnvironment(v) == nullptr)
            error = "--fp-env takes one of the names --fp-env list prints, not \"" + v + "\"";
        o.fpEnv = v;
    } else {
        std::pair<std::string, std::string> kv;
        if (!splitAssignment(v, kv)) error = a + " takes PIN=VALUE, not \"" + v + "\"";
        else (a == "--set" ? o.sets : o.inputs).push_back(kv);
    }
    return true;
}

bool listFpEnvironmentsIfAsked(const std::vector<std::string>& args) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] != "--fp-env" || args[i + 1] != "list") continue;
        for (const FpEnvironment& e : fpEnvironments()) std::printf("%s\n", e.name);
        return true;
    }
    return false;
}

int chooseFpEnvironment(const RenderOptions& o) {
    const FpEnvironment* e = findFpEnvironment(o.fpEnv);
    if (e == nullptr) return usageError("unknown floating-point environment \"" + o.fpEnv + "\"");
    HostFpPolicy::instance().choose(*e);
    return kExitOk;
}

int fpEnvironmentVerdict() {
    const HostFpPolicy& policy = HostFpPolicy::instance();
    if (policy.problem().empty()) return kExitOk;
    return failure("in the floating-point environment \"" + std::string(policy.chosen().name) + "\": " + policy.problem());
}

int prepareSignal(SignalHost& host, const RenderOptions& o, std::string& error) {
    if (o.frameCount() > (1LL << 31) - 1) return usageError("too many frames");
    if (!host.create(error)) return failure(error);
    host.setSampleRate(static_cast<float>(o.rate));
    host.setBlockSize(static_cast<int32_t>(o.block));
    host.queryPins();
    for (const auto& kv : o.sets) {
        if (kv.first.empty() && host.textPin() < 0) return usageError("--shape: the module has no text input");
        HostPin* pin = kv.first.empty() ? &host.pins()[host.textPin()] : host.pinByName(kv.first);
        if (pin == nullptr || !pin->input)
            return usageError("no input pin \"" + kv.first + "\"; the inputs are " + host.pinNames());
        if (!host.setPinFromUser(*pin, kv.second, error)) return usageError(error);
    }
    for (const auto& kv : o.inputs) {
        HostPin* pin = host.pinByName(kv.first);
        if (pin == nullptr || !pin->input)
            return usageError("no input pin \"" + kv.first + "\"; the inputs are " + host.pinNames());
        if (!host.setPinInput(*pin, kv.second, error)) return usageError(error);
    }
    return kExitOk;
}

}  // namespace tarnhost
