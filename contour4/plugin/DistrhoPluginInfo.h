// What DPF builds Tarn Contour4 as. Its name, URI and CLAP id are its description's
// (contour4/description.txt). The DAW form (every format; TARN_PLUGIN_CV unset) has Pitch, Sync
// and Level as parameters; the modular LV2 form (TARN_PLUGIN_CV), a plug-in of its own with its
// own URI, has them as CV inputs. The window is the panel at its own size: on Linux drawn with
// Cairo (DGL), on Windows a child window of the host's, painted by the panel's own GDI calls
// (DPF's external UI, which hands over the host's parent window without DGL).
#pragma once

#include "contour4/description.h"

#ifdef TARN_PLUGIN_CV
#define DISTRHO_PLUGIN_NAME TARN_CONTOUR4_CV_NAME
#define DISTRHO_PLUGIN_URI TARN_CONTOUR4_CV_URI
#define DISTRHO_PLUGIN_NUM_INPUTS 3
#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:OscillatorPlugin"
#else
#define DISTRHO_PLUGIN_NAME TARN_CONTOUR4_NAME
#define DISTRHO_PLUGIN_URI TARN_CONTOUR4_URI
#define DISTRHO_PLUGIN_NUM_INPUTS 0
#define DISTRHO_PLUGIN_LV2_CATEGORY "lv2:InstrumentPlugin"
#endif
#define DISTRHO_PLUGIN_CLAP_ID TARN_CONTOUR4_CLAP_ID
#define DISTRHO_PLUGIN_NUM_OUTPUTS 1
// What the format entries of ours (plugins/*_entry.cpp) read of the module: its version.
#define TARN_PLUGIN_DESCRIPTION ::tarn::contour4::kDescription

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
#ifdef DISTRHO_PLUGIN_TARGET_VST3
// One plug-in object behind the VST3 component and its controller: with DPF's separate
// controller, a program the host chooses reaches only the controller's copy and never the sound.
#define DISTRHO_PLUGIN_WANT_DIRECT_ACCESS 1
#endif

#define DISTRHO_PLUGIN_VST3_CATEGORIES "Instrument|Synth"
#define DISTRHO_PLUGIN_CLAP_FEATURES "instrument", "synthesizer", "mono"
