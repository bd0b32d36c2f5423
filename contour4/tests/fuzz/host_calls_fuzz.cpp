// Host call sequences on Tarn Contour4's signal object (the harness: tests/fuzz/host_calls_fuzz.h).
#include <cmath>
#include <string>

#include "contour4/contour4_module.h"
#include "contour4/signal/shape_text.h"
#include "host_calls_fuzz.h"

namespace {

// A curve of huge nodes plays huge samples, which a huge level may take past the float range;
// nothing clamps either, so only texts of sane nodes must give finite output.
bool saneText(const std::string& text) {
    tarn::Node nodes[tarn::kNodeCount];
    for (tarn::Node& n : nodes) n = tarn::Node{0.0f, 0.0f};
    tarn::parseShapeText(nodes, text.c_str());
    for (const tarn::Node& n : nodes)
        if (!(std::fabs(n.x) < 1e4f && std::fabs(n.y) < 1e4f)) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    return tarnfuzz::runHostCalls<tarn::Contour4Module>(data, size, &saneText);
}
