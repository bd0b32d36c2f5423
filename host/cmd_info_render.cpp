// tarn-host info and render.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "commands.h"
#include "module_library.h"
#include "number_text.h"
#include "signal_host.h"
#include "wav_file.h"

namespace tarnhost {

namespace {

int usageError(const std::string& message) {
    std::fprintf(stderr, "tarn-host: %s\n", message.c_str());
    return kExitUsage;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "tarn-host: %s\n", message.c_str());
    return kExitFailure;
}

const char* datatypeName(int32_t dt) {
    switch (dt) {
    case DT_ENUM: return "enum";
    case DT_TEXT: return "text";
    case DT_BOOL: return "bool";
    case DT_AUDIO: return "audio";
    default: return "other";
    }
}

// Options of render shared with later commands.
struct RenderOptions {
    std::string out;
    double rate = 44100.0;
    long long block = 1024;
    long long frames = -1;
    double seconds = 1.0;
    bool trace = false;
    std::vector<std::pair<std::string, std::string>> sets;
    std::vector<std::pair<std::string, std::string>> inputs;
};

bool splitAssignment(const std::string& s, std::pair<std::string, std::string>& out) {
    const size_t eq = s.find('=');
    if (eq == std::string::npos || eq == 0) return false;
    out = {s.substr(0, eq), s.substr(eq + 1)};
    return true;
}

// Parses render's options; returns an empty string or the usage error.
std::string parseRenderOptions(const std::vector<std::string>& args, size_t from,
                               RenderOptions& o) {
    for (size_t i = from; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto next = [&](std::string& v) {
            if (i + 1 >= args.size()) return false;
            v = args[++i];
            return true;
        };
        std::string v;
        if (a == "--trace") {
            o.trace = true;
        } else if (a == "--out" || a == "--frames" || a == "--seconds" || a == "--rate" ||
                   a == "--block" || a == "--set" || a == "--input" || a == "--shape") {
            if (!next(v)) return a + " needs a value";
            if (a == "--out") {
                o.out = v;
            } else if (a == "--frames") {
                if (!parseInt(v, o.frames) || o.frames < 0 || o.frames > (1LL << 31) - 1)
                    return "--frames takes a whole number of frames from 0, not \"" + v + "\"";
            } else if (a == "--seconds") {
                if (!parseDouble(v, o.seconds) || o.seconds < 0 || o.seconds > 3600)
                    return "--seconds takes a time from 0 to 3600, not \"" + v + "\"";
            } else if (a == "--rate") {
                if (!parseDouble(v, o.rate) || !(o.rate > 0) || o.rate > 1e7)
                    return "--rate takes a sample rate in Hz above 0, not \"" + v + "\"";
            } else if (a == "--block") {
                if (!parseInt(v, o.block) || o.block < 1 || o.block > 1 << 20)
                    return "--block takes a block size from 1 to 1048576, not \"" + v + "\"";
            } else if (a == "--shape") {
                o.sets.push_back({"shape", v});
            } else {
                std::pair<std::string, std::string> kv;
                if (!splitAssignment(v, kv)) return a + " takes PIN=VALUE, not \"" + v + "\"";
                (a == "--set" ? o.sets : o.inputs).push_back(kv);
            }
        } else {
            return "unknown option \"" + a + "\"";
        }
    }
    return "";
}

}  // namespace

int runInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) return usageError("usage: tarn-host info MODULE.dll");
    ModuleLibrary lib;
    std::string error;
    if (!lib.load(args[0], error)) return failure(error);

    ModuleProperties props{};
    const int32_t kUnwritten = 0x7EEEEEEE;
    props.flags = kUnwritten;
    props.sdkVersion = kUnwritten;
    if (lib.getModuleProperties(0, &props) == 0)
        return failure(args[0] + ": getModuleProperties(0) returned 0");
    std::printf("name: %s\n", props.name ? props.name : "");
    std::printf("id: %s\n", props.id ? props.id : "");
    std::string about = props.about ? props.about : "";
    std::string indented;
    for (char c : about) indented += c == '\n' ? std::string("\n  ") : std::string(1, c);
    std::printf("about:\n  %s\n", indented.c_str());
    std::printf("interface version: %d\n", props.sdkVersion);
    if (props.flags == kUnwritten) std::printf("flags: not written\n");
    else std::printf("flags: %d (%s)\n", props.flags, hex32(static_cast<uint32_t>(props.flags)).c_str());

    SignalHost host(lib, nullptr);
    if (!host.create(error)) return failure(error);
    host.queryPins();
    std::printf("pins:\n");
    for (const HostPin& p : host.pins()) {
        std::printf("  %d \"%s\" %s %s", p.declaredIndex, p.name.c_str(), p.input ? "in" : "out",
                    datatypeName(p.props.datatype));
        if (p.props.defaultValue != nullptr) std::printf(" default \"%s\"", p.defaultText.c_str());
        if (p.props.enumList != nullptr) std::printf(" choices \"%s\"", p.enumList.c_str());
        std::printf(" flags %s\n", hex32(static_cast<uint32_t>(p.props.flags)).c_str());
    }
    host.close();
    return kExitOk;
}

int runRender(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0)
        return usageError("usage: tarn-host render MODULE.dll --out FILE [options]");
    RenderOptions o;
    const std::string problem = parseRenderOptions(args, 1, o);
    if (!problem.empty()) return usageError(problem);
    if (o.out.empty()) return usageError("render needs --out FILE (.wav or .f32)");
    long long frames = o.frames >= 0 ? o.frames : static_cast<long long>(std::floor(o.seconds * o.rate + 0.5));
    if (frames > (1LL << 31) - 1) return usageError("too many frames");

    ModuleLibrary lib;
    std::string error;
    if (!lib.load(args[0], error)) return failure(error);
    SignalHost host(lib, o.trace ? stdout : nullptr);
    if (!host.create(error)) return failure(error);
    host.setSampleRate(static_cast<float>(o.rate));
    host.setBlockSize(static_cast<int32_t>(o.block));
    host.queryPins();
    for (const auto& kv : o.sets) {
        HostPin* pin = host.pinByName(kv.first);
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
    host.open();
    std::vector<float> samples;
    host.render(frames, samples);
    host.close();
    if (!writeSamples(o.out, samples, o.rate, error)) return failure(error);
    return kExitOk;
}

}  // namespace tarnhost
