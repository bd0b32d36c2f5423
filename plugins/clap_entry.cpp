// The CLAP entry of every module, on both systems, in front of DPF's (compiled under another name
// in clap_dpf.cpp). It mends two things of DPF 1.6:
//
// - The floating-point environment. DPF's wrapper computes in its own code before our plug-in
//   class sees a call: it turns a parameter event's double into a float, in the host's rounding
//   (and, with inexact unmasked, traps there). This entry's factory hands out a plug-in of ours
//   for each of DPF's, whose entries and whose params and state extensions call DPF's in the
//   modules' environment and give the host's back exactly. DPF's other extensions (ports, window,
//   timer) compute nothing of the sound and are handed out as they are; they read DPF's plug-in
//   from plugin_data, which ours shares. A host callback DPF makes from inside a call runs in the
//   modules' environment.
// - The version, which DPF leaves empty in the plug-in's descriptor: the module's description's.
#include <cstring>
#include <new>
#include <type_traits>

#include "DistrhoPluginInfo.h"
#include "common/fp_env.h"
#include "src/clap/entry.h"
#include "src/clap/ext/params.h"
#include "src/clap/ext/state.h"
#include "src/clap/plugin-factory.h"

extern "C" const clap_plugin_entry_t tarn_dpf_clap_entry;

namespace {

// One of DPF's plug-ins behind one of ours: the host holds `face`, every call goes to `inner`.
struct Scoped {
    clap_plugin_t face;
    const clap_plugin_t* inner;
};

const clap_plugin_t* innerOf(const clap_plugin_t* plugin) { return reinterpret_cast<const Scoped*>(plugin)->inner; }

// DPF's tables, the same for every plug-in of the library; read on the main thread before use.
const clap_plugin_factory_t* dpfFactory = nullptr;
const clap_plugin_params_t* dpfParams = nullptr;
const clap_plugin_state_t* dpfState = nullptr;

const clap_plugin_t* pluginTable(const clap_plugin_t* plugin) { return innerOf(plugin); }
const clap_plugin_params_t* paramsTable(const clap_plugin_t*) { return dpfParams; }
const clap_plugin_state_t* stateTable(const clap_plugin_t*) { return dpfState; }

template <class Function>
struct Forward;

// Calls the member of DPF's table with DPF's plug-in, in the modules' environment.
template <class Result, class... Arguments>
struct Forward<Result (*)(const clap_plugin_t*, Arguments...)> {
    template <auto Table, auto Member>
    static Result call(const clap_plugin_t* plugin, Arguments... arguments) {
        const tarn::ModuleFpScope environment;
        return (Table(plugin)->*Member)(innerOf(plugin), arguments...);
    }
};

template <auto Table, auto Member>
using EntryType = std::remove_cv_t<std::remove_reference_t<decltype(Table(nullptr)->*Member)>>;

// The scoped stand-in for one entry of a table.
template <auto Table, auto Member>
constexpr EntryType<Table, Member> scoped = &Forward<EntryType<Table, Member>>::template call<Table, Member>;

// [main], but flush: [audio] while the plug-in is active.
const clap_plugin_params_t kParams = {
    scoped<paramsTable, &clap_plugin_params_t::count>,         scoped<paramsTable, &clap_plugin_params_t::get_info>,
    scoped<paramsTable, &clap_plugin_params_t::get_value>,     scoped<paramsTable, &clap_plugin_params_t::value_to_text>,
    scoped<paramsTable, &clap_plugin_params_t::text_to_value>, scoped<paramsTable, &clap_plugin_params_t::flush>,
};

// [main]
const clap_plugin_state_t kState = {
    scoped<stateTable, &clap_plugin_state_t::save>,
    scoped<stateTable, &clap_plugin_state_t::load>,
};

// [audio] As the plug-in's run: the x87 status word is left to the code that uses the x87 unit.
clap_process_status process(const clap_plugin_t* plugin, const clap_process_t* data) {
    const tarn::ModuleFpScope environment(tarn::X87Status::LeftToTheCode);
    const clap_plugin_t* inner = innerOf(plugin);
    return inner->process(inner, data);
}

// [main] DPF frees its own plug-in; ours goes with it.
void destroy(const clap_plugin_t* plugin) {
    const Scoped* scopedPlugin = reinterpret_cast<const Scoped*>(plugin);
    {
        const tarn::ModuleFpScope environment;
        scopedPlugin->inner->destroy(scopedPlugin->inner);
    }
    delete scopedPlugin;
}

// [any] The params and state extensions scoped, the others DPF's own.
const void* getExtension(const clap_plugin_t* plugin, const char* id) {
    const clap_plugin_t* inner = innerOf(plugin);
    const void* extension = nullptr;
    {
        const tarn::ModuleFpScope environment;
        extension = inner->get_extension(inner, id);
    }
    if (extension == nullptr) return nullptr;
    if (std::strcmp(id, CLAP_EXT_PARAMS) == 0) {
        dpfParams = static_cast<const clap_plugin_params_t*>(extension);
        return &kParams;
    }
    if (std::strcmp(id, CLAP_EXT_STATE) == 0) {
        dpfState = static_cast<const clap_plugin_state_t*>(extension);
        return &kState;
    }
    return extension;
}

// [main] DPF's descriptor with the version; the library holds one plug-in.
const clap_plugin_descriptor_t* versionedDescriptor() {
    static const clap_plugin_descriptor_t versioned = [] {
        const tarn::ModuleFpScope environment;
        clap_plugin_descriptor_t d = *dpfFactory->get_plugin_descriptor(dpfFactory, 0);
        d.version = TARN_PLUGIN_DESCRIPTION.version;
        return d;
    }();
    return &versioned;
}

// [any]
uint32_t pluginCount(const clap_plugin_factory_t*) {
    const tarn::ModuleFpScope environment;
    return dpfFactory->get_plugin_count(dpfFactory);
}

// [any]
const clap_plugin_descriptor_t* pluginDescriptor(const clap_plugin_factory_t*, uint32_t index) {
    return index == 0 ? versionedDescriptor() : nullptr;
}

// [main] DPF's plug-in, and ours in front of it.
const clap_plugin_t* createPlugin(const clap_plugin_factory_t*, const clap_host_t* host, const char* id) {
    const tarn::ModuleFpScope environment;
    const clap_plugin_t* inner = dpfFactory->create_plugin(dpfFactory, host, id);
    if (inner == nullptr) return nullptr;
    Scoped* plugin = new (std::nothrow) Scoped{*inner, inner};
    if (plugin == nullptr) {
        inner->destroy(inner);
        return nullptr;
    }
    clap_plugin_t& face = plugin->face;
    face.desc = versionedDescriptor();
    face.init = scoped<pluginTable, &clap_plugin_t::init>;
    face.destroy = &destroy;
    face.activate = scoped<pluginTable, &clap_plugin_t::activate>;
    face.deactivate = scoped<pluginTable, &clap_plugin_t::deactivate>;
    face.start_processing = scoped<pluginTable, &clap_plugin_t::start_processing>;
    face.stop_processing = scoped<pluginTable, &clap_plugin_t::stop_processing>;
    face.reset = scoped<pluginTable, &clap_plugin_t::reset>;
    face.process = &process;
    face.get_extension = &getExtension;
    face.on_main_thread = scoped<pluginTable, &clap_plugin_t::on_main_thread>;
    return &plugin->face;
}

const clap_plugin_factory_t kFactory = {&pluginCount, &pluginDescriptor, &createPlugin};

// [main]
bool init(const char* path) {
    const tarn::ModuleFpScope environment;
    return tarn_dpf_clap_entry.init(path);
}

// [main]
void deinit() {
    const tarn::ModuleFpScope environment;
    tarn_dpf_clap_entry.deinit();
}

// [any]
const void* getFactory(const char* id) {
    const void* factory = nullptr;
    {
        const tarn::ModuleFpScope environment;
        factory = tarn_dpf_clap_entry.get_factory(id);
    }
    if (factory == nullptr || std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) != 0) return factory;
    dpfFactory = static_cast<const clap_plugin_factory_t*>(factory);
    return &kFactory;
}

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry = {CLAP_VERSION, &init, &deinit, &getFactory};
