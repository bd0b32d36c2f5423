// The shape text: the 25 curve nodes as text, its lenient parser, its writer, the default.
//
// Grammar as written: "(" x "," y ")" 25 times, values in volts with one decimal. Nodes are
// held in grid units: x = (volts + 5) * 10 left to right, y = (5 - volts) * 10 top to bottom.
#pragma once

#include <cstddef>
#include <string>

namespace tarn {

struct Node {
    float x;
    float y;
};

constexpr int kNodeCount = 25;

// Reads at most 25 nodes into nodes[0..24]; nodes the text does not reach keep their values.
// An empty text reads the default text. Never reads past the terminating zero.
void parseShapeText(Node* nodes, const char* text);

// One number as the parser reads a field: leading blanks, a sign, digits with one ".", an
// exponent introduced by e, E, d or D. Trailing characters are ignored; no number reads as 0.
// The decimal value is rounded to double, then to float (beyond the float range: infinity).
float parseShapeNumber(const char* field, size_t length);

// The 25 nodes as "(%3.1f,%3.1f)" pairs of volts, computed in double; as long as it needs to be.
// Infinite values are written as the largest float (which reads back as infinite), NaN as 0.
std::string formatShapeText(const Node* nodes);

// The rising line from -5 V to 4.98 V, with two decimals.
std::string defaultShapeText();
extern const char* const kDefaultShapeText;

}  // namespace tarn
