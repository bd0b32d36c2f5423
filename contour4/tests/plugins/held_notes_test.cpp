// Notes as Tarn Contour4's plug-ins take them: the newest held note sounds, and its volts.
#include <gtest/gtest.h>

#include "contour4/plugin/held_notes.h"

namespace {

TEST(HeldNotes, TheNewestHeldNoteSoundsAndReleasingItFallsBack) {
    tarn::HeldNotes notes;
    notes.press(60);
    notes.press(64);
    notes.press(67);
    notes.release(67);
    EXPECT_EQ(notes.newest(), 64);
    notes.press(60);  // pressed again: newest
    EXPECT_EQ(notes.newest(), 60);
    notes.release(60);
    notes.release(64);
    EXPECT_TRUE(notes.empty());
}

// A host may start a hidden bend parameter at 0 (two semitones down) before the first note, send
// the centre, or send no start value at all.
TEST(BendParameters, ZeroBeforeAChannelsFirstOtherValueIsAStartAndEveryOtherValueABend) {
    tarn::BendParameters bends;
    EXPECT_FALSE(bends.isBend(0, 0));
    EXPECT_FALSE(bends.isBend(0, 0));  // a start sent again at the next play
    EXPECT_TRUE(bends.isBend(0, 12000));
    EXPECT_TRUE(bends.isBend(0, 0));  // after a bend, 0 is a full bend down
    EXPECT_FALSE(bends.isBend(1, 0));  // each channel apart
    EXPECT_TRUE(bends.isBend(0x12, 5000));  // channel 2, the low four bits: no start value needed
    EXPECT_TRUE(bends.isBend(3, tarn::kBendCentre));  // a centre start bends nothing, and after it
    EXPECT_TRUE(bends.isBend(3, 0));                   // a full bend down is one
}

TEST(NoteVolts, NoteSixtyNineIsFiveVoltsAndTheBendSpansTwoSemitones) {
    EXPECT_EQ(tarn::noteVolts(69, tarn::kBendCentre), 5.0);
    EXPECT_EQ(tarn::noteVolts(81, tarn::kBendCentre), 6.0);
    EXPECT_DOUBLE_EQ(tarn::noteVolts(69, 0), 5.0 - 2.0 / 12.0);
    EXPECT_NEAR(tarn::noteVolts(69, 16383), 5.0 + 2.0 / 12.0, 1e-3);
}

}  // namespace
