// The validator's table of module-specific knowledge, and the text grammars it holds.
#include "host/validator/module_specifics.h"

#include <cstdio>
#include <utility>

#include "contour4/signal/pins.h"
#include "contour4/signal/shape_text.h"
#include "contour4/signal/voice.h"

namespace tarnhost {

std::string RandomTexts::next() {
    DrawnText drawn = draw_(rng_);
    kind_ = drawn.kind;
    return std::move(drawn.text);
}

namespace {

// --- texts of any bytes, for a text input whose grammar the validator does not know ---

constexpr int kMaxJunk = 400;
constexpr int kLongJunk = 100 * 1024;

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

// --- Contour4's shape text: kNodeCount nodes "(x,y)" of decimal numbers ---

std::string shapeNumber(std::mt19937_64& rng) {
    static const char* const odd[] = {"1e39", "-1e39", "1d300", "-2D-400", "3.4e38", "1e-45",
                                      "99999999999999999999999999", ".", "-", "+.5", "1e", "0x1p3",
                                      "inf", "nan", "  7", "1.2.3", "5d", "-0", "1E+38"};
    const uint64_t r = rng();
    if (r % 7 == 0) return odd[(r >> 8) % (sizeof odd / sizeof odd[0])];
    std::uniform_real_distribution<double> volts(-6.0, 6.0);
    char buf[32];
    const int decimals = static_cast<int>((r >> 20) % 3);
    std::snprintf(buf, sizeof buf, "%.*f", decimals, volts(rng));
    return buf;
}

// The y is drawn before the x: the order these texts have always been drawn in, which the
// validator's seeds reproduce.
std::string shapeNode(std::mt19937_64& rng) {
    const std::string y = shapeNumber(rng);
    const std::string x = shapeNumber(rng);
    return "(" + x + "," + y + ")";
}

std::string shapeNodes(std::mt19937_64& rng, int count) {
    std::string t;
    for (int i = 0; i < count; ++i) t += shapeNode(rng);
    return t;
}

// Valid texts, truncated ones, nested brackets, too many or too few nodes, huge numbers, d/D
// exponents, junk and control bytes.
DrawnText shapeText(std::mt19937_64& rng) {
    const uint64_t r = rng() % 100;
    if (r < 40) return {shapeNodes(rng, tarn::kNodeCount), "valid"};
    std::string t;
    if (r < 55) {
        t = shapeNodes(rng, tarn::kNodeCount);
        t.resize(rng() % (t.size() + 1));
        return {t, "truncated"};
    }
    if (r < 65) {
        for (int i = 0; i < tarn::kNodeCount + 5; ++i) t += (rng() % 3 == 0) ? "((" + shapeNode(rng) + ")" : shapeNode(rng);
        return {t, "nested"};
    }
    if (r < 75) return {shapeNodes(rng, static_cast<int>(rng() % (tarn::kNodeCount + 15))), "too many or too few nodes"};
    if (r < 85) {
        for (int i = 0; i < tarn::kNodeCount; ++i) {
            t += shapeNode(rng);
            if (rng() % 4 == 0) t += static_cast<char>(1 + rng() % 31);
        }
        return {t, "control bytes"};
    }
    if (r < 99) return {junk(rng), "junk"};
    for (int i = 0; i < kLongJunk; ++i) t += "(,)0123456789.-+eEdD x"[rng() % 22];
    return {t, "100 KB of junk"};
}

// A write-back of the panel: kNodeCount nodes "(x,y)" of numbers with one decimal, nothing else.
std::string shapeWriteBackProblem(const std::string& t) {
    size_t i = 0;
    auto number = [&] {
        const size_t start = i;
        if (i < t.size() && t[i] == '-') ++i;
        const size_t digits = i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        if (i == digits || i >= t.size() || t[i] != '.') return false;
        ++i;
        if (i >= t.size() || t[i] < '0' || t[i] > '9') return false;
        ++i;
        return i > start;
    };
    int nodes = 0;
    while (i < t.size()) {
        if (t[i++] != '(' || !number() || i >= t.size() || t[i++] != ',' || !number() || i >= t.size() ||
            t[i++] != ')')
            return "not a node at character " + std::to_string(i);
        ++nodes;
    }
    return nodes == tarn::kNodeCount ? "" : std::to_string(nodes) + " nodes";
}

}  // namespace

const TextGrammar kAnyText{&anyBytes, nullptr, "a steady text", "the first text", "a second, longer text",
                           {"", "abc", std::string(kLongJunk, 'x')}};

const TextGrammar kContour4ShapeText{
    &shapeText,
    &shapeWriteBackProblem,
    "(0,3.5)(0,-3.5)(0,1.2)(0,-0.3)",
    "(0,3.5)(0,-3.5)(0,1.2)",
    "(0,-2.0)(0,2.0)(0,0.5)(0,-1.5)",
    {"(0,1e39)(1,2", "(1e38,-1e38)(0,3e38)", "(0,1e-45)(0,-1e-40)(0,1e-38)", "", "abc", "(0,3)(0,-3)(0,1d2)"},
};

const ModuleSpecifics& moduleSpecifics(const std::string& id) {
    static const ModuleSpecifics contour4{tarn::kContour4Pins[tarn::PIN_LEVEL].name, tarn::Contour4Voice::kLevelGate,
                                          "Random", &kContour4ShapeText};
    static const ModuleSpecifics lfo{nullptr, 0.0f, "Rand"};
    static const ModuleSpecifics none{};
    if (id == "Tarn Contour4") return contour4;
    if (id == "Tarn LFO") return lfo;
    return none;
}

}  // namespace tarnhost
