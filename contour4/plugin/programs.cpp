// The programs, read from the panel's menu rows.
#include "programs.h"

#include "contour4/editor/menu_layout.h"
#include "contour4/editor/presets.h"
#include "contour4/signal/shape_text.h"
#include "frame/crt_random.h"

#include <cstdio>

#if defined(_WIN32)
#include <cstdlib>
#include <thread>
#endif

namespace tarn {

namespace {

struct Program {
    char name[48];  // fixed, so that no thread that first asks allocates
    int32_t command;
};

// The label of a preset outside the panel's menu: where the menu's text names no shape by itself
// ("50%" in "Pulse"), the submenu's name in front ("Pulse 50%"); and "Random", one fixed curve as a
// program, says so (the menu's draws a new one each time).
void labelProgram(const MenuRow& row, Program& program) {
    const char* group = "";
    const char* space = "";
    bool namesShape = false;
    for (const char* c = row.text; *c != '\0'; ++c) namesShape |= (*c >= 'A' && *c <= 'Z') || (*c >= 'a' && *c <= 'z');
    for (int i = 0; i < kMenuRowCount && !namesShape && row.menu != MENU_MAIN; ++i) {
        if (kMenuRows[i].command == 0 && kMenuRows[i].text != nullptr && kMenuRows[i].submenu == row.menu) {
            group = kMenuRows[i].text;
            space = " ";
        }
    }
    std::snprintf(program.name, sizeof program.name, "%s%s%s%s", group, space, row.text,
                  row.command == CMD_RANDOM ? " (fixed curve)" : "");
    program.command = row.command;
}

struct ProgramList {
    Program items[kProgramCount] = {};
    ProgramList() {
        uint32_t n = 0;
        for (int i = 0; i < kMenuRowCount && n < kProgramCount; ++i) {
            const MenuRow& row = kMenuRows[i];
            if (row.text != nullptr && row.command != 0 && row.command < CMD_INVERT) {
                labelProgram(row, items[n++]);
            }
        }
    }
};

const ProgramList& programs() {
    static const ProgramList list;
    return list;
}

// A program is a fixed shape wherever it is computed, the plug-in window included: "Random"
// takes the first draws of a fresh generator, as its LV2 preset has them, and leaves the
// thread's own draws where they were.
#if defined(_WIN32)
// The CRT keeps its generator's state out of reach, one per thread, each new thread's at its
// start: a thread of its own draws the presets as a fresh generator does, once.
struct FreshHeights {
    Heights items[kProgramCount];
    FreshHeights() {
        const auto fill = [this] {
            for (uint32_t i = 0; i < kProgramCount; ++i) {
                std::srand(1);
                fillPreset(programs().items[i].command, items[i]);
            }
        };
        try {
            std::thread(fill).join();
        } catch (...) {
            fill();  // no thread to be had: the caller's draws start again instead
        }
    }
};

void programHeights(uint32_t index, Heights& heights) {
    static const FreshHeights fresh;
    for (int i = 0; i < kNodeCount; ++i) heights[i] = fresh.items[index][i];
}
#else
void programHeights(uint32_t index, Heights& heights) {
    const uint32_t draws = crtRandState();
    crtRandState() = 1;
    fillPreset(programs().items[index].command, heights);
    crtRandState() = draws;
}
#endif

}  // namespace

const char* programName(uint32_t index) { return index < kProgramCount ? programs().items[index].name : ""; }

std::string programShapeText(const std::string& current, uint32_t index) {
    if (index >= kProgramCount) return current;
    Node nodes[kNodeCount];
    parseShapeText(nodes, kDefaultShapeText);
    parseShapeText(nodes, current.c_str());
    Heights heights;
    programHeights(index, heights);
    for (int i = 0; i < kNodeCount; ++i) nodes[i].y = heights[i];
    return formatShapeText(nodes);
}

}  // namespace tarn
