// The grammar of a module's text input as the validator knows it from the module's description:
// random texts from the grammar outward, and whether a text the panel wrote back is well formed.
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

struct TextGrammar {
    // A text of nodes: `nodes` in a full one, each `open` X `separator` Y `close` with decimal
    // numbers X and Y. 0 nodes: the validator knows no grammar and draws texts of any bytes.
    int nodes = 0;
    std::string open, separator, close;
    // Ordinary numbers are drawn from this range, with 0, 1 or 2 decimals.
    double lowest = 0.0, highest = 0.0;
    // The letters that begin an exponent, and number texts the module's reader must survive.
    std::string exponents;
    std::vector<std::string> oddNumbers;
    // The decimals of every number of a text the panel writes back; -1 when the validator knows
    // no form for a write-back.
    int writtenDecimals = -1;
    // Texts the module must take: `steady` for two instances that must sound alike, `first`
    // replaced by `second` for a text the host replaces.
    std::string steady = "a steady text";
    std::string first = "the first text";
    std::string second = "a second, longer text";
    // Texts that overflow, underflow or say nothing; never empty, and the last is the one a
    // panel is dragged with.
    std::vector<std::string> edgeTexts;

    TextGrammar();
    // A random text: well-formed ones, and ones that break the grammar every way.
    DrawnText draw(std::mt19937_64& rng) const;
    bool knowsWriteBack() const { return nodes > 0 && writtenDecimals >= 0; }
    // "" when a text the panel wrote back is well formed, else why not.
    std::string writeBackProblem(const std::string& text) const;

private:
    std::string number(std::mt19937_64& rng) const;
    std::string node(std::mt19937_64& rng) const;
    std::string nodeList(std::mt19937_64& rng, int count) const;
};

// Random texts of a grammar, one after another from a seed.
class RandomTexts {
public:
    RandomTexts(const TextGrammar& grammar, uint64_t seed) : grammar_(grammar), rng_(seed) {}
    std::string next();
    // The kind of the last text.
    const std::string& describe() const { return kind_; }

private:
    const TextGrammar& grammar_;
    std::mt19937_64 rng_;
    std::string kind_;
};

}  // namespace tarnhost
