// The plug-in of a module that brings only its description and its signal core: DPF makes every
// format of it from the DistrhoPluginInfo.h generated from the description.
#include "plugins/described_plugin.h"

#include TARN_PLUGIN_CORE_HEADER

START_NAMESPACE_DISTRHO

Plugin* createPlugin() { return new tarn::DescribedPlugin<TARN_PLUGIN_CORE>(); }

END_NAMESPACE_DISTRHO
