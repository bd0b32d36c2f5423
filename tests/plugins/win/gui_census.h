// How many GDI and USER objects this process holds: GetGuiResources where the system answers it.
// Wine answers 0 to every question there, so under Wine the objects are counted from what the
// process can see of them: its entries of the GDI handle table, and its windows and menus.
#pragma once

#include <string>

namespace plugtest {

struct GuiCounts {
    long gdi;
    long user;
};

// [main]
GuiCounts countGuiObjects();
// How countGuiObjects counts here, for the report.
std::string censusMethod();

}  // namespace plugtest
