// Held notes, bends through host parameters and the note-to-volts law of Contour4's MIDI input.
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

bool BendParameters::isBend(uint8_t channel, int value) {
    bool& bent = bent_[channel & 0x0F];
    if (!bent && value == 0) return false;
    bent = true;
    return true;
}

int bendValue(uint8_t low, uint8_t high) {
    const int value = (low & 0x7F) | high << 7;
    return value < kBendMax ? value : kBendMax;
}

double noteVolts(uint8_t note, int bend) {
    const double semitones = (note - kMiddleNote) + kBendSemitones * (bend - kBendCentre) / kBendCentre;
    return kMiddleNoteVolts + semitones / 12.0;
}

}  // namespace tarn
