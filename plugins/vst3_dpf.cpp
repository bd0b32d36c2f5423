// DPF's VST3 format, its factory entry renamed: vst3_entry.cpp's GetPluginFactory stands in front.
#define GetPluginFactory tarnDpfPluginFactory
#include "DistrhoPluginMain.cpp"
