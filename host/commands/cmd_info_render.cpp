// tarn-host info and render.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "host/commands/commands.h"
#include "host/core/import_watch.h"
#include "host/core/module_library.h"
#include "host/io/number_text.h"
#include "host/commands/render_options.h"
#include "host/core/signal_host.h"
#include "host/io/error.h"
#include "host/io/wav_file.h"

namespace tarnhost {

namespace {

const char* datatypeName(int32_t dt) {
    switch (dt) {
    case DT_ENUM: return "enum";
    case DT_TEXT: return "text";
    case DT_BOOL: return "bool";
    case DT_AUDIO: return "audio";
    default: return "other";
    }
}

}  // namespace

int runInfo(const std::vector<std::string>& args) {
    if (args.size() != 1) throw InputError("usage: tarn-host info MODULE.dll");
    ModuleLibrary lib;
    lib.load(args[0]);

    ModuleProperties props{};
    const int32_t kUnwritten = 0x7EEEEEEE;
    props.flags = kUnwritten;
    props.sdkVersion = kUnwritten;
    if (lib.getModuleProperties(0, &props) == 0) throw Error(args[0] + ": getModuleProperties(0) returned 0");
    std::printf("name: %s\n", props.name ? props.name : "");
    std::printf("id: %s\n", props.id ? props.id : "");
    std::string about = props.about ? props.about : "";
    std::string indented;
    for (char c : about) indented += c == '\n' ? std::string("\n  ") : std::string(1, c);
    std::printf("about:\n  %s\n", indented.c_str());
    std::printf("interface version: %d\n", props.sdkVersion);
    if (props.flags == kUnwritten) std::printf("flags: not written\n");
    else std::printf("flags: %d (%s)\n", props.flags, hex(static_cast<uint32_t>(props.flags)).c_str());

    SignalHost host(lib, nullptr);
    host.create();
    host.queryPins();
    std::printf("pins:\n");
    for (const HostPin& p : host.pins()) {
        std::printf("  %d \"%s\" %s %s", p.declaredIndex, p.name.c_str(), p.input ? "in" : "out",
                    datatypeName(p.props.datatype));
        if (p.props.defaultValue != nullptr) std::printf(" default \"%s\"", p.defaultText.c_str());
        if (p.props.enumList != nullptr) std::printf(" choices \"%s\"", p.enumList.c_str());
        std::printf(" flags %s\n", hex(static_cast<uint32_t>(p.props.flags)).c_str());
    }
    host.close();
    return kExitOk;
}

namespace {

// The counts of a render, per kind of call on the audio path, then each call seen.
void printWatch(int watched) {
    long long perKind[4] = {0, 0, 0, 0};
    const std::vector<WatchedCalls> calls = watchedCalls();
    for (const WatchedCalls& c : calls) {
        if (c.where != kSetupScope) perKind[static_cast<int>(c.kind)] += c.calls;
    }
    std::printf("watch: %d watched imports\n", watched);
    std::printf("watch: on the audio path: heap %lld, lock or wait %lld, file or console output %lld\n",
                perKind[0], perKind[1], perKind[2]);
    for (const WatchedCalls& c : calls) {
        std::printf("watch:   %s (%s) %lld in %s\n", c.function.c_str(), callKindName(c.kind), c.calls,
                    c.where.c_str());
    }
}

}  // namespace

int runRender(const std::vector<std::string>& args) {
    if (listFpEnvironmentsIfAsked(args)) return kExitOk;
    if (args.empty() || args[0].rfind("--", 0) == 0)
        throw InputError("usage: tarn-host render MODULE.dll --out FILE [options]");
    RenderOptions o;
    for (size_t i = 1; i < args.size(); ++i)
        if (!takeRenderOption(args, i, o)) throw InputError("unknown option \"" + args[i] + "\"");
    if (o.out.empty()) throw InputError("render needs --out FILE (.wav or .f32)");
    chooseFpEnvironment(o);

    ModuleLibrary lib;
    lib.load(args[0]);
    const int watched = o.watch ? watchImports(lib.handle()) : 0;
    SignalHost host(lib, o.trace ? stdout : nullptr);
    {
        // Creation, pins and open are not the audio path; counted apart for comparison.
        WatchScope setup(kSetupScope);
        prepareSignal(host, o);
        host.open();
    }
    std::vector<float> samples;
    host.render(o.frameCount(), samples);
    host.close();
    writeSamples(o.out, samples, o.rate);
    if (o.watch) printWatch(watched);
    checkFpEnvironment();
    return kExitOk;
}

}  // namespace tarnhost
