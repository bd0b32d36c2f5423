// The wave table build: stepped curve, smoothing with its wrap, circular windows, the filter.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "contour4/editor/presets.h"
#include "contour4/signal/wave_table.h"
#include "host/validator/module_specifics.h"
#include "wave_table_reference.h"

using tarn::Node;
using tarn::WaveTable;

namespace {

Node allAt(float y) { return Node{0.0f, y}; }

// The curve a text gives, before the band rows.
struct Curve {
    WaveTable w;
    explicit Curve(const char* text) {
        Node nodes[tarn::kNodeCount];
        for (Node& n : nodes) n = allAt(0.0f);
        tarn::parseShapeText(nodes, text);
        w.bandScale = 0.5f;
        w.buildCurve(nodes);
    }
    bool finite() const {
        for (float x : w.rawCurve) {
            if (!std::isfinite(x)) return false;
        }
        return true;
    }
};

struct Table : ::testing::Test {
    WaveTable w;
    void SetUp() override { w.clear(); }
    void curveOf(const char* text) { w = Curve(text).w; }
};

TEST_F(Table, TheDefaultLineStepsUpInTenEntryStairs) {
    curveOf("");
    for (int n = 0; n < 5; ++n) EXPECT_EQ(w.rawCurve[n], -0.5f) << "unsmoothed start " << n;
    // Entry 125 sees all of node 12's stair (0 V) and the first entry of node 13's (0.4 V).
    EXPECT_NEAR(w.rawCurve[125], (10 * 0.0 + (0.5 - 0.01 * (5 - 0.4f) * 10.0f)) / 11.0, 1e-6);
    // Across a stair edge it mixes both: entry 10 sees 5 entries of node 0 and 6 of node 1.
    const double node0 = 0.5 - 0.01 * 100.0, node1 = 0.5 - 0.01 * (5 - (-4.58f)) * 10.0f;
    EXPECT_NEAR(w.rawCurve[10], (5 * node0 + 6 * node1) / 11.0, 1e-6);
}

TEST_F(Table, SmoothingOfTheLastFiveEntriesWrapsAroundTheCycle) {
    curveOf("(0,-5)");  // node 0 at -5 V (stepped -0.5), nodes 1..24 left at +5 V (0.5)
    for (int n = 15; n < 235; ++n) ASSERT_FLOAT_EQ(w.rawCurve[n] * 2, 1.0f) << n;
    EXPECT_NEAR(w.rawCurve[10], (5 * -0.5 + 6 * 0.5) / 11.0, 1e-6);
    EXPECT_NEAR(w.rawCurve[245], (10 * 0.5 - 0.5) / 11.0, 1e-6);  // window 240..249, 0
    EXPECT_NEAR(w.rawCurve[249], (6 * 0.5 - 5 * 0.5) / 11.0, 1e-6);  // 244..249, 0..4
    EXPECT_EQ(w.rawCurve[0], -0.5f);
}

TEST_F(Table, RowWindowsAreCircularAtTheStartOfTheCycle) {
    curveOf("");
    w.buildWindowMeans();
    const float* r = w.rawCurve;
    EXPECT_FLOAT_EQ(w.bandValue[0], (r[249] + r[0]) / 2.0f);
    double sum9 = 0;
    for (int t = 191; t < 250; ++t) sum9 += r[t];
    for (int t = 0; t <= 58; ++t) sum9 += r[t];
    EXPECT_NEAR(w.valueRow(9)[0], sum9 / 59 * 0.5, 1e-6);
    double sum4 = 0;
    for (int t = 100 - 9; t < 100 + 9; ++t) sum4 += r[t];
    EXPECT_NEAR(w.valueRow(4)[100], sum4 / 9 * 0.5, 1e-6) << "2a entries, centred half an entry early";
    EXPECT_NEAR(w.bandValue[WaveTable::kRows * WaveTable::kEntries], sum9 / 59 * 0.5, 1e-6)
        << "row 9 writes the first entry of row 10";
}

TEST_F(Table, TheFilterStartsFromRestOnAConstantCurve) {
    ASSERT_TRUE(w.rebuild("no closing bracket"));
    for (int n = 0; n < WaveTable::kEntries; ++n) ASSERT_FLOAT_EQ(w.rawCurve[n], 0.5f);
    EXPECT_FLOAT_EQ(w.bandValue[0], 0.405f);  // A = 0.45, B = 0.405
    float peak = 0;
    for (int i = 0; i < 60; ++i) peak = std::max(peak, w.bandValue[i]);
    EXPECT_GT(peak, 0.5f) << "the resonance overshoots";
    EXPECT_NEAR(w.bandValue[200], 0.5f, 1e-5);
    for (int k = 1; k < WaveTable::kRows; ++k)
        for (int i = 0; i < WaveTable::kEntries; ++i) ASSERT_NEAR(w.valueRow(k)[i], 0.5f, 1e-5);
}

TEST_F(Table, SlopesAreTheStepFromThePreviousEntryAcrossRows) {
    ASSERT_TRUE(w.rebuild(""));
    for (int k = 0; k < WaveTable::kRows; ++k) {
        // Entry 250 is the next row's entry 0, which that row's pass filters once more.
        for (int i = 1; i < WaveTable::kEntries; ++i) {
            ASSERT_EQ(w.slopeRow(k)[i], w.valueRow(k)[i] - w.valueRow(k)[i - 1]) << k << "," << i;
        }
    }
    EXPECT_EQ(w.bandSlope[0], w.bandValue[0] - w.bandValue[249]);
}

TEST_F(Table, RebuildsAreRepeatableAndLaterRowsAreSmoother) {
    ASSERT_TRUE(w.rebuild("(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)"));
    WaveTable again;
    again.clear();
    again.rebuild("(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)");
    EXPECT_EQ(std::memcmp(w.bandValue, again.bandValue, sizeof w.bandValue), 0);
    auto roughness = [&](int k) {
        double s = 0;
        for (int i = 1; i < WaveTable::kEntries; ++i) s += std::fabs(w.slopeRow(k)[i]);
        return s;
    };
    for (int k = 1; k < WaveTable::kRows; ++k) EXPECT_LT(roughness(k), roughness(k - 1)) << k;
}

TEST_F(Table, NonFiniteNodesGiveSilentTablesAndLargeFiniteOnesStay) {
    EXPECT_FALSE(w.rebuild("(0,1e39)"));
    for (int i = 0; i < WaveTable::kStorage; ++i) {
        ASSERT_EQ(w.bandValue[i], 0.0f);
        ASSERT_EQ(w.bandSlope[i], 0.0f);
    }
    EXPECT_TRUE(w.rebuild("(0,1e30)"));
    float peak = 0;
    for (int i = 0; i < WaveTable::kEntries; ++i) peak = std::max(peak, std::fabs(w.bandValue[i]));
    EXPECT_GT(peak, 1e20f) << "large finite values are not clamped";
}

bool subnormal(float x) { return x != 0.0f && std::fabs(x) < FLT_MIN; }

uint32_t bitsOf(float x) {
    uint32_t b;
    std::memcpy(&b, &x, sizeof b);
    return b;
}

// The texts the fast build is held to: the default, every preset, the module tests' texts, one
// that decays through subnormal numbers, and random texts valid and odd.
// The sanitizer build runs about ten times slower: a tenth of the random texts there.
#ifdef __SANITIZE_ADDRESS__
constexpr int kRandomTexts = 1000;
#else
constexpr int kRandomTexts = 10000;
#endif

std::vector<std::string> textsToCompare() {
    std::vector<std::string> texts = {"", "(0,-5)", "(0,1e30)", "(0,1e39)", "(0,5)(0,-5)",
                                      "(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)(0,5)(0,-5)"};
    std::string decaying = "(0,3.5)";
    for (int i = 0; i < 24; ++i) decaying += "(0,0)";
    texts.push_back(decaying);
    Node nodes[tarn::kNodeCount];
    tarn::parseShapeText(nodes, tarn::kDefaultShapeText);
    for (int id = 0; id <= 70; ++id) {
        tarn::Heights heights;
        if (!tarn::fillPreset(id, heights)) continue;
        for (int n = 0; n < tarn::kNodeCount; ++n) nodes[n].y = heights[n];
        texts.push_back(tarn::formatShapeText(nodes));
    }
    const tarnhost::ModuleSpecifics described = tarnhost::readModuleSpecifics(TARN_MODULE_DESCRIPTION);
    tarnhost::RandomTexts random(described.text, 20261208);
    for (int i = 0; i < kRandomTexts; ++i) texts.push_back(random.next());
    return texts;
}

TEST(TableBuild, EqualsThePlainBuildBitForBitWithSubnormalsFlushed) {
    const std::vector<std::string> texts = textsToCompare();
    ASSERT_GT(texts.size(), kRandomTexts + 27u);
    int fellBack = 0, notFinite = 0;
    for (const std::string& text : texts) {
        WaveTable fast, plain;
        fast.clear();
        plain.clear();
        // The plain build spends milliseconds on the infinities of a curve that is not finite;
        // the first few such texts show that it ends in silence too.
        Curve curve(text.c_str());
        if (!curve.finite() && ++notFinite > 20) {
            ASSERT_FALSE(fast.rebuild(text.c_str())) << text;
            ASSERT_EQ(fast.bandValue[0], 0.0f);
            continue;
        }
        const bool finite = tarntest::referenceRebuild(plain, text.c_str());
        ASSERT_EQ(fast.rebuild(text.c_str()), finite) << text;
        for (int i = 0; i < WaveTable::kStorage; ++i) {
            for (auto [mine, theirs] : {std::pair{fast.bandValue[i], plain.bandValue[i]},
                                        std::pair{fast.bandSlope[i], plain.bandSlope[i]}}) {
                ASSERT_FALSE(subnormal(mine)) << "entry " << i << " of " << text;
                const float expected = subnormal(theirs) ? std::copysign(0.0f, theirs) : theirs;
                ASSERT_EQ(bitsOf(mine), bitsOf(expected)) << "entry " << i << " of " << text;
            }
        }
        fellBack += curve.finite() && !curve.w.buildWindowMeans() ? 1 : 0;
    }
    std::printf("%zu texts, %d with a curve that is not finite; running sums fell back to plain sums "
                "for %d\n", texts.size(), notFinite, fellBack);
}

}  // namespace

