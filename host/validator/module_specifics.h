// What the validator knows of a module beyond its exports, read from the module's description
// (<module>/description.txt, given with --describe): its gated inputs, the choices that share the
// C library's generator, the grammar of its text input. A module without a description gets
// none of these, and the checks every module gets.
#pragma once

#include <string>
#include <vector>

#include "host/validator/text_grammar.h"

namespace tarnhost {

// An audio input at or below `gate` (signal units) silences the module and lets it sleep; its
// crossing is checked, and the denormal timing leaves it alone.
struct GatedInput {
    std::string pin;
    float gate;
    std::string at;  // "FILE:LINE" of the gate in the description
};

struct ModuleSpecifics {
    std::string description;  // the file read; "" for a module without one
    std::string id;           // the module's id, as the description says
    std::string idAt;
    std::vector<GatedInput> gated;
    // Choices and panel menu items whose name holds this word draw from the C library's
    // generator, which instances on one thread share: two instances need not agree on them.
    std::string sharedGenerator;
    // The grammar of the module's text input; without one, texts of any bytes.
    TextGrammar text;

    bool gates(const std::string& pin) const;
    bool drawsFromSharedGenerator(const std::string& name) const;
};

// Reads a module's description; throws InputError naming the file, and the line of a fault.
ModuleSpecifics readModuleSpecifics(const std::string& path);

}  // namespace tarnhost
