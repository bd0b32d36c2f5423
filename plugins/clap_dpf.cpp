// DPF's CLAP format, its entry renamed: clap_entry.cpp's clap_entry stands in front.
#define clap_entry tarnDpfClapEntry
#include "DistrhoPluginMain.cpp"
