// What the validator knows of particular modules, keyed by the id their properties give: the
// one place in the host that names a module or one of its pins. Every other check works from
// what a module declares.
#pragma once

#include <string>

namespace tarnhost {

struct ModuleSpecifics {
    // An audio input at or below `gate` silences the module and lets it sleep; its crossing is
    // checked, and the denormal timing leaves it alone.
    const char* gatePin = nullptr;
    float gate = 0.0f;
    // Choices whose name holds this word draw from the C library's generator, which instances
    // on one thread share: two instances need not agree on them.
    const char* sharedRandomChoice = nullptr;
    // Nodes of a well-formed write-back from the panel, 0 when the module writes no shape text.
    int shapeNodes = 0;
};

// The specifics of a module id; a module the table does not know gets none.
const ModuleSpecifics& moduleSpecifics(const std::string& id);

}  // namespace tarnhost
