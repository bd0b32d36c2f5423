// The preset shapes and the edit operations of the Contour4 panel, as node heights.
#pragma once

#include <cstdint>

#include "contour4/signal/shape_text.h"

namespace tarn {

using Heights = float[kNodeCount];

// Command ids of the popup menu.
enum MenuCommand : int32_t {
    CMD_SINE = 1,
    CMD_DIGITAL_SAW = 10, CMD_ANALOG_SAW_1, CMD_ANALOG_SAW_2, CMD_ANALOG_SAW_3, CMD_DOUBLE_SAW_1,
    CMD_DOUBLE_SAW_2, CMD_SAW_90, CMD_SAW_180,
    CMD_RAMP = 20,
    CMD_PULSE_50 = 30, CMD_PULSE_25, CMD_PULSE_12_5, CMD_PULSE_6_25,
    CMD_TRIANGLE = 40, CMD_TRIPULSE, CMD_TRIFOLD,
    CMD_RANDOM = 50,
    CMD_COSINE = 60, CMD_A_SPLINE, CMD_M_SPLINE, CMD_RESONATOR, CMD_DNA, CMD_DC_WOODWIND,
    CMD_EXTRA_PULSE, CMD_COSINE_SAW, CMD_OBOESQUE,
    CMD_INVERT = 115, CMD_REVERSE = 116, CMD_ROTATE_LEFT = 117,
};

// Fills out with the heights of a preset; false for an id that is not a preset.
bool fillPreset(int32_t id, Heights& out);

void invertHeights(const Heights& saved, Heights& out);
void reverseHeights(const Heights& saved, Heights& out);
void rotateHeightsLeft(Heights& buffer);  // toward higher indices: index 0 takes index 24

}  // namespace tarn
