// Held notes and the note-to-volts law of Contour4's MIDI input.
#include "held_notes.h"

namespace tarn {

void HeldNotes::remove(uint8_t note) {
    int kept = 0;
    for (int i = 0; i < count_; ++i) {
        if (notes_[i] != note) notes_[kept++] = notes_[i];
    }
    count_ = kept;
}

void HeldNotes::press(uint8_t note) {
    remove(note);  // a repeated note-on moves it to newest
    if (count_ < kNotes) notes_[count_++] = note & 0x7F;
}

void HeldNotes::release(uint8_t note) { remove(note); }

double noteVolts(uint8_t note, int bend) {
    const double semitones = (note - kMiddleNote) + kBendSemitones * (bend - kBendCentre) / kBendCentre;
    return kMiddleNoteVolts + semitones / 12.0;
}

}  // namespace tarn
