// DPF's LV2 format, its descriptor entry renamed: lv2_entry.cpp's lv2_descriptor stands in front.
#define lv2_descriptor tarnDpfLv2Descriptor
#include "DistrhoPluginMain.cpp"
