// Wave tables handed from the thread that sets the shape to the audio thread without a lock or
// a wait: three tables, one being built, one waiting, one playing.
#pragma once

#include <atomic>
#include <cstdint>

#include "contour4/signal/wave_table.h"

namespace tarn {

class TableExchange {
public:
    TableExchange();

    // [any thread but audio, one at a time] The table to build next; then publish() it.
    WaveTable& back() { return tables_[back_]; }
    void publish();

    // [audio] Takes the newest published table if there is one; true when it changed.
    bool takeNewest();
    // [audio] The table to play.
    const WaveTable& front() const { return tables_[front_]; }

private:
    static constexpr uint8_t kFresh = 0x4;  // on the waiting index: published, not yet taken
    WaveTable tables_[3];
    uint8_t back_ = 0;
    std::atomic<uint8_t> waiting_{1};
    uint8_t front_ = 2;
};

}  // namespace tarn
