// DPF's plug-in code for the CLAP plug-ins, its CLAP entry renamed tarn_dpf_clap_entry and exported
// by nothing: clap_entry.cpp's clap_entry stands in front of it as the library's one entry.
// Windows exports whatever an object marks dllexport, whatever else the linker is told, so DPF's
// two export macros are emptied here rather than left to a symbol list as on Linux.
#include "src/DistrhoDefines.h"

#undef DISTRHO_PLUGIN_EXPORT
#define DISTRHO_PLUGIN_EXPORT extern "C"
#define CLAP_EXPORT
#define clap_entry tarn_dpf_clap_entry

#include "DistrhoPluginMain.cpp"
