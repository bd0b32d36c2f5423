// tarn-lv2-host: a small LV2 host on lilv for the plug-ins' checks. It provides what DPF's
// plug-ins require (URID map, options, worker), connects every port, sets CV inputs in volts,
// streams onto control ports as the other test hosts stream onto parameters, feeds notes,
// restores and saves state, and renders, compares state round trips or times process calls:
//   tarn-lv2-host render URI --out FILE [render options]
//   tarn-lv2-host state URI [render options]   (save, restore into a second instance, render both)
//   tarn-lv2-host bench URI [--label TEXT] [--frames N]... [--set ...]   (the run call alone)
// Volts given for a CV input are sent in signal units (10 V = 1.0), as the modules take them.
// --fp-env NAME, --fp-env-calls NAME and --fp-env every put the plug-in in a host's floating-point
// environment (fp_host.h); the host's own reading and arithmetic stay in the default one.
#include <lilv/lilv.h>
#include <lv2/atom/util.h>
#include <lv2/buf-size/buf-size.h>
#include <lv2/midi/midi.h>
#include <lv2/options/options.h>
#include <lv2/parameters/parameters.h>
#include <lv2/presets/presets.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <lv2/worker/worker.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host_options.h"

namespace {

using plugtest::Options;

constexpr const char* kShapeKey = "urn:distrho:shape";
constexpr size_t kAtomCapacity = 65536;

class UridMap {
public:
    LV2_URID map(const char* uri) {
        auto it = ids_.find(uri);
        if (it != ids_.end()) return it->second;
        const LV2_URID id = static_cast<LV2_URID>(ids_.size() + 1);
        ids_.emplace(uri, id);
        uris_.emplace(id, uri);
        return id;
    }
    const char* unmap(LV2_URID id) const {
        auto it = uris_.find(id);
        return it == uris_.end() ? nullptr : it->second.c_str();
    }
    LV2_URID_Map map_{this, [](LV2_URID_Map_Handle h, const char* u) { return static_cast<UridMap*>(h)->map(u); }};
    LV2_URID_Unmap unmap_{this, [](LV2_URID_Unmap_Handle h, LV2_URID id) { return static_cast<UridMap*>(h)->unmap(id); }};

private:
    std::map<std::string, LV2_URID> ids_;
    std::map<LV2_URID, std::string> uris_;
};

// LV2_PATH with every folder made absolute: lilv reads a relative one as an invalid URI, and
// this lilv then crashes while loading the bundles.
void absoluteLv2Path() {
    const char* path = std::getenv("LV2_PATH");
    if (path == nullptr) return;
    std::string absolute;
    const std::string list = path;
    for (size_t from = 0, colon; from <= list.size(); from = colon + 1) {
        colon = std::min(list.find(':', from), list.size());
        const std::string folder = list.substr(from, colon - from);
        char* real = folder.empty() ? nullptr : realpath(folder.c_str(), nullptr);
        if (real == nullptr) continue;  // a folder that is not there holds no bundle
        absolute += (absolute.empty() ? "" : ":") + std::string(real);
        std::free(real);
    }
    setenv("LV2_PATH", absolute.c_str(), 1);
}

struct World {
    LilvWorld* world = nullptr;
    UridMap urids;
    World() {
        absoluteLv2Path();
        world = lilv_world_new();
        lilv_world_load_all(world);
    }
    ~World() { lilv_world_free(world); }
    LilvNode* uri(const char* u) { return lilv_new_uri(world, u); }
    bool isA(const LilvPort* port, const LilvPlugin* p, const char* cls) {
        LilvNode* n = uri(cls);
        const bool yes = lilv_port_is_a(p, port, n);
        lilv_node_free(n);
        return yes;
    }
};

enum class Kind { Audio, Cv, Control, Atom, Other };

struct Port {
    std::string symbol, name;
    Kind kind = Kind::Other;
    bool input = false;
    float value = 0.0f;               // control ports, and constant CV or audio inputs
    std::vector<float> stream;        // a CV or audio input from a file
    std::vector<float> buffer;        // audio and CV ports
    std::vector<uint64_t> atom;       // atom ports, 8-byte aligned
    std::map<std::string, float> choices;  // scale point labels
};

// One plug-in instance with its ports, features and worker.
class Instance {
public:
    Instance(World& w, const LilvPlugin* plugin, double rate, int block) : w_(w), plugin_(plugin), block_(block) {
        rateValue_ = static_cast<float>(rate);
        chunkType_ = w.urids.map(LV2_ATOM__Chunk);
        sequenceType_ = w.urids.map(LV2_ATOM__Sequence);
        midiType_ = w.urids.map(LV2_MIDI__MidiEvent);
        const LV2_URID intType = w.urids.map(LV2_ATOM__Int), floatType = w.urids.map(LV2_ATOM__Float);
        options_[0] = {LV2_OPTIONS_INSTANCE, 0, w.urids.map(LV2_BUF_SIZE__nominalBlockLength), sizeof(int32_t), intType, &block_};
        options_[1] = {LV2_OPTIONS_INSTANCE, 0, w.urids.map(LV2_BUF_SIZE__maxBlockLength), sizeof(int32_t), intType, &block_};
        options_[2] = {LV2_OPTIONS_INSTANCE, 0, w.urids.map(LV2_PARAMETERS__sampleRate), sizeof(float), floatType, &rateValue_};
        options_[3] = {LV2_OPTIONS_INSTANCE, 0, 0, 0, 0, nullptr};
        schedule_ = {this, [](LV2_Worker_Schedule_Handle h, uint32_t size, const void* data) {
                         auto* self = static_cast<Instance*>(h);
                         self->work_.emplace_back(static_cast<const char*>(data), static_cast<const char*>(data) + size);
                         return LV2_WORKER_SUCCESS;
                     }};
        featureList_ = {{LV2_URID__map, &w.urids.map_},
                        {LV2_URID__unmap, &w.urids.unmap_},
                        {LV2_OPTIONS__options, options_},
                        {LV2_WORKER__schedule, &schedule_},
                        {LV2_BUF_SIZE__boundedBlockLength, nullptr}};
        for (LV2_Feature& f : featureList_) features_.push_back(&f);
        features_.push_back(nullptr);
        {
            const plugtest::PluginCall call("instantiate");
            instance_ = lilv_plugin_instantiate(plugin, rate, features_.data());
        }
        if (instance_ != nullptr) makePorts();
    }
    ~Instance() {
        if (instance_ == nullptr) return;
        if (active_) {
            const plugtest::PluginCall call("deactivate");
            lilv_instance_deactivate(instance_);
        }
        const plugtest::PluginCall call("cleanup");
        lilv_instance_free(instance_);
    }
    bool ok() const { return instance_ != nullptr; }
    LilvInstance* lilv() { return instance_; }
    const LV2_Feature* const* features() const { return features_.data(); }

    bool set(const std::string& name, const std::string& text, std::string& error) {
        Port* p = find(name, error);
        if (p == nullptr || !p->input) {
            if (error.empty()) error = "no input port \"" + name + "\"";
            return false;
        }
        if (p->kind == Kind::Control) {
            auto c = p->choices.find(text);
            double number = 0.0;
            if (c != p->choices.end()) {
                p->value = c->second;
            } else if (plugtest::numberFromText(text, number)) {
                const plugtest::HostWork conversion;
                p->value = static_cast<float>(number);
            } else {
                error = "port \"" + name + "\" takes a number or one of its labels, not \"" + text + "\"";
                return false;
            }
            return true;
        }
        if (!plugtest::signalFromText(text, p->value)) {
            error = "port \"" + name + "\" takes volts, not \"" + text + "\"";
            return false;
        }
        return true;
    }

    // A file onto a CV or audio input (which takes every frame as it is), or onto a control port
    // as a stream of calls (everyFrame: the calls split where it changes).
    bool input(const std::string& name, const std::string& path, bool everyFrame,
               std::vector<plugtest::ParameterStream>& streams, std::string& error) {
        Port* p = find(name, error);
        if (!error.empty()) return false;
        if (p != nullptr && p->input && p->kind == Kind::Control) {
            streams.push_back({static_cast<int>(p - ports_.data()), {}, everyFrame});
            return plugtest::readFloats(path, streams.back().samples, error);
        }
        if (p == nullptr || !p->input || (p->kind != Kind::Cv && p->kind != Kind::Audio)) {
            error = "no CV or audio input \"" + name + "\"";
            return false;
        }
        return plugtest::readFloats(path, p->stream, error);
    }

    // [main] A control port's value from a stream, in volts.
    void setControl(int port, double volts) {
        const plugtest::HostWork number;
        ports_[static_cast<size_t>(port)].value = static_cast<float>(volts);
    }

    // The plug-in's own state interface restores the shape text.
    bool restoreShape(const std::string& text) {
        const auto* state = static_cast<const LV2_State_Interface*>(extension(LV2_STATE__interface));
        if (state == nullptr) return false;
        restoreText_ = text;
        const plugtest::PluginCall call("restore");
        const LV2_State_Status s = state->restore(
            lilv_instance_get_handle(instance_),
            [](LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
                auto* self = static_cast<Instance*>(h);
                if (key != self->w_.urids.map(kShapeKey)) return nullptr;
                *size = self->restoreText_.size() + 1;
                *type = self->w_.urids.map(LV2_ATOM__String);
                *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
                return self->restoreText_.c_str();
            },
            this, 0, features_.data());
        return s == LV2_STATE_SUCCESS;
    }

    void activate() {
        connect();
        const plugtest::PluginCall call("activate");
        lilv_instance_activate(instance_);
        active_ = true;
    }

    const void* extension(const char* uri) {
        const plugtest::PluginCall call("extension_data");
        return lilv_instance_get_extension_data(instance_, uri);
    }

    // One run of count frames starting at frame, with its events (frames relative to it).
    // With watch, the library's counting is on for the plug-in's run alone.
    void run(int64_t frame, int count, const std::vector<plugtest::NoteEvent>& events, bool watch = false) {
        for (Port& p : ports_) {
            if (p.input && (p.kind == Kind::Cv || p.kind == Kind::Audio)) {
                for (int k = 0; k < count; ++k) p.buffer[k] = plugtest::streamAt(p.stream, frame + k, p.value);
            }
            if (p.kind == Kind::Atom) prepareAtom(p, events);
        }
        {
            const plugtest::PluginCall call("run");
            if (watch) plugtest::watchBegin();
            lilv_instance_run(instance_, static_cast<uint32_t>(count));
            if (watch) plugtest::watchEnd();
        }
        runWorker();
    }

    const float* output() const {
        for (const Port& p : ports_) {
            if (!p.input && (p.kind == Kind::Audio || p.kind == Kind::Cv)) return p.buffer.data();
        }
        return nullptr;
    }

private:
    // The port a name or a symbol means; null, and why, where it means none or two.
    Port* find(const std::string& name, std::string& error) {
        Port* found = nullptr;
        for (Port& p : ports_) {
            if (p.symbol != name && p.name != name) continue;
            if (found != nullptr) {
                error = "\"" + name + "\" names two ports: \"" + found->symbol + "\" and \"" + p.symbol + "\"";
                return nullptr;
            }
            found = &p;
        }
        return found;
    }

    // The host's own reading of the plug-in's description.
    void makePorts() {
        const plugtest::HostWork reading;
        const uint32_t n = lilv_plugin_get_num_ports(plugin_);
        ports_.resize(n);
        for (uint32_t i = 0; i < n; ++i) {
            const LilvPort* lp = lilv_plugin_get_port_by_index(plugin_, i);
            Port& p = ports_[i];
            p.symbol = lilv_node_as_string(lilv_port_get_symbol(plugin_, lp));
            LilvNode* name = lilv_port_get_name(plugin_, lp);
            p.name = lilv_node_as_string(name);
            lilv_node_free(name);
            p.input = w_.isA(lp, plugin_, LV2_CORE__InputPort);
            if (w_.isA(lp, plugin_, LV2_CORE__AudioPort)) p.kind = Kind::Audio;
            else if (w_.isA(lp, plugin_, LV2_CORE__CVPort)) p.kind = Kind::Cv;
            else if (w_.isA(lp, plugin_, LV2_CORE__ControlPort)) p.kind = Kind::Control;
            else if (w_.isA(lp, plugin_, LV2_ATOM__AtomPort)) p.kind = Kind::Atom;
            if (p.kind == Kind::Control) {
                LilvNode* def = nullptr;
                lilv_port_get_range(plugin_, lp, &def, nullptr, nullptr);
                if (def != nullptr) p.value = lilv_node_as_float(def);
                lilv_node_free(def);
                LilvScalePoints* points = lilv_port_get_scale_points(plugin_, lp);
                LILV_FOREACH(scale_points, it, points) {
                    const LilvScalePoint* sp = lilv_scale_points_get(points, it);
                    p.choices[lilv_node_as_string(lilv_scale_point_get_label(sp))] = lilv_node_as_float(lilv_scale_point_get_value(sp));
                }
                lilv_scale_points_free(points);
            }
            p.buffer.assign(static_cast<size_t>(block_), 0.0f);
            p.atom.assign(kAtomCapacity / 8, 0);
        }
    }

    void connect() {
        for (uint32_t i = 0; i < ports_.size(); ++i) {
            Port& p = ports_[i];
            void* data = p.kind == Kind::Control ? static_cast<void*>(&p.value)
                         : p.kind == Kind::Atom  ? static_cast<void*>(p.atom.data())
                                                 : static_cast<void*>(p.buffer.data());
            const plugtest::PluginCall call("connect_port");
            lilv_instance_connect_port(instance_, i, data);
        }
    }

    // An input sequence with the block's MIDI events, or an empty output sequence.
    void prepareAtom(Port& p, const std::vector<plugtest::NoteEvent>& events) {
        auto* seq = reinterpret_cast<LV2_Atom_Sequence*>(p.atom.data());
        if (!p.input) {
            seq->atom.size = kAtomCapacity - sizeof(LV2_Atom);
            seq->atom.type = chunkType_;
            return;
        }
        seq->atom.type = sequenceType_;
        seq->atom.size = sizeof(LV2_Atom_Sequence_Body);
        seq->body.unit = 0;
        seq->body.pad = 0;
        for (const plugtest::NoteEvent& e : events) {
            auto* ev = reinterpret_cast<LV2_Atom_Event*>(reinterpret_cast<char*>(&seq->body) + seq->atom.size);
            ev->time.frames = e.frame;
            ev->body.type = midiType_;
            ev->body.size = 3;
            std::memcpy(ev + 1, e.bytes, 3);
            seq->atom.size += static_cast<uint32_t>(lv2_atom_pad_size(sizeof(LV2_Atom_Event) + 3));
        }
    }

    void runWorker() {
        if (work_.empty()) return;
        const auto* worker = static_cast<const LV2_Worker_Interface*>(extension(LV2_WORKER__interface));
        while (!work_.empty()) {
            const std::vector<char> job = std::move(work_.front());
            work_.pop_front();
            const plugtest::PluginCall call("work");
            if (worker != nullptr)
                worker->work(lilv_instance_get_handle(instance_), [](LV2_Worker_Respond_Handle, uint32_t, const void*) { return LV2_WORKER_SUCCESS; },
                             nullptr, static_cast<uint32_t>(job.size()), job.data());
        }
    }

    World& w_;
    const LilvPlugin* plugin_;
    int32_t block_;
    float rateValue_;
    LV2_URID chunkType_, sequenceType_, midiType_;  // mapped once: a run maps nothing
    LV2_Options_Option options_[4];
    LV2_Worker_Schedule schedule_;
    std::vector<LV2_Feature> featureList_;
    std::vector<const LV2_Feature*> features_;
    LilvInstance* instance_ = nullptr;
    std::vector<Port> ports_;
    std::deque<std::vector<char>> work_;
    std::string restoreText_;
    bool active_ = false;
};

const LilvPlugin* findPlugin(World& w, const std::string& uri) {
    LilvNode* u = w.uri(uri.c_str());
    const LilvPlugin* p = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(w.world), u);
    lilv_node_free(u);
    return p;
}

// One of the plug-in's presets, found by its label and restored by lilv.
bool restorePreset(World& w, const LilvPlugin* plugin, Instance& inst, const std::string& label) {
    LilvNode* presetClass = w.uri(LV2_PRESETS__Preset);
    LilvNode* labelUri = w.uri(LILV_NS_RDFS "label");
    LilvNodes* presets = lilv_plugin_get_related(plugin, presetClass);
    bool found = false;
    LILV_FOREACH(nodes, it, presets) {
        const LilvNode* preset = lilv_nodes_get(presets, it);
        LilvNode* name = nullptr;
        LilvState* state = nullptr;
        {
            const plugtest::HostWork reading;
            lilv_world_load_resource(w.world, preset);
            name = lilv_world_get(w.world, preset, labelUri, nullptr);
            if (!found && name != nullptr && label == lilv_node_as_string(name))
                state = lilv_state_new_from_world(w.world, &w.urids.map_, preset);
        }
        if (state != nullptr) {
            const plugtest::PluginCall call("preset restore");
            lilv_state_restore(state, inst.lilv(), nullptr, nullptr, 0, inst.features());
            lilv_state_free(state);
            found = true;
        }
        lilv_node_free(name);
    }
    lilv_nodes_free(presets);
    lilv_node_free(labelUri);
    lilv_node_free(presetClass);
    return found;
}

std::unique_ptr<Instance> prepare(World& w, const std::string& uri, const Options& o,
                                  std::vector<plugtest::ParameterStream>& streams, std::string& error) {
    const LilvPlugin* plugin = findPlugin(w, uri);
    if (plugin == nullptr) {
        error = "no LV2 plug-in " + uri + " in LV2_PATH";
        return nullptr;
    }
    auto inst = std::make_unique<Instance>(w, plugin, o.rate, o.block);
    if (!inst->ok()) {
        error = uri + ": instantiation failed";
        return nullptr;
    }
    for (const auto& kv : o.sets) {
        if (!inst->set(kv.first, kv.second, error)) return nullptr;
    }
    for (const auto* list : {&o.inputs, &o.frameInputs}) {
        for (const auto& kv : *list) {
            if (!inst->input(kv.first, kv.second, list == &o.frameInputs, streams, error)) return nullptr;
        }
    }
    if (!o.preset.empty() && !restorePreset(w, plugin, *inst, o.preset)) {
        error = uri + ": no preset \"" + o.preset + "\"";
        return nullptr;
    }
    if (o.hasShape && !inst->restoreShape(o.shape)) {
        error = uri + ": the state interface did not take the shape";
        return nullptr;
    }
    inst->activate();
    return inst;
}

void render(Instance& inst, const Options& o, const std::vector<plugtest::ParameterStream>& streams,
            std::vector<float>& out) {
    out.clear();
    plugtest::planCalls(o, streams, [&](const plugtest::Call& call) {
        for (const auto& [port, volts] : call.changes) inst.setControl(port, volts);
        inst.run(call.from, call.count, call.notes, o.watch);
        out.insert(out.end(), inst.output(), inst.output() + call.count);
    });
}

int runRender(World& w, const std::string& uri, const Options& o) {
    std::vector<float> out;
    std::string error;
    const int status = plugtest::renderInFpEnvironments(
        o.fp,
        [&](std::vector<float>& samples, std::string& why) {
            const plugtest::PluginLife life;
            std::vector<plugtest::ParameterStream> streams;
            auto inst = prepare(w, uri, o, streams, why);
            if (inst == nullptr) return false;
            render(*inst, o, streams, samples);
            return true;
        },
        out, error);
    if (status == 2) return plugtest::usage(error.c_str());
    if (!o.out.empty() && !plugtest::writeFloats(o.out, out, error)) return plugtest::usage(error.c_str());
    if (o.watch && !plugtest::watchReport(true)) return 1;
    return status;
}

// The state lilv saves from one instance, restored into a fresh one: both render alike.
int runState(World& w, const std::string& uri, const Options& o) {
    if (!plugtest::chooseFpEnvironment(o.fp)) return plugtest::usage("no such floating-point environment");
    const plugtest::PluginLife life;
    std::string error;
    std::vector<plugtest::ParameterStream> streams, none;
    auto first = prepare(w, uri, o, streams, error);
    if (first == nullptr) return plugtest::usage(error.c_str());
    const LilvPlugin* plugin = findPlugin(w, uri);
    LilvState* saved = nullptr;
    {
        const plugtest::PluginCall call("save");
        saved = lilv_state_new_from_instance(plugin, first->lilv(), &w.urids.map_, nullptr, nullptr, nullptr, nullptr,
                                             nullptr, nullptr, 0, first->features());
    }
    char* text = nullptr;
    LilvState* loaded = nullptr;
    {
        const plugtest::HostWork serialising;
        text = lilv_state_to_string(w.world, &w.urids.map_, &w.urids.unmap_, saved, "urn:tarn:saved", nullptr);
        loaded = lilv_state_new_from_string(w.world, &w.urids.map_, text);
    }
    Options plain = o;
    plain.hasShape = false;
    auto second = prepare(w, uri, plain, none, error);
    if (second == nullptr) return plugtest::usage(error.c_str());
    {
        const plugtest::PluginCall call("restore");
        lilv_state_restore(loaded, second->lilv(), nullptr, nullptr, 0, second->features());
    }
    auto fresh = prepare(w, uri, plain, none, error);  // no state: it must sound different
    std::vector<float> a, b, c;
    render(*first, o, streams, a);
    render(*second, o, streams, b);
    render(*fresh, o, streams, c);
    const bool same = a == b && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
    const bool carried = a.size() != c.size() || std::memcmp(a.data(), c.data(), a.size() * sizeof(float)) != 0;
    std::printf("%s\n%s: the restored instance renders %s\n", text, uri.c_str(), same ? "the same samples" : "DIFFERENT samples");
    if (!carried) std::printf("%s: but so does an instance without the state\n", uri.c_str());
    const bool kept = plugtest::fpKept();
    lilv_free(text);
    lilv_state_free(saved);
    lilv_state_free(loaded);
    return same && carried && kept ? 0 : 1;
}

// The plug-in's run alone at each block size: its ports connected and filled by one run through
// the render's path, then the same run again and again, each figure "plugin/LABEL/LV2/FRAMES".
int runBench(World& w, const std::vector<std::string>& args) {
    return plugtest::runBench(args, "LV2", [&](int frames, const auto& sets, std::string& label, std::string& error) {
        Options o;
        o.block = frames;
        o.sets = sets;
        std::vector<plugtest::ParameterStream> streams;
        auto inst = prepare(w, args[1], o, streams, error);
        if (inst == nullptr) return -1.0;
        if (label.empty()) label = args[1];
        inst->run(0, frames, {});
        const LV2_Descriptor* descriptor = lilv_instance_get_descriptor(inst->lilv());
        LV2_Handle handle = lilv_instance_get_handle(inst->lilv());
        const auto count = static_cast<uint32_t>(frames);
        return plugtest::bestNsPerCall([&] { descriptor->run(handle, count); });
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* kUsage =
        "usage: tarn-lv2-host render URI --out FILE [--frames N] [--rate HZ] [--block N] [--set NAME=VALUE]\n"
        "                     [--input NAME=FILE.f32] [--input-frames NAME=FILE.f32] [--shape TEXT] [--preset LABEL]\n"
        "                     [--note FRAME:NOTE:VELOCITY] [--note FRAME:bend:VALUE] [--watch]\n"
        "                     [--fp-env NAME|every] [--fp-env-calls NAME]\n"
        "       tarn-lv2-host state URI [render options]\n"
        "       tarn-lv2-host bench URI [--label TEXT] [--frames N]... [--set NAME=VALUE]...";
    if (args.empty()) return plugtest::usage(kUsage);
    World w;
    if (args[0] == "bench") return runBench(w, args);
    if ((args[0] != "render" && args[0] != "state") || args.size() < 2) return plugtest::usage(kUsage);
    Options o;
    std::string error;
    if (!plugtest::parseOptions(args, 2, o, error)) return plugtest::usage(error.c_str());
    return args[0] == "render" ? runRender(w, args[1], o) : runState(w, args[1], o);
}
