// What DPF builds Tarn Contour4 as. TARN_PLUGIN_CV is set for the LV2 build only: there Pitch,
// Sync and Level are CV inputs; the other formats have them as parameters. The window is the
// panel at its own size: on Linux drawn with Cairo (DGL), on Windows a child window of the
// host's, painted by the panel's own GDI calls (DPF's external UI, which hands over the host's
// parent window without DGL).
#pragma once

#define DISTRHO_PLUGIN_NAME "Tarn Contour4"
#define DISTRHO_PLUGIN_URI "urn:tarn:contour4"
#define DISTRHO_PLUGIN_CLAP_ID "tarn.contour4"

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NUM_INPUTS 3
#else
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#endif
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1

#define DISTRHO_PLUGIN_IS_SYNTH 1
#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_HAS_UI 1
#ifdef _WIN32
#define DISTRHO_PLUGIN_HAS_EXTERNAL_UI 1
#define DISTRHO_PLUGIN_HAS_EMBED_UI 1
#else
#define DISTRHO_UI_USE_CAIRO 1
#endif
#define DISTRHO_UI_DEFAULT_WIDTH 256
#define DISTRHO_UI_DEFAULT_HEIGHT 100
#define DISTRHO_PLUGIN_WANT_MIDI_INPUT 1
#define DISTRHO_PLUGIN_WANT_STATE 1
#define DISTRHO_PLUGIN_WANT_FULL_STATE 1
#define DISTRHO_PLUGIN_WANT_PROGRAMS 1

#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#define DISTRHO_PLUGIN_VST3_CATEGORIES "Instrument|Synth"
#define DISTRHO_PLUGIN_CLAP_FEATURES "instrument", "synthesizer", "mono"
