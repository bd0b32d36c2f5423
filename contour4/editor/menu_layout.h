// The popup menu of the Contour4 panel as data: every row in the order it appears.
#pragma once

#include <cstdint>

namespace tarn {

enum MenuId : int8_t { MENU_MAIN, MENU_EDIT, MENU_SAW, MENU_TRIANGLE, MENU_PULSE, MENU_VARIOUS,
                       MENU_COUNT };

struct MenuRow {
    MenuId menu;        // the menu the row is appended to
    const char* text;   // null for a separator
    int32_t command;    // command id; 0 for separators and submenu entries
    MenuId submenu;     // for a submenu entry: the menu it opens; otherwise MENU_MAIN
};

extern const MenuRow kMenuRows[];
extern const int kMenuRowCount;

}  // namespace tarn
