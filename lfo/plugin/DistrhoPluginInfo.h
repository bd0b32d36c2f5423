// What DPF builds Tarn LFO as. Its name, URI and CLAP id are its description's
// (lfo/description.txt). The DAW form (every format; TARN_PLUGIN_CV unset) has an audio output;
// the modular LV2 form (TARN_PLUGIN_CV), a plug-in of its own with its own URI, has Speed also as
// a CV input and a CV output.
#pragma once

#include "lfo/description.h"

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NAME TARN_LFO_CV_NAME
#define DISTRHO_PLUGIN_URI TARN_LFO_CV_URI
#define DISTRHO_PLUGIN_NUM_INPUTS 1
#else
#define DISTRHO_PLUGIN_NAME TARN_LFO_NAME
#define DISTRHO_PLUGIN_URI TARN_LFO_URI
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#endif
#define DISTRHO_PLUGIN_CLAP_ID TARN_LFO_CLAP_ID
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1
// What the format entries of ours (plugins/*_entry.cpp) read of the module: its version.
#define TARN_PLUGIN_DESCRIPTION ::tarn::lfo::kDescription

#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_HAS_UI 0

#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#define DISTRHO_PLUGIN_VST3_CATEGORIES "Fx|Generator"
#define DISTRHO_PLUGIN_CLAP_FEATURES "audio-effect", "utility", "mono"
