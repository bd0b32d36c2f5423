// DPF's plug-in code for the VST3 plug-ins, its entry points renamed and exported by nothing:
// vst3_entry.cpp's GetPluginFactory and module entry and exit (InitDll and ExitDll on Windows,
// ModuleEntry and ModuleExit on Linux) stand in front of them as the library's own. Windows
// exports whatever an object marks dllexport, so DPF's export macro is emptied here.
#include "src/DistrhoDefines.h"

#undef DISTRHO_PLUGIN_EXPORT
#define DISTRHO_PLUGIN_EXPORT extern "C"
#define GetPluginFactory tarn_dpf_vst3_factory
#define InitDll tarn_dpf_vst3_module_entry
#define ExitDll tarn_dpf_vst3_module_exit
#define ModuleEntry tarn_dpf_vst3_module_entry
#define ModuleExit tarn_dpf_vst3_module_exit

#include "DistrhoPluginMain.cpp"
