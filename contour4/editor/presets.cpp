// The 27 presets: fixed tables of whole heights, and the computed ramp, pulses and random.
#include "presets.h"

#include "frame/crt_random.h"

namespace tarn {

namespace {

struct FixedPreset {
    int32_t id;
    uint8_t heights[kNodeCount];
};

constexpr FixedPreset kFixed[] = {
    {CMD_SINE, {50, 41, 33, 26, 20, 16, 15, 15, 18, 23, 29, 37, 45, 54, 62, 70, 76, 81, 84, 84, 83, 79, 73, 66, 58}},
    {CMD_DIGITAL_SAW, {85, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49, 46, 43, 40, 37, 34, 31, 28, 25, 22, 19, 16, 13}},
    {CMD_ANALOG_SAW_1, {85, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49, 46, 43, 40, 37, 34, 31, 28, 25, 22, 19, 18, 23}},
    {CMD_ANALOG_SAW_2, {85, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49, 46, 43, 40, 37, 34, 31, 28, 25, 22, 19, 16, 50}},
    {CMD_ANALOG_SAW_3, {19, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49, 46, 43, 40, 37, 34, 31, 28, 25, 22, 19, 16, 13}},
    {CMD_DOUBLE_SAW_1, {85, 81, 75, 70, 63, 58, 52, 46, 41, 35, 28, 21, 15, 85, 79, 73, 66, 60, 54, 48, 41, 35, 28, 22, 15}},
    {CMD_DOUBLE_SAW_2, {85, 81, 75, 70, 63, 58, 52, 46, 41, 35, 28, 21, 15, 50, 79, 73, 66, 60, 54, 48, 41, 35, 28, 22, 15}},
    {CMD_SAW_90, {28, 25, 22, 19, 16, 13, 85, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49, 46, 43, 40, 37, 34, 31}},
    {CMD_SAW_180, {46, 43, 40, 37, 34, 31, 28, 25, 22, 19, 16, 13, 85, 82, 79, 76, 73, 70, 67, 64, 61, 58, 55, 52, 49}},
    {CMD_TRIANGLE, {85, 79, 73, 67, 61, 55, 49, 43, 37, 31, 25, 19, 13, 19, 25, 31, 37, 43, 49, 55, 61, 67, 73, 79, 85}},
    {CMD_TRIPULSE, {73, 73, 73, 67, 61, 55, 49, 43, 37, 31, 25, 25, 25, 25, 25, 31, 37, 43, 49, 55, 61, 67, 73, 73, 73}},
    {CMD_TRIFOLD, {61, 68, 73, 67, 61, 55, 49, 43, 37, 31, 39, 44, 51, 44, 38, 31, 37, 43, 49, 55, 61, 67, 73, 68, 60}},
    {CMD_COSINE, {15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 78, 82, 84, 84, 82, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15}},
    {CMD_A_SPLINE, {15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 15, 82, 84, 84, 82, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15}},
    {CMD_M_SPLINE, {15, 16, 19, 24, 31, 39, 47, 56, 64, 72, 26, 15, 85, 15, 26, 78, 72, 64, 56, 47, 39, 31, 24, 19, 15}},
    {CMD_RESONATOR, {85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85, 15, 85}},
    {CMD_DNA, {30, 15, 51, 85, 15, 15, 50, 85, 15, 15, 52, 85, 15, 15, 53, 85, 15, 15, 51, 85, 15, 15, 53, 85, 66}},
    {CMD_DC_WOODWIND, {54, 60, 66, 76, 85, 85, 85, 85, 85, 49, 49, 49, 49, 49, 48, 48, 85, 85, 85, 85, 82, 82, 72, 62, 54}},
    {CMD_EXTRA_PULSE, {16, 85, 85, 15, 15, 15, 85, 85, 85, 85, 15, 15, 15, 15, 15, 85, 85, 85, 85, 85, 85, 15, 15, 15, 53}},
    {CMD_COSINE_SAW, {85, 69, 58, 47, 37, 31, 27, 23, 19, 16, 15, 15, 85, 74, 60, 47, 38, 32, 28, 24, 22, 19, 16, 15, 15}},
    {CMD_OBOESQUE, {52, 85, 79, 70, 61, 54, 47, 39, 53, 70, 15, 15, 15, 73, 71, 54, 37, 47, 56, 66, 74, 81, 85, 78, 53}},
};

constexpr float kHigh = 15.0f;  // +3.5 V
constexpr float kLow = 85.0f;   // -3.5 V

void pulse(Heights& out, int high) {
    for (int i = 0; i < kNodeCount; ++i) out[i] = i < high ? kHigh : kLow;
}

}  // namespace

bool fillPreset(int32_t id, Heights& out) {
    for (const FixedPreset& p : kFixed) {
        if (p.id != id) continue;
        for (int i = 0; i < kNodeCount; ++i) out[i] = p.heights[i];
        return true;
    }
    switch (id) {
    case CMD_RAMP: {
        float h = 15.0f;
        for (int i = 0; i < kNodeCount; ++i, h += 3.0f) out[i] = h;
        return true;
    }
    case CMD_PULSE_50: pulse(out, 12); return true;
    case CMD_PULSE_25: pulse(out, 6); return true;
    case CMD_PULSE_12_5: pulse(out, 3); return true;
    case CMD_PULSE_6_25: pulse(out, 1); return true;
    case CMD_RANDOM:
        for (int i = 0; i < kNodeCount; ++i) out[i] = static_cast<float>(16 + crtRand() % 74);
        return true;
    default:
        return false;
    }
}

void invertHeights(const Heights& saved, Heights& out) {
    for (int i = 0; i < kNodeCount; ++i) out[i] = 100.0f - saved[i];
}

void reverseHeights(const Heights& saved, Heights& out) {
    for (int i = 0; i < kNodeCount; ++i) out[i] = saved[kNodeCount - 1 - i];
}

void rotateHeightsLeft(Heights& buffer) {
    const float last = buffer[kNodeCount - 1];
    for (int i = kNodeCount - 1; i > 0; --i) buffer[i] = buffer[i - 1];
    buffer[0] = last;
}

}  // namespace tarn
