// Fuzz target: any bytes as a shape text. The parser stays inside the text and the 25 nodes,
// the writer always writes 25 nodes of numbers, and a written text of a sane curve reads back
// to itself.
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "contour4/signal/shape_text.h"

namespace {

bool wellFormed(const std::string& t) {
    int nodes = 0;
    size_t i = 0;
    auto number = [&] {
        size_t start = i;
        if (i < t.size() && t[i] == '-') ++i;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
        if (i >= t.size() || t[i] != '.' || i == start) return false;
        ++i;
        return i < t.size() && t[i] >= '0' && t[i] <= '9' && ++i;
    };
    while (i < t.size()) {
        if (t[i++] != '(' || !number() || i >= t.size() || t[i++] != ',' || !number() ||
            i >= t.size() || t[i++] != ')')
            return false;
        ++nodes;
    }
    return nodes == tarn::kNodeCount;
}

// printf writes a value just below zero as "-0.0", which reads back as 0 and is written "0.0".
std::string withoutNegativeZero(std::string t) {
    for (size_t at; (at = t.find("-0.0,")) != std::string::npos || (at = t.find("-0.0)")) != std::string::npos;)
        t.erase(at, 1);
    return t;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.c_str();  // the pin's text ends at its first zero
    tarn::Node nodes[tarn::kNodeCount];
    for (tarn::Node& n : nodes) n = tarn::Node{0.0f, 0.0f};
    tarn::parseShapeText(nodes, text.c_str());
    const std::string written = tarn::formatShapeText(nodes);
    if (!wellFormed(written)) std::abort();

    tarn::Node again[tarn::kNodeCount];
    tarn::parseShapeText(again, written.c_str());
    bool sane = true;
    for (const tarn::Node& n : nodes) sane = sane && std::fabs(n.x) < 1e4f && std::fabs(n.y) < 1e4f;
    // One decimal is a 0.1 V raster: once on it, a curve stays on it.
    const std::string rewritten = tarn::formatShapeText(again);
    if (sane && withoutNegativeZero(rewritten) != withoutNegativeZero(written)) std::abort();
    return 0;
}
