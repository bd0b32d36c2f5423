// What the validator reads of the modules' descriptions: the facts it judges Contour4 and the LFO
// by, the texts it draws from them (the same for a seed as ever), the form of a write-back, and a
// description with a fault refused by its file and line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "host/io/error.h"
#include "host/validator/module_specifics.h"

using tarnhost::ModuleSpecifics;
using tarnhost::readModuleSpecifics;

namespace {

const std::string kContour4 = TARN_ROOT_DIR "/contour4/description.txt";
const std::string kLfo = TARN_ROOT_DIR "/lfo/description.txt";

std::string contents(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ModuleSpecifics, Contour4sDescriptionGatesLevelAndSharesItsRandomMenuItem) {
    const ModuleSpecifics m = readModuleSpecifics(kContour4);
    EXPECT_EQ(m.id, "Tarn Contour4");
    ASSERT_EQ(m.gated.size(), 1u);
    EXPECT_EQ(m.gated[0].pin, "Level");
    EXPECT_EQ(m.gated[0].gate, 0.005f);
    EXPECT_TRUE(m.drawsFromSharedGenerator("Random"));
    EXPECT_FALSE(m.drawsFromSharedGenerator("Saw/Analog Saw 2"));
    EXPECT_EQ(m.text.nodes, 25);
    EXPECT_EQ(m.text.edgeTexts.back(), "(0,3)(0,-3)(0,1d2)") << "the text a panel is dragged with";
}

// The validator's seeds, the 50-seed run and the table tests stand on these texts: a description
// read any other way (a number form lost, a node's form, the range) draws others.
TEST(ModuleSpecifics, Contour4sGrammarDrawsTheTextsItHasAlwaysDrawn) {
    const ModuleSpecifics m = readModuleSpecifics(kContour4);
    tarnhost::RandomTexts texts(m.text, 20261208);
    uint64_t h = 1469598103934665603ull;
    for (int i = 0; i < 1000; ++i) {
        for (unsigned char c : texts.next()) h = (h ^ c) * 1099511628211ull;
        h = (h ^ 0xff) * 1099511628211ull;
    }
    EXPECT_EQ(h, 0xeacb4b106552e82bull);
}

TEST(ModuleSpecifics, AWriteBackIsTwentyFiveNodesOfOneDecimal) {
    const tarnhost::TextGrammar g = readModuleSpecifics(kContour4).text;
    std::string written;
    for (int i = 0; i < 25; ++i) written += "(" + std::to_string(i - 12) + ".5,-3.0)";
    ASSERT_TRUE(g.knowsWriteBack());
    EXPECT_EQ(g.writeBackProblem(written), "");
    EXPECT_EQ(g.writeBackProblem(written.substr(0, written.rfind('('))), "24 nodes");
    EXPECT_NE(g.writeBackProblem("(0.25" + written.substr(written.find(','))), "");
    EXPECT_NE(g.writeBackProblem("(1e3,0.0)" + written.substr(written.find(')') + 1)), "");
}

TEST(ModuleSpecifics, TheLfoSharesItsRandChoicesAndHasNoTextGrammar) {
    const ModuleSpecifics m = readModuleSpecifics(kLfo);
    EXPECT_EQ(m.id, "Tarn LFO");
    EXPECT_TRUE(m.gated.empty());
    EXPECT_TRUE(m.drawsFromSharedGenerator("Fast Rand"));
    EXPECT_FALSE(m.drawsFromSharedGenerator("25% Pulse"));
    EXPECT_FALSE(m.text.knowsWriteBack());
}

// Contour4's description with one line replaced; the refusal must name that line.
struct Broken {
    const char* what;
    const char* line;         // the start of the line of the description replaced
    const char* replacement;
    const char* words;        // what the refusal must say
};

const Broken kBroken[] = {
    {"a line without =", "number-range = -6 6", "number-range -6 6", "expected \"key = value\""},
    {"a range of one number", "number-range = -6 6", "number-range = -6", "two numbers"},
    {"a node without its y", "node = (x,y)", "node = (x,z)", "one x and then one y"},
    {"a text without quotes", "steady = \"(0,3.5)(0,-3.5)(0,1.2)(0,-0.3)\"", "steady = (0,3.5)", "double quotes"},
    {"an odd number without quotes", "odd-numbers = ", "odd-numbers = \"1e39\" 5d", "double quotes"},
    {"nodes that are no number", "nodes = 25", "nodes = many", "whole number"},
    {"a gate that is no number", "gate = 0.05", "gate = low", "decimal number"},
    {"a gate on the output", "doc = the oscillator", "gate = 0.05", "only an audio input"},
    {"a grammar on an audio pin", "doc = the oscillator", "nodes = 3", "only a text input"},
    {"a key given twice", "second = ", "steady = \"(0,1)\"", "given twice"},
    {"no id", "id = Tarn Contour4", "", "has no id"},
};

TEST(ModuleSpecifics, ADescriptionWithAFaultIsRefusedByItsLine) {
    const std::string sound = contents(kContour4);
    const std::string path = ::testing::TempDir() + "module_specifics_test_description.txt";
    for (const Broken& b : kBroken) {
        const size_t at = sound.find(std::string("\n") + b.line);
        ASSERT_NE(at, std::string::npos) << b.line;
        const int line = 2 + static_cast<int>(std::count(sound.begin(), sound.begin() + static_cast<long>(at), '\n'));
        std::ofstream(path, std::ios::binary)
            << sound.substr(0, at + 1) + b.replacement + sound.substr(sound.find('\n', at + 1));
        try {
            readModuleSpecifics(path);
            ADD_FAILURE() << b.what << ": read";
        } catch (const tarnhost::InputError& e) {
            const std::string message = e.what();
            const std::string where = path + ":" + std::to_string(line) + ": ";
            const bool atTheLine = message.rfind(where, 0) == 0;
            // A missing key is a fault of its section, which names the section's line.
            const bool ofTheSection = std::string(b.replacement).empty() && message.rfind(path + ":", 0) == 0;
            EXPECT_TRUE(atTheLine || ofTheSection) << b.what << ": " << message << " (wanted " << where << ")";
            EXPECT_NE(message.find(b.words), std::string::npos) << b.what << ": " << message;
        }
    }
    std::remove(path.c_str());
}

TEST(ModuleSpecifics, AMissingDescriptionIsAnInputErrorNamingIt) {
    EXPECT_THROW(
        {
            try {
                readModuleSpecifics("/nonexistent/description.txt");
            } catch (const tarnhost::InputError& e) {
                EXPECT_STREQ(e.what(), "cannot read /nonexistent/description.txt");
                throw;
            }
        },
        tarnhost::InputError);
}

}  // namespace
