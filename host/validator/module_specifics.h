// What the validator knows of particular modules, keyed by the id their properties give: the
// one place in the host that names a module, one of its pins or the grammar of its text. Every
// other check works from what a module declares.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace tarnhost {

// One random text and the kind it was drawn as, for a failure message.
struct DrawnText {
    std::string text;
    const char* kind;
};

// Random texts for a text input, one after another from a seed.
class RandomTexts {
public:
    using Draw = DrawnText (*)(std::mt19937_64& rng);
    RandomTexts(Draw draw, uint64_t seed) : draw_(draw), rng_(seed) {}
    std::string next();
    // The kind of the last text.
    const std::string& describe() const { return kind_; }

private:
    Draw draw_;
    std::mt19937_64 rng_;
    std::string kind_;
};

// What the validator knows of a module's text input.
struct TextGrammar {
    // Texts from the grammar outward: well-formed ones, and ones that break it every way.
    RandomTexts::Draw draw;
    // "" when a text the panel wrote back is well formed, else why not; null when the validator
    // knows no form for it.
    std::string (*writeBackProblem)(const std::string& text);
    // Texts the module must take: `steady` for two instances that must sound alike, `first`
    // replaced by `second` for a text the host replaces.
    const char* steady;
    const char* first;
    const char* second;
    // Texts that overflow, underflow or say nothing; the last is the one a panel is dragged with.
    std::vector<std::string> hard;
};

// Texts of any bytes, for a text input whose grammar the validator does not know.
extern const TextGrammar kAnyText;
// Contour4's shape text, its node count from the module's own signal headers.
extern const TextGrammar kContour4ShapeText;

struct ModuleSpecifics {
    // An audio input at or below `gate` silences the module and lets it sleep; its crossing is
    // checked, and the denormal timing leaves it alone.
    const char* gatePin = nullptr;
    float gate = 0.0f;
    // Choices and panel menu items whose name holds this word draw from the C library's
    // generator, which instances on one thread share: two instances need not agree on them.
    const char* sharedRandomChoice = nullptr;
    // The grammar of the module's text input; never null.
    const TextGrammar* text = &kAnyText;
};

// The specifics of a module id; a module the table does not know gets none, and kAnyText.
const ModuleSpecifics& moduleSpecifics(const std::string& id);

}  // namespace tarnhost
