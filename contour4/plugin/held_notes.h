// The notes held on Contour4's MIDI input, newest last: the newest one sets the pitch.
#pragma once

#include <cstdint>

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

// MIDI to volts: 1 V per octave with note 69 at 5 V; a bend of 0 ... 16383 spans +-2 semitones.
constexpr int kMiddleNote = 69;
constexpr double kMiddleNoteVolts = 5.0;
constexpr double kBendSemitones = 2.0;
constexpr int kBendCentre = 8192;
double noteVolts(uint8_t note, int bend);

}  // namespace tarn
