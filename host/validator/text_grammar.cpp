// Random texts of a text grammar, and the form of a panel's write-back.
#include "host/validator/text_grammar.h"

#include <charconv>
#include <utility>

namespace tarnhost {

namespace {

constexpr int kMaxJunk = 400;
constexpr int kLongJunk = 100 * 1024;
// Characters beside a grammar's own in its long junk: a space and a letter no number has.
constexpr const char* kForeign = " x";

std::string junk(std::mt19937_64& rng) {
    std::string t;
    for (int i = static_cast<int>(rng() % kMaxJunk); i > 0; --i) t += static_cast<char>(1 + rng() % 255);
    return t;
}

DrawnText anyBytes(std::mt19937_64& rng) {
    if (rng() % 100 == 99) {
        std::string t;
        for (int i = 0; i < kLongJunk; ++i) t += static_cast<char>(' ' + rng() % 95);
        return {t, "100 KB of text"};
    }
    return {junk(rng), "junk"};
}

// Fixed-point decimals through <charconv>: the same text on every C library.
std::string fixed(double value, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    return std::string(buf, r.ptr);
}

}  // namespace

TextGrammar::TextGrammar() : edgeTexts{"", "abc", std::string(kLongJunk, 'x')} {}

std::string TextGrammar::number(std::mt19937_64& rng) const {
    const uint64_t r = rng();
    if (!oddNumbers.empty() && r % 7 == 0) return oddNumbers[(r >> 8) % oddNumbers.size()];
    std::uniform_real_distribution<double> value(lowest, highest);
    const int decimals = static_cast<int>((r >> 20) % 3);
    return fixed(value(rng), decimals);
}

// The y is drawn before the x: the order these texts have always been drawn in, which the
// validator's seeds reproduce.
std::string TextGrammar::node(std::mt19937_64& rng) const {
    const std::string y = number(rng);
    const std::string x = number(rng);
    return open + x + separator + y + close;
}

std::string TextGrammar::nodeList(std::mt19937_64& rng, int count) const {
    std::string t;
    for (int i = 0; i < count; ++i) t += node(rng);
    return t;
}

// Valid texts, truncated ones, nested nodes, too many or too few, odd numbers, junk and control
// bytes.
DrawnText TextGrammar::draw(std::mt19937_64& rng) const {
    if (nodes <= 0) return anyBytes(rng);
    const uint64_t r = rng() % 100;
    if (r < 40) return {nodeList(rng, nodes), "valid"};
    std::string t;
    if (r < 55) {
        t = nodeList(rng, nodes);
        t.resize(rng() % (t.size() + 1));
        return {t, "truncated"};
    }
    if (r < 65) {
        for (int i = 0; i < nodes + 5; ++i) t += (rng() % 3 == 0) ? open + open + node(rng) + close : node(rng);
        return {t, "nested"};
    }
    if (r < 75) return {nodeList(rng, static_cast<int>(rng() % (nodes + 15))), "too many or too few nodes"};
    if (r < 85) {
        for (int i = 0; i < nodes; ++i) {
            t += node(rng);
            if (rng() % 4 == 0) t += static_cast<char>(1 + rng() % 31);
        }
        return {t, "control bytes"};
    }
    if (r < 99) return {junk(rng), "junk"};
    const std::string alphabet = open + separator + close + "0123456789.-+" + exponents + kForeign;
    for (int i = 0; i < kLongJunk; ++i) t += alphabet[rng() % alphabet.size()];
    return {t, "100 KB of junk"};
}

// Nodes of numbers each with an optional "-", digits, and a point followed by exactly
// `writtenDecimals` digits; nothing else.
std::string TextGrammar::writeBackProblem(const std::string& t) const {
    size_t i = 0;
    auto digit = [&] { return i < t.size() && t[i] >= '0' && t[i] <= '9'; };
    auto number = [&] {
        const size_t start = i;
        if (i < t.size() && t[i] == '-') ++i;
        const size_t digits = i;
        while (digit()) ++i;
        if (i == digits) return false;
        if (writtenDecimals == 0) return true;
        if (i >= t.size() || t[i] != '.') return false;
        ++i;
        for (int d = 0; d < writtenDecimals; ++d, ++i)
            if (!digit()) return false;
        return i > start;
    };
    auto literal = [&](const std::string& s) {
        for (char c : s)
            if (i >= t.size() || t[i++] != c) return false;
        return true;
    };
    int count = 0;
    while (i < t.size()) {
        if (!literal(open) || !number() || !literal(separator) || !number() || !literal(close))
            return "not a node at character " + std::to_string(i);
        ++count;
    }
    return count == nodes ? "" : std::to_string(count) + " nodes";
}

std::string RandomTexts::next() {
    DrawnText drawn = grammar_.draw(rng_);
    kind_ = drawn.kind;
    return std::move(drawn.text);
}

}  // namespace tarnhost
