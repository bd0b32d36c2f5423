// The CLAP entry of every module: DPF's (compiled under another name in clap_dpf.cpp), with the
// plug-in's descriptor carrying the version, which DPF 1.6 leaves empty.
#include <cstring>

#include "src/clap/entry.h"
#include "src/clap/plugin-factory.h"

extern "C" const clap_plugin_entry_t tarnDpfClapEntry;

namespace {

const clap_plugin_factory_t* dpfFactory() {
    return static_cast<const clap_plugin_factory_t*>(tarnDpfClapEntry.get_factory(CLAP_PLUGIN_FACTORY_ID));
}

// [main] DPF's descriptor with the version; the library holds one plug-in.
const clap_plugin_descriptor_t* descriptor() {
    static const clap_plugin_descriptor_t versioned = [] {
        clap_plugin_descriptor_t d = *dpfFactory()->get_plugin_descriptor(dpfFactory(), 0);
        d.version = TARN_VERSION_TEXT;
        return d;
    }();
    return &versioned;
}

const clap_plugin_factory_t kFactory{
    [](const clap_plugin_factory_t*) { return dpfFactory()->get_plugin_count(dpfFactory()); },
    [](const clap_plugin_factory_t*, uint32_t index) { return index == 0 ? descriptor() : nullptr; },
    [](const clap_plugin_factory_t*, const clap_host_t* host, const char* id) -> const clap_plugin_t* {
        const clap_plugin_t* plugin = dpfFactory()->create_plugin(dpfFactory(), host, id);
        // DPF allocates the record it returns; its descriptor is the host's to read.
        if (plugin != nullptr) const_cast<clap_plugin_t*>(plugin)->desc = descriptor();
        return plugin;
    }};

}  // namespace

extern "C" CLAP_EXPORT const clap_plugin_entry_t clap_entry{
    CLAP_VERSION_INIT, [](const char* path) { return tarnDpfClapEntry.init(path); }, [] { tarnDpfClapEntry.deinit(); },
    [](const char* id) -> const void* {
        if (std::strcmp(id, CLAP_PLUGIN_FACTORY_ID) == 0) return &kFactory;
        return tarnDpfClapEntry.get_factory(id);
    }};
