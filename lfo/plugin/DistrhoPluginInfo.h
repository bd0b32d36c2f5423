// What DPF builds Tarn LFO as. TARN_PLUGIN_CV is set for the LV2 build only: there Speed is
// also a CV input and the output is CV; the other formats have an audio output.
#pragma once

#define DISTRHO_PLUGIN_NAME "Tarn LFO"
#define DISTRHO_PLUGIN_URI "urn:tarn:lfo"
#define DISTRHO_PLUGIN_CLAP_ID "tarn.lfo"

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NUM_INPUTS 1
#else
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#endif
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1

#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_HAS_UI 0

#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#define DISTRHO_PLUGIN_VST3_CATEGORIES "Fx|Generator"
#define DISTRHO_PLUGIN_CLAP_FEATURES "audio-effect", "utility", "mono"
