// Building the band rows: stepped curve, 11-entry smoothing, circular window means per row,
// then one two-pole resonant low-pass run across all rows with a falling cut-off.
#include "wave_table.h"

#include <cmath>
#include <cstring>

namespace tarn {

namespace {

constexpr float kOneEleventh = 0.09090909f;

// The window sums and the filter coefficients are carried in x87 extended precision. A host
// may have lowered the x87 precision control (some set it to 53 bits), so the build sets it
// to 64 bits for its own duration and restores the host's setting afterwards.
class ExtendedPrecision {
public:
#if defined(__i386__)
    ExtendedPrecision() {
        __asm__ volatile("fnstcw %0" : "=m"(saved_));
        const uint16_t extended = static_cast<uint16_t>(saved_ | 0x0300);
        __asm__ volatile("fldcw %0" : : "m"(extended));
    }
    ~ExtendedPrecision() { __asm__ volatile("fldcw %0" : : "m"(saved_)); }

private:
    uint16_t saved_;
#endif
};

void steppedCurve(float* raw, const Node* nodes) {
    for (int n = 0; n < WaveTable::kEntries; ++n) {
        raw[n] = static_cast<float>(0.5 - 0.01 * static_cast<double>(nodes[n / 10].y));
    }
}

// Each entry from 5 on becomes the mean of the 11 stepped entries centred on it; the window
// of the last five wraps around to the start of the cycle.
void smooth(float* raw) {
    float stepped[WaveTable::kEntries];
    std::memcpy(stepped, raw, sizeof stepped);
    for (int n = 5; n < WaveTable::kEntries; ++n) {
        float sum = 0.0f;
        for (int t = n - 5; t <= n + 5; ++t) sum += stepped[t % WaveTable::kEntries];
        raw[n] = sum * kOneEleventh;
    }
}

}  // namespace

void WaveTable::buildCurve(const Node* nodes) {
    steppedCurve(rawCurve, nodes);
    smooth(rawCurve);
}

void WaveTable::buildWindowMeans() {
    WaveTable& w = *this;
    for (int k = 0; k < WaveTable::kRows; ++k) {
        const int a = kBandHalfWidth[k];
        float* row = w.bandValue + k * WaveTable::kEntries;
        for (int j = 0; j <= WaveTable::kEntries; ++j) {
            long double sum = 0.0L;
            int at = j - a + WaveTable::kEntries;  // (j - a + t) mod 250, kept non-negative
            for (int t = 0; t < 2 * a; ++t, ++at) sum += w.rawCurve[at % WaveTable::kEntries];
            row[j] = static_cast<float>(sum / a * w.bandScale);
        }
    }
}

void WaveTable::filterRows() {
    WaveTable& w = *this;
    float A = 0.0f;
    float B = 0.0f;
    for (int k = 0; k < WaveTable::kRows; ++k) {
        const long double f = 0.9L - 0.09L * k;
        const long double fb = 0.1L + 0.1L / (1.0L - f);
        float* value = w.bandValue + k * WaveTable::kEntries;
        float* slope = w.bandSlope + k * WaveTable::kEntries;
        for (int i = 0; i <= WaveTable::kEntries; ++i) {
            // The states are floats; each step is evaluated in extended precision.
            const long double in = value[i];
            A = static_cast<float>(A + f * ((static_cast<long double>(A) - B) * fb + (in - A)));
            B = static_cast<float>(B + f * (static_cast<long double>(A) - B));
            value[i] = B;
            if (i > 0) slope[i] = B - value[i - 1];
        }
    }
    // Band 0 reads this slope for the first half-entry of the cycle: the step from the end.
    w.bandSlope[0] = w.bandValue[0] - w.bandValue[WaveTable::kEntries - 1];
}

namespace {

bool allFinite(const float* v, int n) {
    for (int i = 0; i < n; ++i) {
        if (!std::isfinite(v[i])) return false;
    }
    return true;
}

}  // namespace

void WaveTable::clear() {
    bandScale = 0.5f;
    std::memset(rawCurve, 0, sizeof rawCurve);
    std::memset(bandValue, 0, sizeof bandValue);
    std::memset(bandSlope, 0, sizeof bandSlope);
}

bool WaveTable::rebuild(const char* shapeText) {
    [[maybe_unused]] ExtendedPrecision precision;
    Node nodes[kNodeCount];
    for (Node& n : nodes) n = Node{0.0f, 0.0f};
    parseShapeText(nodes, shapeText);
    bandScale = 0.5f;
    buildCurve(nodes);
    buildWindowMeans();
    filterRows();
    if (allFinite(bandValue, kStorage) && allFinite(bandSlope, kStorage)) return true;
    clear();
    return false;
}

}  // namespace tarn
