// What the format glue of every module shares: its identity as DPF packs it, parameters in volts,
// and inputs that two sources can set. (A process call runs in the module's floating-point environment through
// common/fp_env.h, as the DLLs' entries do.)
//
// Glue translates between a plug-in format and a signal core; it computes no sample itself.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "common/module_description.h"
#include "common/pin_values.h"

namespace tarn {

// A module's version and four-character id from its description, packed as DPF's d_version and
// d_cconst pack them.
constexpr uint32_t dpfVersion(const ModuleDescription& d) {
    return static_cast<uint32_t>(d.versionMajor & 0xFF) << 16 | static_cast<uint32_t>(d.versionMinor & 0xFF) << 8 |
           static_cast<uint32_t>(d.versionPatch & 0xFF);
}
constexpr int64_t dpfUniqueId(const ModuleDescription& d) {
    int64_t id = 0;
    for (int i = 0; i < 4; ++i) id = id << 8 | static_cast<unsigned char>(d.pluginId[i]);
    return id;
}

// Parameters in volts that any thread may set (a host's audio or main thread, a state it
// restores) and the audio thread reads in signal units from a block's start: converted there, in
// the module's floating-point environment, after any of them changed, as the modular host turns
// what a user types (so 8.3 on a knob is the host's "8.3"). A block costs one load.
template <size_t N>
class VoltsParameters {
public:
    // [any]
    void set(size_t index, float volts) {
        volts_[index].store(volts, std::memory_order_relaxed);
        changed_.store(true, std::memory_order_release);
    }
    float volts(size_t index) const { return volts_[index].load(std::memory_order_relaxed); }
    // [audio]
    const float* signals() {
        if (changed_.load(std::memory_order_relaxed) && changed_.exchange(false, std::memory_order_acquire)) {
            for (size_t i = 0; i < N; ++i) signals_[i] = signalFromVoltsSetting(volts_[i].load(std::memory_order_relaxed));
        }
        return signals_;
    }

private:
    std::atomic<float> volts_[N] = {};
    std::atomic<bool> changed_{true};
    float signals_[N] = {};
};

// An input that both the host's stream (a CV port or a parameter) and the notes can set: it
// follows whichever changed last. The stream counts as changed when the value read at one
// place differs from the value read at the one before.
class TwoSourceInput {
public:
    // The stream's value here; call at every place the module reads the input, in order.
    void observe(float streamNow);
    // The notes set the input here.
    void set(float value);
    float value(float streamNow) const { return followsStream_ ? streamNow : held_; }

private:
    float held_ = 0.0f;
    uint32_t lastStreamBits_ = 0;
    bool seen_ = false;
    bool followsStream_ = true;
};

}  // namespace tarn
