// DPF's plug-in code for the LV2 plug-ins (Linux only), its descriptor entry renamed: lv2_entry.cpp's
// lv2_descriptor stands in front. DPF's lv2_generate_ttl stays exported for its description writer.
#define lv2_descriptor tarn_dpf_lv2_descriptor
#include "DistrhoPluginMain.cpp"
