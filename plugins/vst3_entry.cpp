// The VST3 entry of every module: DPF's factory, with each plug-in it makes behind an object of
// ours that mends what DPF 1.6 gets wrong in a DAW.
//
// - One reference count for the whole plug-in. DPF counts its component, processor and
//   controller apart and complains ("asked to delete component while audio processor still
//   active") when a host lets go of the component first, as Ardour's scanner does. Ours hands
//   DPF's parts back in the order DPF wants once the host has let go of everything.
// - Of DPF's MIDI controller parameters, only the pitch bend of each channel in the list a host
//   reads. DPF lists 16 x 130 hidden parameters that carry MIDI controllers and pitch bend, before
//   the plug-in's own; Ardour makes only the first 512 parameters of a plug-in automatable (so
//   not Pitch, Sync and Level), keeps, saves and restores them all, and complains of each beyond
//   the 512th on reopening a session. A host delivers a controller or a bend only on a parameter
//   it lists, and Contour4 needs only the bends. The placeholder of vst3_entry.h is left out too.
//   The bends default to and read as the centre, where DPF has a full bend down, which a DAW
//   sends as their start.
// - No restart from inside a program change. DPF asks the host to re-read every parameter from
//   inside the host's own call that chooses a program, where Ardour waits on a lock it holds. A
//   program of ours changes no parameter, so that request is dropped.
// - The modules' floating-point environment in every call into DPF, the host's given back
//   exactly. DPF converts parameter values between normalised and plain in its own code, which a
//   host's rounding would move and an unmasked inexact exception would trap in. What DPF calls of
//   the host from inside (its state streams, the process call's parameter queues and event lists,
//   the component handler) runs in the host's environment (vst3_host_calls.h).
//
// DPF's own entry points are compiled under other names (vst3_dpf.cpp); this file knows only the
// VST3 interfaces and the ids DPF gives its internal parameters. On both systems the library
// exports exactly the format's entry points, these.
#include <atomic>
#include <mutex>

#include "DistrhoPluginInfo.h"
#include "plugins/vst3_entry.h"
#include "plugins/vst3_host_calls.h"
#include "src/DistrhoPluginVST.hpp"
#include "src/travesty/audio_processor.h"
#include "src/travesty/component.h"
#include "src/travesty/edit_controller.h"
#include "src/travesty/factory.h"

extern "C" {
const void* tarn_dpf_vst3_factory();
#ifdef _WIN32
bool tarn_dpf_vst3_module_entry();
#else
bool tarn_dpf_vst3_module_entry(void*);
#endif
bool tarn_dpf_vst3_module_exit();
}

namespace {

using DISTRHO_NAMESPACE::kVst3InternalParameterBaseCount;
using DISTRHO_NAMESPACE::kVst3InternalParameterCount;

static_assert(!DPF_VST3_USES_SEPARATE_CONTROLLER || !DISTRHO_PLUGIN_WANT_PROGRAMS,
              "with DPF's separate controller a program never reaches the sound: build with direct access");

// DPF's ids: its internal parameters, then (with MIDI input) 130 controller parameters a MIDI
// channel, the last its pitch bend, then the plug-in's, placeholders first. A host is shown the
// internal ones, the bends and the plug-in's own.
constexpr int32_t kInternal = static_cast<int32_t>(kVst3InternalParameterBaseCount);
#if DISTRHO_PLUGIN_WANT_MIDI_INPUT
constexpr int32_t kBends = 16;
constexpr int32_t kControllersPerChannel = 130;
constexpr int32_t kBendController = 129;
#else
constexpr int32_t kBends = 0;
constexpr int32_t kControllersPerChannel = 0;
constexpr int32_t kBendController = 0;
#endif
constexpr int32_t kFirstOwn = static_cast<int32_t>(kVst3InternalParameterCount + tarn::kVst3Placeholders);
constexpr int32_t kHidden = kFirstOwn - kInternal - kBends;

// DPF's index of a parameter a host sees by its own index.
int32_t dpfIndex(int32_t shown) {
    if (shown < kInternal) return shown;
    if (shown < kInternal + kBends) return kInternal + (shown - kInternal) * kControllersPerChannel + kBendController;
    return shown + kHidden;
}

// The bend parameters: DPF gives them no default, reads them as 0 (a full bend down, which Ardour
// sends each of them before any note) and gives them a controller's 127 steps. Ours default to
// and read as the centre, with a bend's 16383 steps.
bool isBend(int32_t shown) { return shown >= kInternal && shown < kInternal + kBends; }
bool isBendId(v3_param_id id) {
    for (int32_t shown = kInternal; shown < kInternal + kBends; ++shown) {
        if (id == static_cast<v3_param_id>(dpfIndex(shown))) return true;
    }
    return false;
}
constexpr double kBendDefault = static_cast<double>(tarn::kBendCentre) / tarn::kBendMax;

#if DISTRHO_PLUGIN_WANT_PROGRAMS
constexpr v3_param_id kProgramId = DISTRHO_NAMESPACE::kVst3InternalParameterProgram;
#else
constexpr v3_param_id kProgramId = ~v3_param_id{0};
#endif

struct ComponentHandlerTable : v3_funknown {
    v3_component_handler handler;
};

// The object a host holds: one face per interface, each a table and its object. DPF's parts are
// fetched when a host first asks for them, as DPF expects (its controller takes the host given
// to the component's initialize).
struct Plugin {
    template <class Table>
    struct Face {
        const Table* table;
        Plugin* owner;
    };

    static const v3_component_cpp kComponent;
    static const v3_audio_processor_cpp kProcessor;
    static const v3_edit_controller_cpp kController;
    static const ComponentHandlerTable kHandler;

    explicit Plugin(v3_component** dpfComponent) : dpfComponent(dpfComponent), processProxies(calls) {}

    template <class Table>
    static Plugin& of(void* self) {
        return *static_cast<Face<Table>*>(self)->owner;
    }

    v3_result query(const v3_tuid iid, void** obj) {
        void* face = nullptr;
        if (v3_tuid_match(iid, v3_funknown_iid) || v3_tuid_match(iid, v3_plugin_base_iid) ||
            v3_tuid_match(iid, v3_component_iid)) {
            face = &component;
        } else if (v3_tuid_match(iid, v3_audio_processor_iid)) {
            if (part(dpfProcessor, iid) != nullptr) face = &processor;
        } else if (v3_tuid_match(iid, v3_edit_controller_iid)) {
            if (part(dpfController, iid) != nullptr) face = &controller;
        } else {
            // DPF's other interfaces (MIDI mapping, process context) are static objects of its own.
            return static_cast<v3_funknown*>(*reinterpret_cast<void**>(dpfComponent))->query_interface(dpfComponent, iid, obj);
        }
        *obj = face;
        if (face == nullptr) return V3_NO_INTERFACE;
        ++refs;
        return V3_OK;
    }

    template <class Interface>
    Interface** part(Interface**& dpfPart, const v3_tuid iid) {
        std::lock_guard<std::mutex> lock(partsLock);
        if (dpfPart == nullptr && v3_cpp_obj_query_interface(dpfComponent, iid, &dpfPart) != V3_OK) dpfPart = nullptr;
        return dpfPart;
    }

    uint32_t unref() {
        const uint32_t left = --refs;
        if (left != 0) return left;
        {
            const tarn::ModuleFpScope environment;
            if (dpfController != nullptr) v3_cpp_obj_unref(dpfController);
            if (dpfProcessor != nullptr) v3_cpp_obj_unref(dpfProcessor);
            v3_cpp_obj_unref(dpfComponent);
        }
        delete this;
        return 0;
    }

    Face<v3_component_cpp> component{&kComponent, this};
    Face<v3_audio_processor_cpp> processor{&kProcessor, this};
    Face<v3_edit_controller_cpp> controller{&kController, this};
    Face<ComponentHandlerTable> handler{&kHandler, this};
    std::atomic<uint32_t> refs{1};
    v3_component** dpfComponent;
    std::mutex partsLock;
    v3_audio_processor** dpfProcessor = nullptr;
    v3_edit_controller** dpfController = nullptr;
    v3_component_handler** hostHandler = nullptr;
    tarn::ThreadCalls calls;
    tarn::ProcessProxies processProxies;  // [audio]
};

// The funknown entries of a face.
template <class Table>
v3_funknown unknown() {
    return {[](void* self, const v3_tuid iid, void** obj) { return Plugin::of<Table>(self).query(iid, obj); },
            [](void* self) -> uint32_t { return ++Plugin::of<Table>(self).refs; },
            [](void* self) { return Plugin::of<Table>(self).unref(); }};
}

// Runs `call`, a call into DPF, in the modules' floating-point environment.
template <class Call>
auto inModuleEnv(Plugin& plugin, Call call, tarn::X87Status status = tarn::X87Status::Kept) -> decltype(call()) {
    const tarn::PluginCallScope scope(plugin.calls, status);
    return call();
}

// The same entry of DPF's part of the object behind a face, in the modules' environment.
#define TARN_DPF(T, part, entry, ...)                                                                  \
    inModuleEnv(Plugin::of<T>(self), [&] {                                                             \
        return v3_cpp_obj(Plugin::of<T>(self).part)->entry(Plugin::of<T>(self).part, ##__VA_ARGS__); \
    })

// The same for an entry that reads or writes the host's state stream, which DPF reads through a
// proxy in the host's environment.
#define TARN_DPF_STREAM(T, part, entry, stream)                                                         \
    inModuleEnv(Plugin::of<T>(self), [&] {                                                              \
        tarn::StreamProxy proxy(stream, Plugin::of<T>(self).calls);                                     \
        return v3_cpp_obj(Plugin::of<T>(self).part)->entry(Plugin::of<T>(self).part, proxy.object());  \
    })

// [main] Every call of this table but where one says otherwise.
const v3_component_cpp Plugin::kComponent = [] {
    using T = v3_component_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = unknown<T>();
    t.base.initialize = [](void* self, v3_funknown** host) {
        return inModuleEnv(of<T>(self), [&] { return v3_cpp_obj_initialize(of<T>(self).dpfComponent, host); });
    };
    t.base.terminate = [](void* self) {
        return inModuleEnv(of<T>(self), [&] { return v3_cpp_obj_terminate(of<T>(self).dpfComponent); });
    };
    t.comp.get_controller_class_id = [](void* self, v3_tuid id) { return TARN_DPF(T, dpfComponent, get_controller_class_id, id); };
    t.comp.set_io_mode = [](void* self, int32_t mode) { return TARN_DPF(T, dpfComponent, set_io_mode, mode); };
    t.comp.get_bus_count = [](void* self, int32_t media, int32_t direction) {
        return TARN_DPF(T, dpfComponent, get_bus_count, media, direction);
    };
    t.comp.get_bus_info = [](void* self, int32_t media, int32_t direction, int32_t index, v3_bus_info* info) {
        return TARN_DPF(T, dpfComponent, get_bus_info, media, direction, index, info);
    };
    t.comp.get_routing_info = [](void* self, v3_routing_info* in, v3_routing_info* out) {
        return TARN_DPF(T, dpfComponent, get_routing_info, in, out);
    };
    t.comp.activate_bus = [](void* self, int32_t media, int32_t direction, int32_t index, v3_bool on) {
        return TARN_DPF(T, dpfComponent, activate_bus, media, direction, index, on);
    };
    t.comp.set_active = [](void* self, v3_bool on) { return TARN_DPF(T, dpfComponent, set_active, on); };
    t.comp.set_state = [](void* self, v3_bstream** stream) { return TARN_DPF_STREAM(T, dpfComponent, set_state, stream); };
    t.comp.get_state = [](void* self, v3_bstream** stream) { return TARN_DPF_STREAM(T, dpfComponent, get_state, stream); };
    return t;
}();

// [main] Every call of this table but where one says otherwise.
const v3_audio_processor_cpp Plugin::kProcessor = [] {
    using T = v3_audio_processor_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = unknown<T>();
    t.proc.set_bus_arrangements = [](void* self, v3_speaker_arrangement* in, int32_t ins, v3_speaker_arrangement* out,
                                     int32_t outs) { return TARN_DPF(T, dpfProcessor, set_bus_arrangements, in, ins, out, outs); };
    t.proc.get_bus_arrangement = [](void* self, int32_t direction, int32_t index, v3_speaker_arrangement* arrangement) {
        return TARN_DPF(T, dpfProcessor, get_bus_arrangement, direction, index, arrangement);
    };
    t.proc.can_process_sample_size = [](void* self, int32_t size) { return TARN_DPF(T, dpfProcessor, can_process_sample_size, size); };
    t.proc.get_latency_samples = [](void* self) { return TARN_DPF(T, dpfProcessor, get_latency_samples); };
    t.proc.setup_processing = [](void* self, v3_process_setup* setup) { return TARN_DPF(T, dpfProcessor, setup_processing, setup); };
    t.proc.set_processing = [](void* self, v3_bool on) { return TARN_DPF(T, dpfProcessor, set_processing, on); };
    // [audio] As the plug-in's run: the x87 status word is left to the code that uses the x87 unit.
    t.proc.process = [](void* self, v3_process_data* data) {
        Plugin& plugin = of<T>(self);
        return inModuleEnv(
            plugin,
            [&] {
                v3_process_data ours = plugin.processProxies.wrap(*data);
                return v3_cpp_obj(plugin.dpfProcessor)->process(plugin.dpfProcessor, &ours);
            },
            tarn::X87Status::LeftToTheCode);
    };
    t.proc.get_tail_samples = [](void* self) { return TARN_DPF(T, dpfProcessor, get_tail_samples); };
    return t;
}();

// [main] Every call of this table but where one says otherwise.
const v3_edit_controller_cpp Plugin::kController = [] {
    using T = v3_edit_controller_cpp;
    T t{};
    static_cast<v3_funknown&>(t) = unknown<T>();
    t.base.initialize = [](void* self, v3_funknown** host) {
        return inModuleEnv(of<T>(self), [&] { return v3_cpp_obj_initialize(of<T>(self).dpfController, host); });
    };
    t.base.terminate = [](void* self) {
        return inModuleEnv(of<T>(self), [&] { return v3_cpp_obj_terminate(of<T>(self).dpfController); });
    };
    t.ctrl.set_component_state = [](void* self, v3_bstream** s) { return TARN_DPF_STREAM(T, dpfController, set_component_state, s); };
    t.ctrl.set_state = [](void* self, v3_bstream** s) { return TARN_DPF_STREAM(T, dpfController, set_state, s); };
    t.ctrl.get_state = [](void* self, v3_bstream** s) { return TARN_DPF_STREAM(T, dpfController, get_state, s); };
    t.ctrl.get_parameter_count = [](void* self) { return TARN_DPF(T, dpfController, get_parameter_count) - kHidden; };
    t.ctrl.get_parameter_info = [](void* self, int32_t index, v3_param_info* info) {
        const v3_result result = TARN_DPF(T, dpfController, get_parameter_info, index < 0 ? index : dpfIndex(index), info);
        if (result == V3_OK && isBend(index)) {
            info->default_normalised_value = kBendDefault;
            info->step_count = tarn::kBendMax;
        }
        return result;
    };
    t.ctrl.get_parameter_string_for_value = [](void* self, v3_param_id id, double value, v3_str_128 text) {
        return TARN_DPF(T, dpfController, get_parameter_string_for_value, id, value, text);
    };
    t.ctrl.get_parameter_value_for_string = [](void* self, v3_param_id id, int16_t* text, double* value) {
        return TARN_DPF(T, dpfController, get_parameter_value_for_string, id, text, value);
    };
    t.ctrl.normalised_parameter_to_plain = [](void* self, v3_param_id id, double value) {
        return TARN_DPF(T, dpfController, normalised_parameter_to_plain, id, value);
    };
    t.ctrl.plain_parameter_to_normalised = [](void* self, v3_param_id id, double value) {
        return TARN_DPF(T, dpfController, plain_parameter_to_normalised, id, value);
    };
    t.ctrl.get_parameter_normalised = [](void* self, v3_param_id id) {
        return isBendId(id) ? kBendDefault : TARN_DPF(T, dpfController, get_parameter_normalised, id);
    };
    // [main, or audio for a DAW's MIDI program change]
    t.ctrl.set_parameter_normalised = [](void* self, v3_param_id id, double value) {
        Plugin& plugin = of<T>(self);
        const tarn::PluginCallScope scope(plugin.calls);
        tarn::ThreadCalls::Slot* slot = scope.slot();
        const bool outer = slot != nullptr && slot->choosingProgram;
        if (slot != nullptr) slot->choosingProgram = id == kProgramId;
        const v3_result result = v3_cpp_obj(plugin.dpfController)->set_parameter_normalised(plugin.dpfController, id, value);
        if (slot != nullptr) slot->choosingProgram = outer;
        return result;
    };
    t.ctrl.set_component_handler = [](void* self, v3_component_handler** hostHandler) {
        Plugin& plugin = of<T>(self);
        plugin.hostHandler = hostHandler;
        auto* ours = reinterpret_cast<v3_component_handler**>(&plugin.handler);
        return TARN_DPF(T, dpfController, set_component_handler, hostHandler != nullptr ? ours : nullptr);
    };
    t.ctrl.create_view = [](void* self, const char* name) { return TARN_DPF(T, dpfController, create_view, name); };
    return t;
}();

// The same entry of the host's component handler, in the host's environment.
#define TARN_HANDLER(entry, ...)                                                                            \
    tarn::callHost(of<T>(self).calls, [&] {                                                                 \
        return v3_cpp_obj(of<T>(self).hostHandler)->entry(of<T>(self).hostHandler, ##__VA_ARGS__);         \
    })

// What DPF hands the host's component handler goes through here.
const ComponentHandlerTable Plugin::kHandler = [] {
    using T = ComponentHandlerTable;
    T t{};
    t.query_interface = [](void* self, const v3_tuid iid, void** obj) {
        return tarn::callHost(of<T>(self).calls, [&] {
            return static_cast<v3_funknown*>(*reinterpret_cast<void**>(of<T>(self).hostHandler))
                ->query_interface(of<T>(self).hostHandler, iid, obj);
        });
    };
    t.ref = [](void*) -> uint32_t { return 1; };
    t.unref = [](void*) -> uint32_t { return 1; };
    t.handler.begin_edit = [](void* self, v3_param_id id) { return TARN_HANDLER(begin_edit, id); };
    t.handler.perform_edit = [](void* self, v3_param_id id, double value) { return TARN_HANDLER(perform_edit, id, value); };
    t.handler.end_edit = [](void* self, v3_param_id id) { return TARN_HANDLER(end_edit, id); };
    t.handler.restart_component = [](void* self, int32_t flags) -> v3_result {
        const tarn::ThreadCalls::Slot* slot = of<T>(self).calls.find();
        if (slot != nullptr && slot->choosingProgram && flags == V3_RESTART_PARAM_VALUES_CHANGED) return V3_OK;
        return TARN_HANDLER(restart_component, flags);
    };
    return t;
}();

#undef TARN_HANDLER
#undef TARN_DPF_STREAM
#undef TARN_DPF

using CreateInstance = v3_result(V3_API*)(void*, const v3_tuid, const v3_tuid, void**);
CreateInstance dpfCreateInstance = nullptr;

// [main] DPF makes the component; the host gets ours in front of it.
v3_result V3_API createInstance(void* self, const v3_tuid classId, const v3_tuid iid, void** instance) {
    const tarn::ModuleFpScope environment;
    void* made = nullptr;
    const v3_result result = dpfCreateInstance(self, classId, iid, &made);
    if (result != V3_OK || made == nullptr) {
        *instance = made;
        return result;
    }
    *instance = new Plugin(static_cast<v3_component**>(made));
    *instance = &static_cast<Plugin*>(*instance)->component;
    return V3_OK;
}

}  // namespace

// [main] The module's entry and exit as the system names them: DPF's, which makes a plug-in to
// read its description from, in the modules' environment.
#ifdef _WIN32
DISTRHO_PLUGIN_EXPORT bool InitDll() {
    const tarn::ModuleFpScope environment;
    return tarn_dpf_vst3_module_entry();
}
DISTRHO_PLUGIN_EXPORT bool ExitDll() {
    const tarn::ModuleFpScope environment;
    return tarn_dpf_vst3_module_exit();
}
#else
DISTRHO_PLUGIN_EXPORT bool ModuleEntry(void* library) {
    const tarn::ModuleFpScope environment;
    return tarn_dpf_vst3_module_entry(library);
}
DISTRHO_PLUGIN_EXPORT bool ModuleExit() {
    const tarn::ModuleFpScope environment;
    return tarn_dpf_vst3_module_exit();
}
#endif

// [main] Every call makes a factory of DPF's, whose instances come through createInstance.
DISTRHO_PLUGIN_EXPORT const void* GetPluginFactory() {
    const tarn::ModuleFpScope environment;
    const void* factory = tarn_dpf_vst3_factory();
    auto* table = static_cast<v3_plugin_factory_cpp*>(*static_cast<void* const*>(factory));
    if (table->v1.create_instance != createInstance) {
        dpfCreateInstance = table->v1.create_instance;
        table->v1.create_instance = createInstance;
    }
    return factory;
}
