// Shape text: the lenient parser, its number syntax, the writer and the default text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "contour4/signal/shape_text.h"

using tarn::Node;
using tarn::kNodeCount;

namespace {

struct Nodes {
    Node n[kNodeCount];
    explicit Nodes(float fill = -7.0f) {
        for (Node& x : n) x = Node{fill, fill};
    }
    Nodes& parse(const char* text) {
        tarn::parseShapeText(n, text);
        return *this;
    }
    bool untouchedFrom(int i, float fill = -7.0f) const {
        for (; i < kNodeCount; ++i)
            if (n[i].x != fill || n[i].y != fill) return false;
        return true;
    }
};

float num(const char* s) { return tarn::parseShapeNumber(s, std::strlen(s)); }

TEST(ShapeTextParse, AnEmptyTextReadsTheDefaultRisingLine) {
    Nodes a;
    a.parse("");
    EXPECT_EQ(a.n[0].x, 0.0f);
    EXPECT_EQ(a.n[0].y, 100.0f);
    EXPECT_EQ(a.n[12].x, 50.0f);
    EXPECT_EQ(a.n[12].y, 50.0f);
    EXPECT_FLOAT_EQ(a.n[24].x, 99.8f);
    EXPECT_NEAR(a.n[24].y, 0.2f, 1e-5f);
    EXPECT_EQ(std::strlen(tarn::kDefaultShapeText), 297u);
}

TEST(ShapeTextParse, OneNodeSetsNodeZeroAndLeavesTheRest) {
    Nodes a;
    a.parse("(1,2)");
    EXPECT_EQ(a.n[0].x, 60.0f);
    EXPECT_EQ(a.n[0].y, 30.0f);
    EXPECT_TRUE(a.untouchedFrom(1));
}

TEST(ShapeTextParse, TextsWithoutAUsableClosingBracketChangeNothingAndDoNotFallBack) {
    for (const char* t : {"abc", "(1,2", ")(1,2)", "(", ","}) {
        Nodes a;
        a.parse(t);
        EXPECT_TRUE(a.untouchedFrom(0)) << t;
    }
}

TEST(ShapeTextParse, TrailingTextWithoutBracketEndsTheParse) {
    Nodes a;
    a.parse("(1,2)x");
    EXPECT_EQ(a.n[0].x, 60.0f);
    EXPECT_TRUE(a.untouchedFrom(1));
}

TEST(ShapeTextParse, BlanksBeforeANumberAreSkippedAndTextAfterItIgnored) {
    Nodes a;
    a.parse("( 1 , -2.5e0 )");
    EXPECT_EQ(a.n[0].x, 60.0f);
    EXPECT_EQ(a.n[0].y, 75.0f);
    Nodes b;
    b.parse("(a,b)");
    EXPECT_EQ(b.n[0].x, 50.0f);
    EXPECT_EQ(b.n[0].y, 50.0f);
}

TEST(ShapeTextParse, DelimitersAreFoundIndependently) {
    Nodes a;
    a.parse("(1)(2,3)");
    EXPECT_EQ(a.n[0].x, 60.0f);  // x field "1)(2"
    EXPECT_EQ(a.n[0].y, 20.0f);  // y field: from the comma to the end, "3)"
    EXPECT_EQ(a.n[1].x, 70.0f);
    EXPECT_EQ(a.n[1].y, 20.0f);
}

TEST(ShapeTextParse, MissingOpenBracketOrCommaTakeFieldsFromTheStartOrToTheEnd) {
    Nodes a;
    a.parse("1,2)");
    EXPECT_EQ(a.n[0].x, 60.0f);
    EXPECT_EQ(a.n[0].y, 30.0f);
    Nodes b;
    b.parse("(3)");  // no comma: x runs to the end ("3)"), y starts at "(3)" and reads 0
    EXPECT_EQ(b.n[0].x, 80.0f);
    EXPECT_EQ(b.n[0].y, 50.0f);
}

TEST(ShapeTextParse, TwentySixNodesFillTwentyFive) {
    std::string t;
    for (int i = 0; i < 26; ++i) t += "(" + std::to_string(i % 5) + ",1)";
    Nodes a;
    a.parse(t.c_str());
    EXPECT_EQ(a.n[24].x, (24 % 5 + 5) * 10.0f);
    for (const Node& n : a.n) EXPECT_EQ(n.y, 40.0f);
}

TEST(ShapeTextParse, ValuesOutsideTheGridAreKept) {
    Nodes a;
    a.parse("(7,-9)");
    EXPECT_EQ(a.n[0].x, 120.0f);
    EXPECT_EQ(a.n[0].y, 140.0f);
}

TEST(ShapeNumber, FollowsTheDecimalSyntaxWithDExponents) {
    EXPECT_EQ(num("  -2.5e0"), -2.5f);
    EXPECT_EQ(num("+1.5"), 1.5f);
    EXPECT_EQ(num("1d2"), 100.0f);
    EXPECT_EQ(num("1D-1"), 0.1f);
    EXPECT_EQ(num(".5"), 0.5f);
    EXPECT_EQ(num("5."), 5.0f);
    EXPECT_EQ(num("1e"), 1.0f);
    EXPECT_EQ(num("1e+"), 1.0f);
    EXPECT_EQ(num("2x"), 2.0f);
    EXPECT_EQ(num("."), 0.0f);
    EXPECT_EQ(num("-"), 0.0f);
    EXPECT_EQ(num("0x10"), 0.0f) << "no hexadecimal";
    EXPECT_EQ(num("inf"), 0.0f) << "no infinity form";
    EXPECT_EQ(num("nan"), 0.0f) << "no not-a-number form";
    EXPECT_EQ(num("1.2.3"), 1.2f);
    EXPECT_TRUE(std::isinf(num("1e39")));
    EXPECT_TRUE(std::isinf(num("-1e400")));
    EXPECT_LT(num("-1e400"), 0.0f);
    EXPECT_EQ(num("1e-400"), 0.0f);
    EXPECT_EQ(num("1e99999999999999999999"), INFINITY);
    EXPECT_EQ(num("0e99999999999"), 0.0f);
    EXPECT_EQ(tarn::parseShapeNumber("12345", 2), 12.0f) << "the field ends where it ends";
}

TEST(ShapeNumber, AgreesWithACorrectlyRoundedStrtodThenFloat) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> digit(0, 9), len(1, 30), exp(-60, 60);
    for (int k = 0; k < 20000; ++k) {
        std::string s = (k & 1) ? "-" : "";
        const int n = len(rng);
        for (int i = 0; i < n; ++i) {
            if (i == n / 2) s += '.';
            s += static_cast<char>('0' + digit(rng));
        }
        if (k % 3 == 0) s += "e" + std::to_string(exp(rng));
        const float want = static_cast<float>(std::strtod(s.c_str(), nullptr));
        ASSERT_EQ(num(s.c_str()), want) << s;
    }
    // Very long mantissas keep their rounding.
    std::string longOne = "0.1" + std::string(2000, '0') + "1";
    EXPECT_EQ(num(longOne.c_str()), 0.1f);
    std::string halfway = "1.00000005960464477539062500000000000000000000001";
    EXPECT_EQ(num(halfway.c_str()), static_cast<float>(std::strtod(halfway.c_str(), nullptr)));
}

TEST(ShapeTextFormat, WritesOneDecimalPerValueAndReadsBackOnTheRaster) {
    Nodes a;
    a.parse("");
    const std::string t = tarn::formatShapeText(a.n);
    EXPECT_EQ(t.rfind("(-5.0,-5.0)(-4.6,-4.6)(-4.2,-4.2)", 0), 0u) << t;
    EXPECT_EQ(t.substr(t.size() - 9), "(5.0,5.0)");
    Nodes b;
    b.parse(t.c_str());
    EXPECT_EQ(tarn::formatShapeText(b.n), t) << "a written text reads back to itself";
    for (const Node& n : b.n) {
        EXPECT_NEAR(n.y, std::round(n.y), 1e-4);
    }
}

TEST(ShapeTextFormat, MatchesPrintfForTheSameDoubles) {
    std::mt19937 rng(11);
    std::uniform_real_distribution<float> grid(-20.0f, 120.0f);
    for (int k = 0; k < 4000; ++k) {
        Node n[kNodeCount];
        for (Node& x : n) x = Node{grid(rng), std::round(grid(rng) * 4) / 4};
        std::string want;
        for (const Node& x : n) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "(%3.1f,%3.1f)", x.x * 0.1 - 5.0, 5.0 - x.y * 0.1);
            want += buf;
        }
        ASSERT_EQ(tarn::formatShapeText(n), want);
    }
}

TEST(ShapeTextFormat, HugeAndNonFiniteNodesAreWrittenWholeAsNumbers) {
    Node n[kNodeCount];
    for (Node& x : n) x = Node{3.0e38f, -INFINITY};
    n[3].y = NAN;
    const std::string t = tarn::formatShapeText(n);
    EXPECT_GT(t.size(), 300u);
    Nodes b(1.0f);
    b.parse(t.c_str());
    EXPECT_NE(b.n[24].x, 1.0f) << "all 25 nodes are in the text";
    EXPECT_EQ(std::count(t.begin(), t.end(), '('), 25);
    EXPECT_EQ(t.find("inf"), std::string::npos) << "only numbers of the text's grammar";
    EXPECT_EQ(t.find("nan"), std::string::npos);
    EXPECT_NE(t.find(",340282346638528859811704183484516925440.0)"), std::string::npos);
    EXPECT_NE(t.find(",0.0)"), std::string::npos) << "the NaN node";
    Nodes back;
    back.parse(t.c_str());
    EXPECT_TRUE(std::isinf(back.n[0].y)) << "an infinite node reads back infinite";
    EXPECT_EQ(tarn::formatShapeText(back.n), t) << "and writes the same text again";
}

}  // namespace
