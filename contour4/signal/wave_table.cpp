// Building the band rows: stepped curve, 11-entry smoothing, circular window means per row,
// then one two-pole resonant low-pass run across all rows with a falling cut-off.
#include "wave_table.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/fp_env.h"

namespace tarn {

namespace {

constexpr float kOneEleventh = 0.09090909f;

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

namespace {

// Three cycles: every window of every row, (j - a + t) mod 250, lies inside entries
// 250 + j - a ... 250 + j + a - 1 of the cycle laid out three times.
constexpr int kExtended = 3 * WaveTable::kEntries;

// The exponent of the lowest set bit of a finite nonzero float.
int lowestBitExponent(float x) {
    uint32_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int biased = static_cast<int>((bits >> 23) & 0xFF);
    uint32_t mantissa = bits & 0x7FFFFF;
    if (biased != 0) mantissa |= 0x800000;  // the implicit bit of a normal number
    return (biased == 0 ? -149 : biased - 150) + __builtin_ctz(mantissa);
}

// Whether every sum of up to kExtended curve entries is exact in extended precision (64-bit
// significand): all entries are multiples of 2^E, so every such sum is one too, and none can
// reach 2^(64+E) in magnitude. Then any order of additions and subtractions gives the exact
// sum, and with it the same bits as the sums from t = 0 upward.
bool sumsAreExact(const float* curve) {
    int lowest = 1 << 30;
    float largest = 0.0f;
    for (int n = 0; n < WaveTable::kEntries; ++n) {
        const float x = curve[n];
        if (!std::isfinite(x)) return false;
        if (x == 0.0f) continue;
        lowest = std::min(lowest, lowestBitExponent(x));
        largest = std::max(largest, std::fabs(x));
    }
    if (largest == 0.0f) return true;
    return static_cast<long double>(largest) * kExtended < std::ldexp(1.0L, 64 + lowest);
}

// Window means from prefix sums of the laid-out cycle: each window sum is the difference of
// two prefix sums, exact when sumsAreExact holds.
class RunningMeans {
public:
    RunningMeans(const float* curve, float bandScale) : scale_(bandScale) {
        prefix_[0] = 0.0L;
        for (int n = 0; n < kExtended; ++n) prefix_[n + 1] = prefix_[n] + curve[n % WaveTable::kEntries];
    }
    // Entry j of row k, as the plain sum gives it.
    float mean(int k, int j) const {
        const int a = kBandHalfWidth[k];
        const long double sum = prefix_[WaveTable::kEntries + j + a] - prefix_[WaveTable::kEntries + j - a];
        return static_cast<float>(sum / a * scale_);
    }

private:
    long double prefix_[kExtended + 1];
    long double scale_;
};

// The filter pass over all rows (states A and B run on from row to row), then the slopes.
// `alongside(k, i)` runs before step i of row k: work independent of the filter's chain of
// dependent steps, which the processor can then overlap with it.
template <typename Alongside>
void runFilter(WaveTable& w, Alongside alongside) {
    constexpr int kEntries = WaveTable::kEntries;
    // Entry 0 of each later row is filtered twice: once as the last step of the row before,
    // whose slope is taken from that first result, and again as the row's own first step.
    float rowStart[WaveTable::kRows + 1];
    float A = 0.0f;
    float B = 0.0f;
    for (int k = 0; k < WaveTable::kRows; ++k) {
        const long double f = 0.9L - 0.09L * k;
        const long double fb = 0.1L + 0.1L / (1.0L - f);
        float* value = w.bandValue + k * kEntries;
        // States are floats; each step is evaluated in extended precision.
        for (int i = 0; i <= kEntries; ++i) {
            alongside(k, i);
            const long double in = value[i];
            A = static_cast<float>(A + f * ((static_cast<long double>(A) - B) * fb + (in - A)));
            B = static_cast<float>(B + f * (static_cast<long double>(A) - B));
            value[i] = B;
        }
        rowStart[k + 1] = value[kEntries];
    }
    for (int k = 0; k < WaveTable::kRows; ++k) {
        const float* v = w.bandValue + k * kEntries;
        float* slope = w.bandSlope + k * kEntries;
        for (int i = 1; i < kEntries; ++i) slope[i] = v[i] - v[i - 1];
        slope[kEntries] = rowStart[k + 1] - v[kEntries - 1];
    }
    // Band 0 reads this slope for the first half-entry of the cycle: the step from the end.
    w.bandSlope[0] = w.bandValue[0] - w.bandValue[kEntries - 1];
}

}  // namespace

bool WaveTable::buildWindowMeans() {
    if (!sumsAreExact(rawCurve)) {
        buildWindowMeansPlain();
        return false;
    }
    const RunningMeans means(rawCurve, bandScale);
    for (int k = 0; k < kRows; ++k) {
        for (int j = 0; j <= kEntries; ++j) bandValue[k * kEntries + j] = means.mean(k, j);
    }
    return true;
}

void WaveTable::buildWindowMeansPlain() {
    for (int k = 0; k < kRows; ++k) {
        const int a = kBandHalfWidth[k];
        float* row = bandValue + k * kEntries;
        for (int j = 0; j <= kEntries; ++j) {
            long double sum = 0.0L;
            int at = j - a + kEntries;  // (j - a + t) mod 250, kept non-negative
            for (int t = 0; t < 2 * a; ++t, ++at) sum += rawCurve[at % kEntries];
            row[j] = static_cast<float>(sum / a * bandScale);
        }
    }
}

void WaveTable::filterRows() {
    runFilter(*this, [](int, int) {});
}

bool WaveTable::buildBandRows() {
    if (!sumsAreExact(rawCurve)) {
        buildWindowMeansPlain();
        filterRows();
        return false;
    }
    // Row 0's means first; each later row's entry i while the row before is at step i, which
    // is in time: that row first reads the entry at its step 250. Entry 250 of each row is the
    // next row's entry 0, overwritten by that row's own mean before anything reads it, as in
    // the plain order.
    const RunningMeans means(rawCurve, bandScale);
    for (int j = 0; j <= kEntries; ++j) bandValue[j] = means.mean(0, j);
    runFilter(*this, [&](int k, int i) {
        if (k + 1 < kRows) bandValue[(k + 1) * kEntries + i] = means.mean(k + 1, i);
    });
    return true;
}

namespace {

// Subnormal entries become zero of the same sign: playback then neither computes with them
// nor writes them into the host's buffers. Every other entry keeps all its bits. Returns
// whether every entry is finite.
bool flushSubnormals(float* v, int n) {
    uint32_t notFinite = 0;
    for (int i = 0; i < n; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &v[i], sizeof bits);
        const uint32_t exponent = bits & 0x7F800000u;
        if (exponent == 0) bits &= 0x80000000u;
        notFinite |= exponent == 0x7F800000u;
        std::memcpy(&v[i], &bits, sizeof bits);
    }
    return notFinite == 0;
}

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
    // The window sums and the filter are carried in x87 extended precision, which a host may
    // have lowered; an overflowing text computes infinities on purpose, which would trap under a
    // host that unmasks exceptions; and flush-to-zero or another rounding mode would change the
    // float steps. Whoever calls, the build runs in the modules' own environment.
    const ModuleFpScope environment;
    Node nodes[kNodeCount];
    for (Node& n : nodes) n = Node{0.0f, 0.0f};
    parseShapeText(nodes, shapeText);
    bandScale = 0.5f;
    buildCurve(nodes);
    // A curve that is not finite makes some entry of every row's means, and from there the
    // filter's states, not finite: the result would be silence. Stopping here spares the audio
    // thread the slow arithmetic of infinities and NaNs (milliseconds for one rebuild).
    if (allFinite(rawCurve, kEntries)) {
        buildBandRows();
        flushSubnormals(rawCurve, kEntries);
        const bool values = flushSubnormals(bandValue, kStorage);
        const bool slopes = flushSubnormals(bandSlope, kStorage);
        if (values && slopes) return true;
    }
    clear();
    return false;
}

}  // namespace tarn
