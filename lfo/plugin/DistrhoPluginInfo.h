// What DPF builds Tarn LFO as. The DAW form (every format; TARN_PLUGIN_CV unset) has an audio
// output; the modular LV2 form (TARN_PLUGIN_CV), a plug-in of its own with its own URI, has Speed
// also as a CV input and a CV output.
#pragma once

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NAME "Tarn LFO CV"
#define DISTRHO_PLUGIN_URI "urn:tarn:lfo:cv"
#define DISTRHO_PLUGIN_NUM_INPUTS 1
#else
#define DISTRHO_PLUGIN_NAME "Tarn LFO"
#define DISTRHO_PLUGIN_URI "urn:tarn:lfo"
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#endif
#define DISTRHO_PLUGIN_CLAP_ID "org.tarn.lfo"
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1

#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_HAS_UI 0

#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#define DISTRHO_PLUGIN_VST3_CATEGORIES "Fx|Generator"
#define DISTRHO_PLUGIN_CLAP_FEATURES "audio-effect", "utility", "mono"
