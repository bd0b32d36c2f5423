// What DPF builds Tarn Contour4 as. The DAW form (every format; TARN_PLUGIN_CV unset) has Pitch,
// Sync and Level as parameters; the modular LV2 form (TARN_PLUGIN_CV), a plug-in of its own with
// its own URI, has them as CV inputs. The window is the panel, drawn with Cairo, at the panel's
// own size.
#pragma once

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NAME "Tarn Contour4 CV"
#define DISTRHO_PLUGIN_URI "urn:tarn:contour4:cv"
#define DISTRHO_PLUGIN_NUM_INPUTS 3
#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#else
#define DISTRHO_PLUGIN_NAME "Tarn Contour4"
#define DISTRHO_PLUGIN_URI "urn:tarn:contour4"
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:InstrumentPlugin"
#endif
#define DISTRHO_PLUGIN_CLAP_ID "org.tarn.contour4"
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1

#define DISTRHO_PLUGIN_IS_SYNTH 1
#define DISTRHO_PLUGIN_IS_RT_SAFE 1
#define DISTRHO_PLUGIN_HAS_UI 1
#define DISTRHO_UI_USE_CAIRO 1
#define DISTRHO_UI_DEFAULT_WIDTH 256
#define DISTRHO_UI_DEFAULT_HEIGHT 100
#define DISTRHO_PLUGIN_WANT_MIDI_INPUT 1
#define DISTRHO_PLUGIN_WANT_STATE 1
#define DISTRHO_PLUGIN_WANT_FULL_STATE 1
#define DISTRHO_PLUGIN_WANT_PROGRAMS 1
#ifdef DISTRHO_PLUGIN_TARGET_VST3
// One plug-in object behind the VST3 component and its controller: with DPF's separate
// controller, a program the host chooses reaches only the controller's copy and never the sound.
#define DISTRHO_PLUGIN_WANT_DIRECT_ACCESS 1
#endif

#define DISTRHO_PLUGIN_VST3_CATEGORIES "Instrument|Synth"
#define DISTRHO_PLUGIN_CLAP_FEATURES "instrument", "synthesizer", "mono"
