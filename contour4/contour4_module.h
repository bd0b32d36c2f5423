// Contour4Module: the signal side of Tarn Contour4, a wave-table oscillator playing the curve
// of its "shape" pin.
#pragma once

#include <cstdint>

#include "contour4/description.h"
#include "contour4/signal/voice.h"
#include "contour4/signal/wave_table.h"
#include "frame/described_module.h"

namespace tarn {

class Contour4Module : public DescribedModule {
public:
    static constexpr const ModuleDescription& kDescription = contour4::kDescription;
    static constexpr float kLevelGate = Contour4Voice::kLevelGate;
    static constexpr int32_t kCurveBlockSize = 252;
    static constexpr float kCurveBlockFill = -1.0f;

    enum PinIndex : int32_t {
        PIN_SHAPE = contour4::PIN_SHAPE, PIN_PITCH = contour4::PIN_PITCH, PIN_SYNC = contour4::PIN_SYNC,
        PIN_LEVEL = contour4::PIN_LEVEL, PIN_OUTPUT = contour4::PIN_OUTPUT
    };
    static_assert(contour4::kPins[PIN_LEVEL].gated && contour4::kPins[PIN_LEVEL].gate == kLevelGate,
                  "the Level pin's gate is the voice's");

    Contour4Module(HostCallback callback, int32_t hostData) noexcept;

    void open() override;                          // [main]
    void onPinStatusChanged(Pin& pin) override;    // [audio]

    void generate(int32_t first, int32_t count);      // [audio]
    void generateIdle(int32_t first, int32_t count);  // [audio]

    void rebuildTable();       // [audio] on a change of the shape pin (see WaveTable::rebuild)
    void requestCurveBlock();  // [main] from open

    // Read-only views for tests and tools.
    const WaveTable& table() const { return table_; }
    int32_t bandIndex() const { return voice_.bandIndex(); }
    float phaseIncrement() const { return voice_.phaseIncrement(); }
    float phase() const { return voice_.phase(); }
    bool active() const { return voice_.active(); }
    int32_t idleCountdown() const { return voice_.idleCountdown(); }

private:
    float levelNow();

    float* curveBlock_;
    Contour4Voice voice_;
    WaveTable table_;
};

}  // namespace tarn
