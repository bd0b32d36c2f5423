// tarn-vst3-host: a small VST3 host for the plug-ins' checks, on the VST3 interfaces DPF ships
// (its "travesty" headers). The same commands and options as tarn-clap-host:
//   tarn-vst3-host info BUNDLE.vst3
//   tarn-vst3-host render BUNDLE.vst3 --out FILE [render options] [--program FRAME:NAME]
//   tarn-vst3-host state BUNDLE.vst3 [render options]
//   tarn-vst3-host window BUNDLE.vst3 [events]   Windows only: the plug-in's window (win/plugin_window.h)
//   tarn-vst3-host bench BUNDLE.vst3 [--label TEXT] [--frames N]... [--set ...]   the process call alone
// Parameters travel normalised, as VST3 has them; notes as note events; pitch bend on the
// parameter the plug-in's MIDI mapping names, as a DAW sends it. --program chooses a program
// through the controller from inside the process call's thread, as a DAW does for a MIDI program
// change, and tells the processor too.
// --fp-env NAME, --fp-env-calls NAME and --fp-env every: the host's floating-point environment
// (fp_host.h).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "host_options.h"
#include "plugin_library.h"
#ifdef _WIN32
#include "win/plugin_window.h"
#endif
#include "travesty/audio_processor.h"
#include "travesty/bstream.h"
#include "travesty/component.h"
#include "travesty/edit_controller.h"
#include "travesty/events.h"
#include "travesty/factory.h"

namespace {

using plugtest::Options;

// Objects the host hands to the plug-in live as long as the call: no reference counting.
v3_result V3_API noInterface(void*, const v3_tuid, void** obj) {
    *obj = nullptr;
    return V3_NO_INTERFACE;
}
uint32_t V3_API oneReference(void*) { return 1; }
constexpr v3_funknown kUnknown{noInterface, oneReference, oneReference};

template <class Object>
Object* self(void* p) {
    return static_cast<Object*>(p);
}

// Each host object starts with its table of entries, so that the object's address is what
// the plug-in calls it with.
class ByteStream {
    struct Table {
        v3_funknown unknown;
        v3_bstream stream;
    };
    static const Table kTable;
    const Table* vtable_ = &kTable;

public:
    std::string bytes;
    size_t at = 0;
    v3_bstream** object() { return static_cast<v3_bstream**>(static_cast<void*>(&vtable_)); }
};

const ByteStream::Table ByteStream::kTable{
    kUnknown,
    {[](void* p, void* buffer, int32_t n, int32_t* done) -> v3_result {
         const plugtest::HostCallback check("the state stream's read");
         ByteStream* s = self<ByteStream>(p);
         const size_t k = std::min<size_t>(static_cast<size_t>(n), s->bytes.size() - s->at);
         std::memcpy(buffer, s->bytes.data() + s->at, k);
         s->at += k;
         if (done != nullptr) *done = static_cast<int32_t>(k);
         return V3_OK;
     },
     [](void* p, void* buffer, int32_t n, int32_t* done) -> v3_result {
         const plugtest::HostCallback check("the state stream's write");
         self<ByteStream>(p)->bytes.append(static_cast<const char*>(buffer), static_cast<size_t>(n));
         if (done != nullptr) *done = n;
         return V3_OK;
     },
     [](void* p, int64_t pos, int32_t mode, int64_t* result) -> v3_result {
         const plugtest::HostCallback check("the state stream's seek");
         ByteStream* s = self<ByteStream>(p);
         const int64_t base = mode == 0 ? 0 : mode == 1 ? static_cast<int64_t>(s->at) : static_cast<int64_t>(s->bytes.size());
         s->at = static_cast<size_t>(std::clamp<int64_t>(base + pos, 0, static_cast<int64_t>(s->bytes.size())));
         if (result != nullptr) *result = static_cast<int64_t>(s->at);
         return V3_OK;
     },
     [](void* p, int64_t* pos) -> v3_result {
         const plugtest::HostCallback check("the state stream's tell");
         *pos = static_cast<int64_t>(self<ByteStream>(p)->at);
         return V3_OK;
     }}};

// One parameter's change in a call: a single point, at the call's start unless told.
struct ValueQueue {
    struct Table {
        v3_funknown unknown;
        v3_param_value_queue queue;
    };
    static const Table kTable;
    const Table* vtable = &kTable;
    v3_param_id id = 0;
    double value = 0;
    int32_t offset = 0;
};

const ValueQueue::Table ValueQueue::kTable{
    kUnknown,
    {[](void* p) {
         const plugtest::HostCallback check("a parameter queue's id");
         return self<ValueQueue>(p)->id;
     },
     [](void*) {
         const plugtest::HostCallback check("a parameter queue's point count");
         return int32_t{1};
     },
     [](void* p, int32_t, int32_t* offset, double* value) -> v3_result {
         const plugtest::HostCallback check("a parameter queue's point");
         *offset = self<ValueQueue>(p)->offset;
         *value = self<ValueQueue>(p)->value;
         return V3_OK;
     },
     [](void*, int32_t, double, int32_t*) -> v3_result {
         const plugtest::HostCallback check("a point added to a parameter queue");
         return V3_OK;
     }}};

struct ParameterChanges {
    struct Table {
        v3_funknown unknown;
        v3_param_changes changes;
    };
    static const Table kTable;
    const Table* vtable = &kTable;
    std::vector<ValueQueue> queues;
    v3_param_changes** object() { return static_cast<v3_param_changes**>(static_cast<void*>(&vtable)); }
};

const ParameterChanges::Table ParameterChanges::kTable{
    kUnknown,
    {[](void* p) {
         const plugtest::HostCallback check("the parameter changes' count");
         return static_cast<int32_t>(self<ParameterChanges>(p)->queues.size());
     },
     [](void* p, int32_t i) -> v3_param_value_queue** {
         const plugtest::HostCallback check("a parameter change's queue");
         return static_cast<v3_param_value_queue**>(static_cast<void*>(&self<ParameterChanges>(p)->queues[static_cast<size_t>(i)].vtable));
     },
     // What the plug-in reports back lands in one queue that keeps nothing.
     [](void*, v3_param_id*, int32_t* index) -> v3_param_value_queue** {
         const plugtest::HostCallback check("a parameter change reported back");
         static ValueQueue discarded;
         if (index != nullptr) *index = 0;
         return static_cast<v3_param_value_queue**>(static_cast<void*>(&discarded.vtable));
     }}};

struct EventList {
    struct Table {
        v3_funknown unknown;
        v3_event_list list;
    };
    static const Table kTable;
    const Table* vtable = &kTable;
    std::vector<v3_event> events;
    v3_event_list** object() { return static_cast<v3_event_list**>(static_cast<void*>(&vtable)); }
};

const EventList::Table EventList::kTable{
    kUnknown,
    {[](void* p) {
         const plugtest::HostCallback check("the events' count");
         return static_cast<uint32_t>(self<EventList>(p)->events.size());
     },
     [](void* p, int32_t i, v3_event* e) -> v3_result {
         const plugtest::HostCallback check("an event");
         *e = self<EventList>(p)->events[static_cast<size_t>(i)];
         return V3_OK;
     },
     [](void*, v3_event*) -> v3_result { return V3_INVALID_ARG; }}};

std::string ascii(const int16_t* text) {
    std::string s;
    for (int i = 0; i < 128 && text[i] != 0; ++i) s += static_cast<char>(text[i]);
    return s;
}

struct Parameter {
    v3_param_id id;
    std::string name;
    int32_t steps;
    double def;
};

class Instance {
public:
    Instance(const std::string& bundle, double rate, int block) : rate_(rate), block_(block) {
        const plugtest::PluginCall call("load, create_instance, initialize and parameter info");
        library_ = plugtest::openLibrary(plugtest::vst3Binary(bundle));
        if (library_ == nullptr) return;
        plugtest::enterVst3Module(library_);
        using GetFactory = v3_plugin_factory** (*)();
        auto getFactory = reinterpret_cast<GetFactory>(plugtest::librarySymbol(library_, "GetPluginFactory"));
        if (getFactory == nullptr) return;
        factory_ = getFactory();
        v3_class_info info{};
        v3_cpp_obj(factory_)->get_class_info(factory_, 0, &info);
        void* made = nullptr;
        if (v3_cpp_obj(factory_)->create_instance(factory_, info.class_id, v3_component_iid, &made) != V3_OK) return;
        component_ = static_cast<v3_component**>(made);
        v3_cpp_obj_initialize(component_, nullptr);
        v3_cpp_obj_query_interface(component_, v3_audio_processor_iid, &processor_);
        if (v3_cpp_obj_query_interface(component_, v3_edit_controller_iid, &controller_) != V3_OK) {
            v3_tuid id{};
            v3_cpp_obj(component_)->get_controller_class_id(component_, id);
            if (v3_cpp_obj(factory_)->create_instance(factory_, id, v3_edit_controller_iid, &made) == V3_OK) {
                controller_ = static_cast<v3_edit_controller**>(made);
                v3_cpp_obj_initialize(controller_, nullptr);
                separate_ = true;
            }
        }
        name_ = info.name;
        if (controller_ != nullptr) listParameters();
        output_.assign(static_cast<size_t>(block), 0.0f);
    }
    ~Instance() {
        const plugtest::PluginCall call("set_active, terminate, unref and unload");
        if (component_ != nullptr) {
            if (active_) {
                v3_cpp_obj(processor_)->set_processing(processor_, false);
                v3_cpp_obj(component_)->set_active(component_, false);
            }
            if (separate_) {
                v3_cpp_obj_terminate(controller_);
                v3_cpp_obj_unref(controller_);
            } else if (controller_ != nullptr) {
                v3_cpp_obj_unref(controller_);
            }
            if (processor_ != nullptr) v3_cpp_obj_unref(processor_);
            v3_cpp_obj_terminate(component_);
            v3_cpp_obj_unref(component_);
        }
        if (library_ != nullptr) {
            plugtest::leaveVst3Module(library_);
            plugtest::closeLibrary(library_);
        }
    }
    bool ok() const { return processor_ != nullptr && controller_ != nullptr; }
    const std::string& name() const { return name_; }
    const std::vector<Parameter>& parameters() const { return parameters_; }
    int32_t programs() const { return programs_; }
    v3_param_id programId() const { return programId_; }

    // The parameter that carries a channel's pitch bend, as the plug-in maps it; false for none.
    bool bendParameter(uint8_t channel, v3_param_id& id) const {
        const plugtest::PluginCall call("get_midi_controller_assignment");
        v3_midi_mapping** mapping = nullptr;
        if (v3_cpp_obj_query_interface(controller_, v3_midi_mapping_iid, &mapping) != V3_OK || mapping == nullptr) return false;
        constexpr int16_t kPitchBendController = 129;
        return v3_cpp_obj(mapping)->get_midi_controller_assignment(mapping, 0, channel, kPitchBendController, &id) == V3_OK;
    }

    // A program by name: its normalised value, as the host chooses it; false for none.
    bool programValue(const std::string& name, double& value) const {
        for (int32_t k = 0; k < programs_; ++k) {
            v3_str_128 text{};
            {
                const plugtest::HostWork number;
                value = programs_ > 1 ? static_cast<double>(k) / (programs_ - 1) : 0.0;
            }
            const plugtest::PluginCall call("get_parameter_string_for_value");
            v3_cpp_obj(controller_)->get_parameter_string_for_value(controller_, programId_, value, text);
            if (ascii(text) == name) return true;
        }
        return false;
    }
    // [audio] What a DAW does on a MIDI program change: the controller chooses it.
    void chooseProgram(double value) {
        const plugtest::PluginCall call("set_parameter_normalised (a program)");
        v3_cpp_obj(controller_)->set_parameter_normalised(controller_, programId_, value);
    }

    const Parameter* find(const std::string& name) const {
        for (const Parameter& p : parameters_) {
            if (p.name == name) return &p;
        }
        return nullptr;
    }
    double plain(const Parameter& p, double normalised) const {
        const plugtest::PluginCall call("normalised_parameter_to_plain");
        return v3_cpp_obj(controller_)->normalised_parameter_to_plain(controller_, p.id, normalised);
    }
    double normalised(const Parameter& p, double plain) const {
        const plugtest::PluginCall call("plain_parameter_to_normalised");
        return v3_cpp_obj(controller_)->plain_parameter_to_normalised(controller_, p.id, plain);
    }
    std::string label(const Parameter& p, double normalised) const {
        v3_str_128 text{};
        const plugtest::PluginCall call("get_parameter_string_for_value");
        v3_cpp_obj(controller_)->get_parameter_string_for_value(controller_, p.id, normalised, text);
        return ascii(text);
    }
    // A number (plain), or the label of one of a stepped parameter's values; normalised.
    bool valueOf(const Parameter& p, const std::string& text, double& value) const {
        double v = 0.0;
        std::vector<double> steps;
        {
            const plugtest::HostWork number;
            for (int32_t k = 0; k <= p.steps && p.steps > 0; ++k) steps.push_back(static_cast<double>(k) / p.steps);
        }
        if (plugtest::numberFromText(text, v)) {
            value = normalised(p, v);
            return true;
        }
        for (const double step : steps) {
            if (label(p, step) == text) {
                value = step;
                return true;
            }
        }
        return false;
    }

    void printBuses() const {
        for (int32_t direction : {V3_INPUT, V3_OUTPUT}) {
            const int32_t n = v3_cpp_obj(component_)->get_bus_count(component_, V3_AUDIO, direction);
            for (int32_t i = 0; i < n; ++i) {
                v3_bus_info info{};
                v3_cpp_obj(component_)->get_bus_info(component_, V3_AUDIO, direction, i, &info);
                std::printf("audio %s \"%s\" channels %d\n", direction == V3_INPUT ? "input" : "output",
                            ascii(info.bus_name).c_str(), info.channel_count);
            }
        }
    }

    bool saveState(std::string& out) {
        const plugtest::PluginCall call("get_state");
        ByteStream s;
        if (v3_cpp_obj(component_)->get_state(component_, s.object()) != V3_OK) return false;
        out = s.bytes;
        return true;
    }
    bool loadState(const std::string& in) {
        const plugtest::PluginCall call("set_state");
        ByteStream s;
        s.bytes = in;
        if (v3_cpp_obj(component_)->set_state(component_, s.object()) != V3_OK) return false;
        if (separate_) {
            ByteStream again;
            again.bytes = in;
            v3_cpp_obj(controller_)->set_component_state(controller_, again.object());
        }
        return true;
    }

    void activate() {
        const plugtest::PluginCall call("setup_processing, set_active and set_processing");
        v3_process_setup setup{V3_REALTIME, V3_SAMPLE_32, std::max(block_, 2), rate_};
        v3_cpp_obj(processor_)->setup_processing(processor_, &setup);
        v3_cpp_obj(component_)->set_active(component_, true);
        v3_cpp_obj(processor_)->set_processing(processor_, true);
        active_ = true;
    }

    // Makes the data of a process call of count frames with the changes and events, and hands
    // it to use.
    template <class Use>
    auto withCall(int count, ParameterChanges& changes, EventList& events, Use use) {
        float* channels[1] = {output_.data()};
        v3_audio_bus_buffers out{};
        out.num_channels = 1;
        out.channel_buffers_32 = channels;
        v3_process_data data{};
        data.process_mode = V3_REALTIME;
        data.symbolic_sample_size = V3_SAMPLE_32;
        data.nframes = count;
        data.num_output_buses = 1;
        data.outputs = &out;
        ParameterChanges reported;
        data.input_params = changes.object();
        data.output_params = reported.object();
        data.input_events = events.object();
        return use(data);
    }

    // program: a program's normalised value the controller chooses first, on the same thread.
    void process(int count, ParameterChanges& changes, EventList& events, bool watch, const double* program = nullptr) {
        withCall(count, changes, events, [&](v3_process_data& data) {
            if (watch) plugtest::watchBegin();
            if (program != nullptr) chooseProgram(*program);
            {
                const plugtest::PluginCall call("process");
                v3_cpp_obj(processor_)->process(processor_, &data);
            }
            if (watch) plugtest::watchEnd();
        });
    }
    const float* output() const { return output_.data(); }

    // The process call alone, in ns: the call's data made once, no changes, no events.
    double timeProcess(int count) {
        ParameterChanges none;
        EventList noEvents;
        return withCall(count, none, noEvents, [&](v3_process_data& data) {
            return plugtest::bestNsPerCall([&] { v3_cpp_obj(processor_)->process(processor_, &data); });
        });
    }

private:
    void listParameters() {
        const int32_t n = v3_cpp_obj(controller_)->get_parameter_count(controller_);
        for (int32_t i = 0; i < n; ++i) {
            v3_param_info info{};
            v3_cpp_obj(controller_)->get_parameter_info(controller_, i, &info);
            if (info.flags & V3_PARAM_PROGRAM_CHANGE) {
                programs_ = info.step_count + 1;
                programId_ = info.param_id;
            }
            if (info.flags & (V3_PARAM_IS_HIDDEN | V3_PARAM_READ_ONLY | V3_PARAM_PROGRAM_CHANGE)) continue;
            parameters_.push_back({info.param_id, ascii(info.title), info.step_count, info.default_normalised_value});
        }
    }

    double rate_;
    int block_;
    void* library_ = nullptr;
    v3_plugin_factory** factory_ = nullptr;
    v3_component** component_ = nullptr;
    v3_audio_processor** processor_ = nullptr;
    v3_edit_controller** controller_ = nullptr;
    bool separate_ = false;
    bool active_ = false;
    std::string name_;
    std::vector<Parameter> parameters_;
    int32_t programs_ = 0;
    v3_param_id programId_ = 0;
    std::vector<float> output_;
};

// The plug-in's saved state with its shape field set to text: DPF writes its fields as texts
// each ended by a zero byte, the key "shape" followed by the text.
bool withShape(std::string state, const std::string& text, std::string& out) {
    const std::string key("\0shape\0", 7);
    const size_t at = state.find(key);
    if (at == std::string::npos) return false;
    const size_t from = at + key.size();
    out = state.replace(from, state.find('\0', from) - from, text);
    return true;
}

std::unique_ptr<Instance> prepare(const std::string& bundle, const Options& o, std::vector<plugtest::ParameterStream>& streams,
                                  std::vector<std::pair<int, double>>& first, std::string& error) {
    auto inst = std::make_unique<Instance>(bundle, o.rate, o.block);
    if (!inst->ok()) {
        error = "not a VST3 plug-in with a processor and a controller: " + bundle;
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
        first.push_back({static_cast<int>(p - inst->parameters().data()), v});
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

v3_event noteEvent(const plugtest::NoteEvent& n) {
    v3_event e{};
    e.sample_offset = static_cast<int32_t>(n.frame);
    const bool on = (n.bytes[0] & 0xF0) == 0x90 && n.bytes[2] > 0;
    e.type = on ? V3_EVENT_NOTE_ON : V3_EVENT_NOTE_OFF;
    e.note_on.pitch = n.bytes[1];
    e.note_on.velocity = static_cast<float>(n.bytes[2]) / 127.0f;
    e.note_on.note_id = -1;
    return e;
}

// A program chosen at a frame, by its normalised value.
struct ProgramChoice {
    int64_t frame;
    double value;
};

// first: normalised values set before the first call.
void render(Instance& inst, const Options& o, const std::vector<plugtest::ParameterStream>& streams,
            std::vector<std::pair<int, double>> first, std::vector<float>& out,
            const std::vector<ProgramChoice>& programs = {}) {
    out.clear();
    size_t nextProgram = 0;
    plugtest::planCalls(o, streams, [&](const plugtest::Call& call) {
        ParameterChanges changes;
        for (const auto& [index, value] : first) changes.queues.push_back({&ValueQueue::kTable, inst.parameters()[index].id, value});
        first.clear();
        for (const auto& [index, volts] : call.changes) {
            const Parameter& p = inst.parameters()[index];
            changes.queues.push_back({&ValueQueue::kTable, p.id, inst.normalised(p, volts)});
        }
        EventList events;
        v3_param_id bend = 0;
        for (const plugtest::NoteEvent& n : call.notes) {
            if ((n.bytes[0] & 0xE0) == 0x80) {
                events.events.push_back(noteEvent(n));
            } else if ((n.bytes[0] & 0xF0) == 0xE0 && inst.bendParameter(n.bytes[0] & 0x0F, bend)) {
                constexpr double kBendSpan = 16383.0;
                const plugtest::HostWork number;
                changes.queues.push_back({&ValueQueue::kTable, bend, (n.bytes[1] | n.bytes[2] << 7) / kBendSpan,
                                          static_cast<int32_t>(n.frame)});
            }
        }
        const double* program = nullptr;
        if (nextProgram < programs.size() && programs[nextProgram].frame < call.from + call.count) {
            program = &programs[nextProgram++].value;
            changes.queues.push_back({&ValueQueue::kTable, inst.programId(), *program});
        }
        inst.process(call.count, changes, events, o.watch, program);
        out.insert(out.end(), inst.output(), inst.output() + call.count);
    });
}

int runInfo(const std::string& bundle) {
    Instance inst(bundle, 44100.0, 64);
    if (!inst.ok()) return plugtest::usage(("not a VST3 plug-in: " + bundle).c_str());
    std::printf("plug-in \"%s\"\n", inst.name().c_str());
    inst.printBuses();
    for (const Parameter& p : inst.parameters()) {
        std::printf("parameter \"%s\" %g ... %g default %g", p.name.c_str(), inst.plain(p, 0.0), inst.plain(p, 1.0),
                    inst.plain(p, p.def));
        for (int32_t k = 0; k <= p.steps && p.steps > 0 && p.steps < 16; ++k)
            std::printf(" [%s]", inst.label(p, static_cast<double>(k) / p.steps).c_str());
        std::printf("\n");
    }
    if (inst.programs() > 0) std::printf("programs %d\n", inst.programs());
    return 0;
}

int runRender(const std::string& bundle, const Options& o, const std::vector<std::pair<int64_t, std::string>>& named) {
    std::vector<float> out;
    std::string error;
    const int status = plugtest::renderInFpEnvironments(
        o.fp,
        [&](std::vector<float>& samples, std::string& why) {
            const plugtest::PluginLife life;
            std::vector<plugtest::ParameterStream> streams;
            std::vector<std::pair<int, double>> first;
            auto inst = prepare(bundle, o, streams, first, why);
            if (inst == nullptr) return false;
            std::vector<ProgramChoice> programs;
            for (const auto& [frame, name] : named) {
                programs.push_back({frame, 0.0});
                if (!inst->programValue(name, programs.back().value)) {
                    why = "no program \"" + name + "\"";
                    return false;
                }
            }
            render(*inst, o, streams, first, samples, programs);
            return true;
        },
        out, error);
    if (status == 2) return plugtest::usage(error.c_str());
    if (!o.out.empty() && !plugtest::writeFloats(o.out, out, error)) return plugtest::usage(error.c_str());
    if (o.watch && !plugtest::watchReport(true)) return 1;
    return status;
}

int runState(const std::string& bundle, const Options& o) {
    if (!plugtest::chooseFpEnvironment(o.fp)) return plugtest::usage("no such floating-point environment");
    const plugtest::PluginLife life;
    std::vector<plugtest::ParameterStream> streams, none;
    std::vector<std::pair<int, double>> first, nothing;
    std::string error;
    auto a = prepare(bundle, o, streams, first, error);
    if (a == nullptr) return plugtest::usage(error.c_str());
    std::vector<float> outA, outB, outC;
    render(*a, o, streams, first, outA);
    std::string saved;
    if (!a->saveState(saved)) return plugtest::usage("the plug-in saved no state");
    Options plain = o;
    plain.hasShape = false;
    plain.sets.clear();
    auto b = prepare(bundle, plain, none, nothing, error);
    auto c = prepare(bundle, plain, none, nothing, error);
    if (b == nullptr || c == nullptr || !b->loadState(saved)) return plugtest::usage("the state did not load");
    render(*b, plain, none, nothing, outB);
    render(*c, plain, none, nothing, outC);
    const bool same = outA == outB;
    const bool carried = outA != outC;
    std::printf("%s: the instance that loaded the saved state renders %s%s\n", a->name().c_str(),
                same ? "the same samples" : "DIFFERENT samples", carried ? "" : ", but so does one without it");
    return same && carried && plugtest::fpKept() ? 0 : 1;
}

// The plug-in's process call alone at each block size, after one call that took the settings;
// each figure "plugin/LABEL/VST3/FRAMES".
int runBench(const std::string& bundle, const std::vector<std::string>& args) {
    return plugtest::runBench(args, "VST3", [&](int frames, const auto& sets, std::string& label, std::string& error) {
        Options o;
        o.block = frames;
        o.frames = frames;
        o.sets = sets;
        std::vector<plugtest::ParameterStream> streams;
        std::vector<std::pair<int, double>> first;
        auto inst = prepare(bundle, o, streams, first, error);
        if (inst == nullptr) return -1.0;
        if (label.empty()) label = inst->name();
        std::vector<float> out;
        render(*inst, o, streams, first, out);
        return inst->timeProcess(frames);
    });
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const char* kUsage =
        "usage: tarn-vst3-host info BUNDLE.vst3\n"
        "       tarn-vst3-host render BUNDLE.vst3 --out FILE [--frames N] [--rate HZ] [--block N] [--set NAME=VALUE]\n"
        "                      [--input NAME=FILE.f32] [--input-frames NAME=FILE.f32] [--shape TEXT]\n"
        "                      [--note FRAME:NOTE:VELOCITY] [--note FRAME:bend:VALUE] [--program FRAME:NAME] [--watch]\n"
        "                      [--fp-env NAME|every] [--fp-env-calls NAME]\n"
        "       tarn-vst3-host state BUNDLE.vst3 [render options]\n"
        "       tarn-vst3-host bench BUNDLE.vst3 [--label TEXT] [--frames N]... [--set NAME=VALUE]...";
    if (args.size() < 2) return plugtest::usage(kUsage);
#ifdef _WIN32
    if (args[0] == "window") return plugtest::runVst3Window(args);
#endif
    std::string bundle = args[1];
    while (!bundle.empty() && bundle.back() == '/') bundle.pop_back();
    if (args[0] == "info") return runInfo(bundle);
    if (args[0] == "bench") return runBench(bundle, args);
    // --program is this host's own; the rest are the shared options.
    std::vector<std::string> shared;
    std::vector<std::pair<int64_t, std::string>> programs;
    for (size_t i = 0; i < args.size(); ++i) {
        const size_t colon = i + 1 < args.size() ? args[i + 1].find(':') : std::string::npos;
        if (args[i] == "--program" && colon != std::string::npos) {
            programs.push_back({std::atoll(args[i + 1].substr(0, colon).c_str()), args[i + 1].substr(colon + 1)});
            ++i;
        } else {
            shared.push_back(args[i]);
        }
    }
    Options o;
    std::string error;
    if (!plugtest::parseOptions(shared, 2, o, error)) return plugtest::usage(error.c_str());
    if (args[0] == "render") return runRender(bundle, o, programs);
    if (args[0] == "state") return runState(bundle, o);
    return plugtest::usage(kUsage);
}
