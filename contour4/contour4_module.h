// Contour4Module: the signal side of Tarn Contour4, a wave-table oscillator playing the curve
// of its "shape" pin.
#pragma once

#include <cstdint>

#include "contour4/signal/oscillator.h"
#include "contour4/signal/wave_table.h"
#include "frame/module_base.h"

namespace tarn {

class Contour4Module : public ModuleBase {
public:
    static constexpr uint32_t kMagic = 0x04C48300;
    static constexpr float kLevelGate = 0.005f;  // at or below: silence, then sleep
    static constexpr float kInitialPitch = -20.0f;
    static constexpr int32_t kCurveBlockSize = 252;
    static constexpr float kCurveBlockFill = -1.0f;

    enum PinIndex : int32_t { PIN_SHAPE = 0, PIN_PITCH, PIN_SYNC, PIN_LEVEL, PIN_OUTPUT };

    Contour4Module(HostCallback callback, int32_t hostData) noexcept;

    void open() override;
    void onPinStatusChanged(Pin& pin) override;
    bool getPinProperties(int32_t index, PinProperties& props) override;

    void generate(int32_t first, int32_t count);
    void generateIdle(int32_t first, int32_t count);

    void rebuildTable();
    void requestCurveBlock();

    // Read-only views for tests and tools.
    const WaveTable& table() const { return table_; }
    int32_t bandIndex() const { return bandIndex_; }
    float phaseIncrement() const { return osc_.phaseIncrement; }
    float phase() const { return osc_.phase; }
    bool active() const { return active_ == 1; }
    int32_t idleCountdown() const { return idleCountdown_; }

private:
    float levelNow();

    const char* shapeText_;
    int32_t idleCountdown_;
    float* curveBlock_;
    float* pitchIn_;
    float lastPitch_;
    float* syncIn_;
    float* levelIn_;
    float* output_;
    int16_t active_;
    OscillatorState osc_;
    float incrementPerHz_;
    int32_t bandIndex_;
    WaveTable table_;
};

}  // namespace tarn
