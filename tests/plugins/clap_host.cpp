// tarn-clap-host: a small CLAP host for the plug-ins' checks, on the CLAP headers DPF ships.
//   tarn-clap-host info FILE.clap                      ports, parameters (range, default, labels)
//   tarn-clap-host render FILE.clap --out FILE [render options]
//   tarn-clap-host state FILE.clap [render options]    save, load into a second instance, compare
//   tarn-clap-host race FILE.clap [render options]     states and programs loaded on this thread
//                                                      while an audio thread plays (for ThreadSanitizer)
//   tarn-clap-host window FILE.clap [events]           Windows only: the plug-in's window (win/plugin_window.h)
//   tarn-clap-host bench FILE.clap [--label TEXT] [--frames N]... [--set ...]   the process call alone
// --set NAME=VALUE sets a parameter (a number, or a label of an enumerated one); --input streams
// a raw float32 file (signal units, as tarn-host takes it) onto a parameter in volts; --shape
// sets the plug-in's shape field in its saved state and loads that state; notes go out as MIDI.
// --fp-env NAME, --fp-env-calls NAME and --fp-env every: the host's floating-point environment
// (fp_host.h).
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "clap/entry.h"
#include "clap/events.h"
#include "clap/ext/audio-ports.h"
#include "clap/ext/params.h"
#include "clap/ext/state.h"
#include "clap/plugin-factory.h"
#include "clap/host.h"
#include "clap/plugin.h"
#include "clap/process.h"
#include "host_options.h"
#include "plugin_library.h"
#ifdef _WIN32
#include "win/plugin_window.h"
#endif

namespace {

using plugtest::Options;

// Input events of one process call, in time order.
struct EventList {
    std::vector<std::vector<uint8_t>> events;
    clap_input_events_t in{this, [](const clap_input_events_t* l) {
                               return static_cast<uint32_t>(static_cast<const EventList*>(l->ctx)->events.size());
                           },
                           [](const clap_input_events_t* l, uint32_t i) {
                               return reinterpret_cast<const clap_event_header_t*>(
                                   static_cast<const EventList*>(l->ctx)->events[i].data());
                           }};
    // The list as CLAP takes it; made where it is used, since the list may have moved.
    const clap_input_events_t* list() {
        in.ctx = this;
        return &in;
    }
    template <class E>
    void add(const E& e) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(&e);
        events.emplace_back(bytes, bytes + sizeof e);
    }
};

clap_output_events_t discardOutput{nullptr, [](const clap_output_events_t*, const clap_event_header_t*) { return true; }};

const clap_host_t kHost{CLAP_VERSION_INIT, nullptr, "tarn-clap-host", "Tarn", "", "1.0",
                        [](const clap_host_t*, const char*) -> const void* { return nullptr; },
                        [](const clap_host_t*) {}, [](const clap_host_t*) {}, [](const clap_host_t*) {}};

struct Parameter {
    clap_id id;
    std::string name;
    double min, max, def;
    uint32_t flags;
};

class Library {
public:
    explicit Library(const std::string& path) {
        const plugtest::PluginCall call("load, init and get_factory");
        handle_ = plugtest::openLibrary(path);
        if (handle_ == nullptr) return;
        entry_ = static_cast<const clap_plugin_entry_t*>(plugtest::librarySymbol(handle_, "clap_entry"));
        if (entry_ == nullptr || !entry_->init(path.c_str())) {
            entry_ = nullptr;
            return;
        }
        factory_ = static_cast<const clap_plugin_factory_t*>(entry_->get_factory(CLAP_PLUGIN_FACTORY_ID));
    }
    ~Library() {
        const plugtest::PluginCall call("deinit and close");
        if (entry_ != nullptr) entry_->deinit();
        if (handle_ != nullptr) plugtest::closeLibrary(handle_);
    }
    const clap_plugin_factory_t* factory() const { return factory_; }

private:
    void* handle_ = nullptr;
    const clap_plugin_entry_t* entry_ = nullptr;
    const clap_plugin_factory_t* factory_ = nullptr;
};

class Instance {
public:
    Instance(const Library& lib, double rate, int block) : rate_(rate), block_(block) {
        const clap_plugin_factory_t* f = lib.factory();
        if (f == nullptr || f->get_plugin_count(f) < 1) return;
        const clap_plugin_descriptor_t* d = f->get_plugin_descriptor(f, 0);
        {
            const plugtest::PluginCall call("create_plugin and init");
            plugin_ = f->create_plugin(f, &kHost, d->id);
            if (plugin_ != nullptr && !plugin_->init(plugin_)) {
                plugin_->destroy(plugin_);
                plugin_ = nullptr;
            }
        }
        if (plugin_ == nullptr) return;
        name_ = d->name;
        const plugtest::PluginCall call("get_extension and parameter info");
        params_ = static_cast<const clap_plugin_params_t*>(plugin_->get_extension(plugin_, CLAP_EXT_PARAMS));
        ports_ = static_cast<const clap_plugin_audio_ports_t*>(plugin_->get_extension(plugin_, CLAP_EXT_AUDIO_PORTS));
        state_ = static_cast<const clap_plugin_state_t*>(plugin_->get_extension(plugin_, CLAP_EXT_STATE));
        for (uint32_t i = 0; params_ != nullptr && i < params_->count(plugin_); ++i) {
            clap_param_info_t info{};
            if (params_->get_info(plugin_, i, &info))
                parameters_.push_back({info.id, info.name, info.min_value, info.max_value, info.default_value, info.flags});
        }
        output_.assign(static_cast<size_t>(block), 0.0f);
    }
    ~Instance() {
        if (plugin_ == nullptr) return;
        const plugtest::PluginCall call("stop_processing, deactivate and destroy");
        if (active_) {
            plugin_->stop_processing(plugin_);
            plugin_->deactivate(plugin_);
        }
        plugin_->destroy(plugin_);
    }
    bool ok() const { return plugin_ != nullptr; }
    const std::string& name() const { return name_; }
    const std::vector<Parameter>& parameters() const { return parameters_; }

    const Parameter* find(const std::string& name) const {
        for (const Parameter& p : parameters_) {
            if (p.name == name) return &p;
        }
        return nullptr;
    }

    // A number, or the label that the plug-in shows for one of the parameter's whole values.
    bool valueOf(const Parameter& p, const std::string& text, double& value) const {
        if (plugtest::numberFromText(text, value)) return true;
        for (double v = std::ceil(p.min); v <= p.max; v += 1.0) {
            char shown[256] = {};
            const plugtest::PluginCall call("value_to_text");
            if (params_->value_to_text(plugin_, p.id, v, shown, sizeof shown) && text == shown) {
                value = v;
                return true;
            }
        }
        return false;
    }

    std::string label(const Parameter& p, double v) const {
        char shown[256] = {};
        params_->value_to_text(plugin_, p.id, v, shown, sizeof shown);
        return shown;
    }

    void printPorts() const {
        for (int input = 1; input >= 0; --input) {
            const uint32_t n = ports_ != nullptr ? ports_->count(plugin_, input) : 0;
            for (uint32_t i = 0; i < n; ++i) {
                clap_audio_port_info_t info{};
                ports_->get(plugin_, i, input, &info);
                std::printf("audio %s \"%s\" channels %u\n", input ? "input" : "output", info.name, info.channel_count);
            }
        }
    }

    bool saveState(std::string& out) const {
        if (state_ == nullptr) return false;
        const plugtest::PluginCall call("state save");
        clap_ostream_t s{&out, [](const clap_ostream_t* st, const void* b, uint64_t n) -> int64_t {
                             static_cast<std::string*>(st->ctx)->append(static_cast<const char*>(b), n);
                             return static_cast<int64_t>(n);
                         }};
        return state_->save(plugin_, &s);
    }

    bool loadState(const std::string& in) {
        if (state_ == nullptr) return false;
        struct Reader {
            const std::string* text;
            size_t at;
        } reader{&in, 0};
        clap_istream_t s{&reader, [](const clap_istream_t* st, void* b, uint64_t n) -> int64_t {
                             auto* r = static_cast<Reader*>(st->ctx);
                             const size_t k = std::min<size_t>(n, r->text->size() - r->at);
                             std::memcpy(b, r->text->data() + r->at, k);
                             r->at += k;
                             return static_cast<int64_t>(k);
                         }};
        const plugtest::PluginCall call("state load");
        return state_->load(plugin_, &s);
    }

    void activate() {
        // DPF asks for room for two frames at least; calls of one frame still come.
        const plugtest::PluginCall call("activate and start_processing");
        plugin_->activate(plugin_, rate_, 1, static_cast<uint32_t>(std::max(block_, 2)));
        plugin_->start_processing(plugin_);
        active_ = true;
    }

    // Makes the data of a process call of count frames with the events, and hands it to use.
    template <class Use>
    auto withCall(int count, EventList& events, Use use) {
        float* channels[1] = {output_.data()};
        clap_audio_buffer_t out{};
        out.data32 = channels;
        out.channel_count = 1;
        clap_process_t p{};
        p.steady_time = -1;
        p.frames_count = static_cast<uint32_t>(count);
        p.audio_outputs = &out;
        p.audio_outputs_count = 1;
        p.in_events = events.list();
        p.out_events = &discardOutput;
        return use(p);
    }

    void process(int count, EventList& events, bool watch) {
        withCall(count, events, [&](const clap_process_t& p) {
            const plugtest::PluginCall call("process");
            if (watch) plugtest::watchBegin();
            plugin_->process(plugin_, &p);
            if (watch) plugtest::watchEnd();
        });
    }
    const float* output() const { return output_.data(); }

    // The process call alone, in ns: the call's data made once, no events.
    double timeProcess(int count) {
        EventList none;
        return withCall(count, none, [&](const clap_process_t& p) {
            return plugtest::bestNsPerCall([&] { plugin_->process(plugin_, &p); });
        });
    }

private:
    double rate_;
    int block_;
    const clap_plugin_t* plugin_ = nullptr;
    const clap_plugin_params_t* params_ = nullptr;
    const clap_plugin_audio_ports_t* ports_ = nullptr;
    const clap_plugin_state_t* state_ = nullptr;
    std::string name_;
    std::vector<Parameter> parameters_;
    std::vector<float> output_;
    bool active_ = false;
};

clap_event_param_value_t paramEvent(clap_id id, uint32_t time, double value) {
    clap_event_param_value_t e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_PARAM_VALUE, 0};
    e.param_id = id;
    e.note_id = -1;
    e.port_index = -1;
    e.channel = -1;
    e.key = -1;
    e.value = value;
    return e;
}

clap_event_midi_t midiEvent(uint32_t time, const uint8_t* bytes) {
    clap_event_midi_t e{};
    e.header = {sizeof e, time, CLAP_CORE_EVENT_SPACE_ID, CLAP_EVENT_MIDI, 0};
    e.port_index = 0;
    std::memcpy(e.data, bytes, 3);
    return e;
}

// The plug-in's saved state with its shape field set to text: DPF writes its fields as texts
// each ended by a zero byte, the key "shape" followed by the text.
bool withShape(std::string state, const std::string& text, std::string& out) {
    const std::string key("\0shape\0", 7);
    const size_t at = state.find(key);
    if (at == std::string::npos) return false;
    const size_t from = at + key.size();
    const size_t end = state.find('\0', from);
    out = state.replace(from, end - from, text);
    return true;
}

// The saved state with its program field (DPF's "__dpf_program__", then the number) set to index.
bool withProgram(std::string state, int index, std::string& out) {
    const std::string key("__dpf_program__\0", 16);
    const size_t at = state.find(key);
    if (at == std::string::npos) return false;
    const size_t from = at + key.size();
    out = state.replace(from, state.find('\0', from) - from, std::to_string(index));
    return true;
}

// Prepares an activated instance from the options; streams onto parameters go to streams.
std::unique_ptr<Instance> prepare(const Library& lib, const Options& o, std::vector<plugtest::ParameterStream>& streams,
                                  EventList& first, std::string& error) {
    auto inst = std::make_unique<Instance>(lib, o.rate, o.block);
    if (!inst->ok()) {
        error = "the library made no plug-in";
        return nullptr;
    }
    if (o.hasShape) {
        std::string state, shaped;
        if (!inst->saveState(state) || !withShape(state, o.shape, shaped) || !inst->loadState(shaped)) {
            error = "the plug-in's state took no shape";
            return nullptr;
        }
    }
    for (const auto& [name, text] : o.sets) {
        const Parameter* p = inst->find(name);
        double v = 0;
        if (p == nullptr || !inst->valueOf(*p, text, v)) {
            error = "no parameter \"" + name + "\" taking \"" + text + "\"";
            return nullptr;
        }
        first.add(paramEvent(p->id, 0, v));
    }
    for (const auto* list : {&o.inputs, &o.frameInputs}) {
        for (const auto& [name, path] : *list) {
            const Parameter* p = inst->find(name);
            if (p == nullptr) {
                error = "no parameter \"" + name + "\"";
                return nullptr;
            }
            streams.push_back({static_cast<int>(p - inst->parameters().data()), {}, list == &o.frameInputs});
            if (!plugtest::readFloats(path, streams.back().samples, error)) return nullptr;
        }
    }
    inst->activate();
    return inst;
}

void render(Instance& inst, const Options& o, const std::vector<plugtest::ParameterStream>& streams,
            EventList first, std::vector<float>& out) {
    out.clear();
    plugtest::planCalls(o, streams, [&](const plugtest::Call& call) {
        EventList events = std::move(first);
        first.events.clear();
        for (const auto& [index, volts] : call.changes) events.add(paramEvent(inst.parameters()[index].id, 0, volts));
        for (const plugtest::NoteEvent& n : call.notes) events.add(midiEvent(static_cast<uint32_t>(n.frame), n.bytes));
        inst.process(call.count, events, o.watch);
        out.insert(out.end(), inst.output(), inst.output() + call.count);
    });
}

int runInfo(const Library& lib) {
    Instance inst(lib, 44100.0, 64);
    if (!inst.ok()) return plugtest::usage("the library made no plug-in");
    std::printf("plug-in \"%s\"\n", inst.name().c_str());
    inst.printPorts();
    for (const Parameter& p : inst.parameters()) {
        std::printf("parameter \"%s\" %g ... %g default %g", p.name.c_str(), p.min, p.max, p.def);
        if (p.flags & CLAP_PARAM_IS_STEPPED) {
            for (double v = p.min; v <= p.max; v += 1.0) std::printf(" [%s]", inst.label(p, v).c_str());
        }
        std::printf("\n");
    }
    return 0;
}

// Each render loads the library afresh, as a host session does: the C library's generator
// that the random waves draw from starts where it starts in every render.
int runRender(const std::string& path, const Options& o) {
    std::vector<float> out;
    std::string error;
    const int status = plugtest::renderInFpEnvironments(
        o.fp,
        [&](std::vector<float>& samples, std::string& why) {
            const plugtest::PluginLife life;
            const Library lib(path);
            if (lib.factory() == nullptr) {
                why = "not a CLAP plug-in: " + path;
                return false;
            }
            std::vector<plugtest::ParameterStream> streams;
            EventList first;
            auto inst = prepare(lib, o, streams, first, why);
            if (inst == nullptr) return false;
            render(*inst, o, streams, std::move(first), samples);
            return true;
        },
        out, error);
    if (status == 2) return plugtest::usage(error.c_str());
    if (!o.out.empty() && !plugtest::writeFloats(o.out, out, error)) return plugtest::usage(error.c_str());
    if (o.watch && !plugtest::watchReport(true)) return 1;
    return status;
}

// The state saved after the options took effect, loaded into a fresh instance: both render the
// same samples, and an instance without it does not.
int runState(const Library& lib, const Options& o) {
    if (!plugtest::chooseFpEnvironment(o.fp)) return plugtest::usage("no such floating-point environment");
    const plugtest::PluginLife life;
    std::vector<plugtest::ParameterStream> streams;
    EventList first;
    std::string error;
    auto a = prepare(lib, o, streams, first, error);
    if (a == nullptr) return plugtest::usage(error.c_str());
    std::vector<float> outA, outB, outC;
    render(*a, o, streams, std::move(first), outA);
    std::string saved;
    if (!a->saveState(saved)) return plugtest::usage("the plug-in saved no state");
    Options plain = o;
    plain.hasShape = false;
    plain.sets.clear();
    std::vector<plugtest::ParameterStream> none;
    EventList empty;
    auto b = prepare(lib, plain, none, empty, error);
    auto c = prepare(lib, plain, none, empty, error);
    if (b == nullptr || c == nullptr || !b->loadState(saved)) return plugtest::usage("the state did not load");
    render(*b, plain, none, EventList{}, outB);
    render(*c, plain, none, EventList{}, outC);
    const bool same = outA == outB;
    const bool carried = outA != outC;
    std::printf("%s: the instance that loaded the saved state renders %s%s\n", a->name().c_str(),
                same ? "the same samples" : "DIFFERENT samples", carried ? "" : ", but so does one without it");
    return same && carried && plugtest::fpKept() ? 0 : 1;
}

// The plug-in's process call alone at each block size, after one call that took the settings;
// each figure "plugin/LABEL/CLAP/FRAMES".
int runBench(const Library& lib, const std::vector<std::string>& args) {
    return plugtest::runBench(args, "CLAP", [&](int frames, const auto& sets, std::string& label, std::string& error) {
        Options o;
        o.block = frames;
        o.sets = sets;
        std::vector<plugtest::ParameterStream> streams;
        EventList first;
        auto inst = prepare(lib, o, streams, first, error);
        if (inst == nullptr) return -1.0;
        if (label.empty()) label = inst->name();
        inst->process(frames, first, false);
        return inst->timeProcess(frames);
    });
}

// What a window does while the host plays: loads of states, each with a program and a shape text
// of its own, on this thread while another plays block after block; after each load the other
// plays on before the next. The last state loaded is the one saved at the end.
int runRace(const Library& lib, const Options& o) {
    constexpr int kLoads = 200;
    constexpr int kPrograms = 27;
    constexpr long kBlocksBetweenLoads = 2;
    std::vector<plugtest::ParameterStream> streams;
    EventList first;
    std::string error, state;
    auto inst = prepare(lib, o, streams, first, error);
    if (inst == nullptr) return plugtest::usage(error.c_str());
    if (!inst->saveState(state)) return plugtest::usage("the plug-in saved no state");
    std::atomic<bool> playing{true};
    std::atomic<long> blocks{0};
    std::thread audio([&] {
        while (playing.load()) {
            EventList none;
            inst->process(o.block, none, false);
            ++blocks;
        }
    });
    std::string shape, loaded;
    for (int i = 0; i < kLoads; ++i) {
        std::string programmed;
        shape = "(-5," + std::to_string(i % 7) + ")(5,-3.5)";
        if (!withProgram(state, i % kPrograms, programmed) || !withShape(programmed, shape, loaded) || !inst->loadState(loaded)) {
            error = "the plug-in's state took no program and shape";
            break;
        }
        for (const long seen = blocks.load(); blocks.load() < seen + kBlocksBetweenLoads;) std::this_thread::yield();
    }
    playing.store(false);
    audio.join();
    if (!error.empty()) return plugtest::usage(error.c_str());
    std::string saved, expected;
    const bool kept = inst->saveState(saved) && withShape(saved, shape, expected) && saved == expected;
    std::printf("%s: %d states and programs loaded while %ld blocks played; the last state %s\n", inst->name().c_str(), kLoads,
                blocks.load(), kept ? "is the one saved" : "is NOT the one saved");
    return kept ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* kUsage =
        "usage: tarn-clap-host info FILE.clap\n"
        "       tarn-clap-host render FILE.clap --out FILE [--frames N] [--rate HZ] [--block N] [--set NAME=VALUE]\n"
        "                      [--input NAME=FILE.f32] [--input-frames NAME=FILE.f32] [--shape TEXT]\n"
        "                      [--note FRAME:NOTE:VELOCITY] [--note FRAME:bend:VALUE] [--watch]\n"
        "                      [--fp-env NAME|every] [--fp-env-calls NAME]\n"
        "       tarn-clap-host state FILE.clap [render options]\n"
        "       tarn-clap-host race FILE.clap [render options]\n"
        "       tarn-clap-host bench FILE.clap [--label TEXT] [--frames N]... [--set NAME=VALUE]...";
    if (args.size() < 2) return plugtest::usage(kUsage);
#ifdef _WIN32
    if (args[0] == "window") return plugtest::runClapWindow(args);
#endif
    Options o;
    std::string error;
    if (args[0] != "info" && args[0] != "bench" && !plugtest::parseOptions(args, 2, o, error)) return plugtest::usage(error.c_str());
    if (args[0] == "render") return runRender(args[1], o);
    const Library lib(args[1]);
    if (lib.factory() == nullptr) return plugtest::usage(("not a CLAP plug-in: " + args[1]).c_str());
    if (args[0] == "info") return runInfo(lib);
    if (args[0] == "bench") return runBench(lib, args);
    if (args[0] == "state") return runState(lib, o);
    if (args[0] == "race") return runRace(lib, o);
    return plugtest::usage(kUsage);
}
