// Tarn Contour4's signal side: pins, open, pin notifications and the two process functions.
#include "contour4_module.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "common/fp_env.h"

namespace tarn {

namespace {
constexpr int32_t kShapeFlags = PF_DUAL | PF_GUI | PF_TEXT_SHAPE;
}

// The frame leaves module fields unset until open; these are the safe values until then:
// silent, a countdown of one block, no increment, band 0 and silent tables.
Contour4Module::Contour4Module(HostCallback callback, int32_t hostData) noexcept
    : ModuleBase(callback, hostData, kMagic),
      shapeText_(nullptr),
      idleCountdown_(getBlockSize()),
      curveBlock_(nullptr),
      pitchIn_(nullptr),
      lastPitch_(kInitialPitch),
      syncIn_(nullptr),
      levelIn_(nullptr),
      output_(nullptr),
      active_(0),
      osc_{0.0f, 0.0f, kCyclePositionScale, 0.0f},
      incrementPerHz_(0.0f),
      bandIndex_(0) {
    table_.clear();
}

bool Contour4Module::getPinProperties(int32_t index, PinProperties& props) {
    auto audio = [&](float** field, int32_t direction, const char* name, const char* def) {
        props.variable = field;
        props.direction = direction;
        props.datatype = DT_AUDIO;
        props.name = name;
        props.defaultValue = def;
        props.flags = 0;
        return true;
    };
    switch (index) {
    case PIN_SHAPE:
        props.variable = &shapeText_;
        props.direction = DIR_IN;
        props.datatype = DT_TEXT;
        props.name = "shape";
        props.flags = kShapeFlags;
        return true;
    case PIN_PITCH: return audio(&pitchIn_, DIR_IN, "Pitch", "5");
    case PIN_SYNC: return audio(&syncIn_, DIR_IN, "Sync", "0");
    case PIN_LEVEL: return audio(&levelIn_, DIR_IN, "Level", "8");
    case PIN_OUTPUT: return audio(&output_, DIR_OUT, "Output", "0");
    default: return false;
    }
}

void Contour4Module::requestCurveBlock() {
    const uint32_t handle = static_cast<uint32_t>(callHost(HOST_GET_HANDLE));
    char name[40] = "ZK wave shaper ";
    const size_t prefix = std::strlen(name);
    const auto r = std::to_chars(name + prefix, name + sizeof name, handle, 16);
    std::memcpy(r.ptr, " curve", 7);
    // The host stores the block's address in curveBlock_; the answer is not needed.
    callHost(HOST_ALLOCATE_SHARED, reinterpret_cast<HostWord>(&curveBlock_), kCurveBlockSize, name,
             kCurveBlockFill);
}

void Contour4Module::open() {
    requestCurveBlock();
    osc_.phase = 0.0f;
    lastPitch_ = kInitialPitch;
    osc_.lastSync = 0.0f;
    osc_.cyclePositionScale = kCyclePositionScale;
    incrementPerHz_ = incrementPerHzFor(getSampleRate());
    ModuleBase::open();
    setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generateIdle>());
}

void Contour4Module::rebuildTable() { table_.rebuild(shapeText_); }

float Contour4Module::levelNow() {
    Pin* level = findPin(PIN_LEVEL);
    return level != nullptr ? level->valueNow() : 0.0f;
}

void Contour4Module::onPinStatusChanged(Pin& pin) {
    if (pin.index == PIN_SHAPE) rebuildTable();
    if (levelNow() > kLevelGate) {
        active_ = 1;
        if (Pin* out = findPin(PIN_OUTPUT)) out->setOutputStatus(sampleClock(), ST_RUN);
        setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generate>());
    } else {
        active_ = 0;
        idleCountdown_ = getBlockSize();
        setProcessFunction(processFunctionOf<Contour4Module, &Contour4Module::generateIdle>());
    }
}

void Contour4Module::generate(int32_t first, int32_t count) {
    if (pitchIn_ == nullptr || syncIn_ == nullptr || levelIn_ == nullptr || output_ == nullptr) {
        return;
    }
    float p = pitchIn_[first];
    // A pitch that is not a number compares as unchanged. The clamp works on a copy: the
    // Pitch buffer belongs to the host and may feed other modules too.
    if (p != lastPitch_ && !std::isnan(p)) {
        // The power of two may run on the x87, and a float comes back through it on i686.
        const X87StatusKeeper x87;
        bandIndex_ = bandForPitch(p);
        if (p > kMaxPitch) p = kMaxPitch;
        lastPitch_ = p;
        osc_.phaseIncrement = phaseIncrementFor(p, incrementPerHz_);
    }
    const float level = levelIn_[first];
    float* out = output_ + first;
    if (active_ != 1) {
        for (int32_t n = 0; n < count; ++n) out[n] = 0.0f;
        return;
    }
    renderCycle(osc_, table_, bandIndex_, syncIn_ + first, level, out, count);
}

void Contour4Module::generateIdle(int32_t first, int32_t count) {
    generate(first, count);
    // Stops counting once due, so hours of idling cannot overflow the count.
    if (idleCountdown_ > 0) idleCountdown_ -= count;
    if (idleCountdown_ <= 0) callHost(HOST_SLEEP);
}

}  // namespace tarn
