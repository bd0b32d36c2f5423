// The notes held on Contour4's MIDI input, newest last: the newest one sets the pitch; pitch bend
// as a host's hidden controller parameters deliver it.
#pragma once

#include <cstdint>

#include "plugins/vst3_entry.h"

namespace tarn {

class HeldNotes {
public:
    static constexpr int kNotes = 128;

    void press(uint8_t note);
    void release(uint8_t note);
    void clear() { count_ = 0; }
    bool empty() const { return count_ == 0; }
    uint8_t newest() const { return notes_[count_ - 1]; }

private:
    void remove(uint8_t note);
    uint8_t notes_[kNotes] = {};
    int count_ = 0;
};

// Pitch bend that reaches the plug-in as one host parameter per channel (VST3 through DPF's MIDI
// mapping). A DAW sends such a parameter a start value before any note: the centre, which the
// VST3 entry gives them as default and current value (Ardour sends that), is no bend anyway; 0, the
// normalised minimum, is what a host sends that starts parameters there or reads them from DPF
// alone, and is taken as a start until the channel's first other value. Every other value is a
// real bend at once, the first one included: a host need not send a start value. Only a full bend
// down that comes before any other value on its channel is lost; it cannot be told from a start.
class BendParameters {
public:
    static constexpr int kChannels = 16;
    // True when the value, on the channel of the low four bits, is a bend to follow.
    bool isBend(uint8_t channel, int value);

private:
    bool bent_[kChannels] = {};
};

// MIDI to volts: 1 V per octave with note 69 at 5 V; a bend of 0 ... 16383 spans +-2 semitones.
constexpr int kMiddleNote = 69;
constexpr double kMiddleNoteVolts = 5.0;
constexpr double kBendSemitones = 2.0;
double noteVolts(uint8_t note, int bend);
// A bend's value from its two data bytes, at most kBendMax: DPF 1.6 turns a VST3 host's full bend
// up (1.0) into 16384, an eighth bit in the high byte.
int bendValue(uint8_t low, uint8_t high);

}  // namespace tarn
