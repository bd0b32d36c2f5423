// What a module's VST3 build shares with the entry that stands in front of DPF's (vst3_entry.cpp).
#pragma once

#include <cstdint>

namespace tarn {

// DPF 1.6's VST3 controller takes the first parameter of a plug-in with MIDI input for one of its
// MIDI controller parameters: it reads as 0 and refuses every value a host sets. Such a plug-in's
// VST3 build puts a placeholder there, which the entry hides from hosts.
#if defined(DISTRHO_PLUGIN_TARGET_VST3) && DISTRHO_PLUGIN_WANT_MIDI_INPUT
constexpr uint32_t kVst3Placeholders = 1;
#else
constexpr uint32_t kVst3Placeholders = 0;
#endif

// A MIDI pitch bend's 14 bits: 0 the full bend down, kBendCentre none, kBendMax the full bend up.
// The VST3 entry gives the parameters that carry bends the centre as their default.
constexpr int kBendCentre = 8192;
constexpr int kBendMax = 16383;

}  // namespace tarn
