// The straightforward table build (see the header).
#include "wave_table_reference.h"

#include <cmath>

namespace tarntest {

using tarn::WaveTable;

namespace {

void filterRowsPlain(WaveTable& w) {
    float A = 0.0f;
    float B = 0.0f;
    for (int k = 0; k < WaveTable::kRows; ++k) {
        const long double f = 0.9L - 0.09L * k;
        const long double fb = 0.1L + 0.1L / (1.0L - f);
        float* value = w.bandValue + k * WaveTable::kEntries;
        float* slope = w.bandSlope + k * WaveTable::kEntries;
        for (int i = 0; i <= WaveTable::kEntries; ++i) {
            const long double in = value[i];
            A = static_cast<float>(A + f * ((static_cast<long double>(A) - B) * fb + (in - A)));
            B = static_cast<float>(B + f * (static_cast<long double>(A) - B));
            value[i] = B;
            if (i > 0) slope[i] = B - value[i - 1];
        }
    }
    w.bandSlope[0] = w.bandValue[0] - w.bandValue[WaveTable::kEntries - 1];
}

}  // namespace

bool referenceRebuild(WaveTable& w, const char* shapeText) {
    tarn::Node nodes[tarn::kNodeCount];
    for (tarn::Node& n : nodes) n = tarn::Node{0.0f, 0.0f};
    tarn::parseShapeText(nodes, shapeText);
    w.bandScale = 0.5f;
    w.buildCurve(nodes);
    w.buildWindowMeansPlain();
    filterRowsPlain(w);
    for (int i = 0; i < WaveTable::kStorage; ++i) {
        if (!std::isfinite(w.bandValue[i]) || !std::isfinite(w.bandSlope[i])) {
            w.clear();
            return false;
        }
    }
    return true;
}

}  // namespace tarntest
