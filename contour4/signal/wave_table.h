// The wave table of Contour4: a stepped, smoothed 250-entry cycle and ten band rows, each
// smoother than the last, with the slope of every entry for linear interpolation.
#pragma once

#include <cstdint>

#include "shape_text.h"

namespace tarn {

struct WaveTable {
    static constexpr int kEntries = 250;  // one cycle
    static constexpr int kRows = 10;
    // Rows lie back to back; the build also writes the first entry of an eleventh row.
    static constexpr int kStorage = kRows * kEntries + 1;

    float bandScale;
    float rawCurve[kEntries];
    float bandValue[kStorage];
    float bandSlope[kStorage];

    // [audio] Builds every array from a shape text (null or empty: the default text): a new text
    // reaches the signal side as a pin event, on the host's audio thread, so the build is timed
    // and allocates nothing. A build that yields anything not finite leaves all-zero (silent)
    // tables instead; returns false then.
    bool rebuild(const char* shapeText);
    void clear();

    // The stages of a rebuild, in order.
    void buildCurve(const Node* nodes);  // stepped, then smoothed
    // Circular window means per row, from running sums where they are provably exact (the
    // result is then that of the plain sums); false when it fell back to the plain sums.
    bool buildWindowMeans();
    void buildWindowMeansPlain();  // each window summed from its start
    void filterRows();             // low-pass across all rows, then the slopes
    // Both of the above; where running sums are exact, each row's means are computed while
    // the filter runs over the row before. Returns what buildWindowMeans would.
    bool buildBandRows();

    const float* valueRow(int32_t row) const { return bandValue + row * kEntries; }
    const float* slopeRow(int32_t row) const { return bandSlope + row * kEntries; }
};

// Half-width of the averaging window and filter coefficient of each row.
constexpr int32_t kBandHalfWidth[WaveTable::kRows] = {1, 3, 5, 7, 9, 19, 29, 39, 49, 59};

}  // namespace tarn
