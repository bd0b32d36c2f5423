// The rows of the panel's popup menu.
#include "menu_layout.h"

#include "presets.h"

namespace tarn {

namespace {
constexpr MenuRow item(MenuId menu, const char* text, int32_t id) {
    return MenuRow{menu, text, id, MENU_MAIN};
}
constexpr MenuRow submenu(const char* text, MenuId opens) {
    return MenuRow{MENU_MAIN, text, 0, opens};
}
constexpr MenuRow separator() { return MenuRow{MENU_MAIN, nullptr, 0, MENU_MAIN}; }
}  // namespace

const MenuRow kMenuRows[] = {
    submenu("Edit", MENU_EDIT),
    item(MENU_EDIT, "Invert", CMD_INVERT),
    item(MENU_EDIT, "Reverse", CMD_REVERSE),
    item(MENU_EDIT, "Rotate Left", CMD_ROTATE_LEFT),
    separator(),
    item(MENU_MAIN, "Sine", CMD_SINE),
    submenu("Saw", MENU_SAW),
    item(MENU_SAW, "Digital Saw", CMD_DIGITAL_SAW),
    item(MENU_SAW, "Analog Saw 1", CMD_ANALOG_SAW_1),
    item(MENU_SAW, "Analog Saw 2", CMD_ANALOG_SAW_2),
    item(MENU_SAW, "Analog Saw 3", CMD_ANALOG_SAW_3),
    item(MENU_SAW, "Double Saw 1", CMD_DOUBLE_SAW_1),
    item(MENU_SAW, "Double Saw 2", CMD_DOUBLE_SAW_2),
    item(MENU_SAW, "Saw 90", CMD_SAW_90),
    item(MENU_SAW, "Saw 180", CMD_SAW_180),
    item(MENU_MAIN, "Ramp", CMD_RAMP),
    submenu("Triangle", MENU_TRIANGLE),
    item(MENU_TRIANGLE, "Triangle", CMD_TRIANGLE),
    item(MENU_TRIANGLE, "TriPulse", CMD_TRIPULSE),
    item(MENU_TRIANGLE, "TriFold", CMD_TRIFOLD),
    submenu("Pulse", MENU_PULSE),
    item(MENU_PULSE, "50%", CMD_PULSE_50),
    item(MENU_PULSE, "25%", CMD_PULSE_25),
    item(MENU_PULSE, "12.5%", CMD_PULSE_12_5),
    item(MENU_PULSE, "6.25%", CMD_PULSE_6_25),
    submenu("Various", MENU_VARIOUS),
    item(MENU_VARIOUS, "Cosine", CMD_COSINE),
    item(MENU_VARIOUS, "A Spline", CMD_A_SPLINE),
    item(MENU_VARIOUS, "M Spline", CMD_M_SPLINE),
    item(MENU_VARIOUS, "Resonator", CMD_RESONATOR),
    item(MENU_VARIOUS, "DNA", CMD_DNA),
    item(MENU_VARIOUS, "DC Woodwind", CMD_DC_WOODWIND),
    item(MENU_VARIOUS, "Extra Pulse", CMD_EXTRA_PULSE),
    item(MENU_VARIOUS, "Cosine Saw", CMD_COSINE_SAW),
    item(MENU_VARIOUS, "Oboesque ", CMD_OBOESQUE),
    separator(),
    item(MENU_MAIN, "Random", CMD_RANDOM),
};

const int kMenuRowCount = sizeof kMenuRows / sizeof kMenuRows[0];

}  // namespace tarn
