// Render options and the signal object's set-up from them.
#include "host/commands/render_options.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "host/core/fp_environments.h"
#include "host/io/error.h"
#include "host/io/number_text.h"

namespace tarnhost {

namespace {

// A render's frames are counted in 32 bits.
constexpr long long kMaxFrames = (1LL << 31) - 1;

// PIN=VALUE, with a name before the "=".
std::optional<std::pair<std::string, std::string>> splitAssignment(const std::string& s) {
    const size_t eq = s.find('=');
    if (eq == std::string::npos || eq == 0) return std::nullopt;
    return std::pair{s.substr(0, eq), s.substr(eq + 1)};
}

// The input a --set or --input names: by its name, or the text input for "".
HostPin& inputPin(SignalHost& host, const std::string& name) {
    if (name.empty()) {
        if (host.textPin() < 0) throw InputError("--shape: the module has no text input");
        return host.pins()[host.textPin()];
    }
    HostPin* pin = host.pinByName(name);
    if (pin == nullptr || !pin->input)
        throw InputError("no input pin \"" + name + "\"; the inputs are " + host.pinNames());
    return *pin;
}

}  // namespace

long long RenderOptions::frameCount() const {
    return frames >= 0 ? frames : static_cast<long long>(std::floor(seconds * rate + 0.5));
}

bool takeRenderOption(const std::vector<std::string>& args, size_t& i, RenderOptions& o) {
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
    if (i + 1 >= args.size()) throw InputError(a + " needs a value");
    const std::string v = args[++i];
    if (a == "--out") {
        o.out = v;
    } else if (a == "--frames") {
        const auto frames = parseInt(v);
        if (!frames || *frames < 0 || *frames > kMaxFrames)
            throw InputError("--frames takes a whole number of frames from 0, not \"" + v + "\"");
        o.frames = *frames;
    } else if (a == "--seconds") {
        const auto seconds = parseDouble(v);
        if (!seconds || *seconds < 0 || *seconds > 3600)
            throw InputError("--seconds takes a time from 0 to 3600, not \"" + v + "\"");
        o.seconds = *seconds;
    } else if (a == "--rate") {
        const auto rate = parseDouble(v);
        if (!rate || !(*rate > 0) || *rate > 1e7)
            throw InputError("--rate takes a sample rate in Hz above 0, not \"" + v + "\"");
        o.rate = *rate;
    } else if (a == "--block") {
        const auto block = parseInt(v);
        if (!block || *block < 1 || *block > 1 << 20)
            throw InputError("--block takes a block size from 1 to 1048576, not \"" + v + "\"");
        o.block = *block;
    } else if (a == "--shape") {
        o.sets.push_back({"", v});  // the module's text input, whatever its name
    } else if (a == "--fp-env") {
        if (findFpEnvironment(v) == nullptr)
            throw InputError("--fp-env takes one of the names --fp-env list prints, not \"" + v + "\"");
        o.fpEnv = v;
    } else {
        const auto kv = splitAssignment(v);
        if (!kv) throw InputError(a + " takes PIN=VALUE, not \"" + v + "\"");
        (a == "--set" ? o.sets : o.inputs).push_back(*kv);
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

void chooseFpEnvironment(const RenderOptions& o) {
    const FpEnvironment* e = findFpEnvironment(o.fpEnv);
    if (e == nullptr) throw InputError("unknown floating-point environment \"" + o.fpEnv + "\"");
    HostFpPolicy::instance().choose(*e);
}

void checkFpEnvironment() {
    const HostFpPolicy& policy = HostFpPolicy::instance();
    if (!policy.problem().empty())
        throw Error("in the floating-point environment \"" + std::string(policy.chosen().name) + "\": " + policy.problem());
}

void prepareSignal(SignalHost& host, const RenderOptions& o) {
    if (o.frameCount() > kMaxFrames) throw InputError("too many frames");
    host.create();
    host.setSampleRate(static_cast<float>(o.rate));
    host.setBlockSize(static_cast<int32_t>(o.block));
    host.queryPins();
    for (const auto& [name, value] : o.sets) host.setPinFromUser(inputPin(host, name), value);
    for (const auto& [name, path] : o.inputs) host.setPinInput(inputPin(host, name), path);
}

}  // namespace tarnhost
