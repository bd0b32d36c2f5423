// The wave table build: stepped curve, smoothing with its wrap, circular windows, the filter.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "contour4/signal/wave_table.h"

using tarn::Node;
using tarn::WaveTable;

namespace {

Node allAt(float y) { return Node{0.0f, y}; }

struct Table : ::testing::Test {
    WaveTable w;
    void SetUp() override { w.clear(); }
    void curveOf(const char* text) {
        Node nodes[tarn::kNodeCount];
        for (Node& n : nodes) n = allAt(0.0f);
        tarn::parseShapeText(nodes, text);
        w.bandScale = 0.5f;
        w.buildCurve(nodes);
    }
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

}  // namespace
