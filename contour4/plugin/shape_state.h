// The shape a Contour4 plug-in plays and saves: its text, and the wave tables built from it,
// handed to the audio thread without a lock or a wait. A program may be chosen on any thread, an
// audio thread included (a JACK program change, a DAW's MIDI program change): it is built on a
// thread of the plug-in's own.
#pragma once

#include <semaphore.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>

#include "contour4/plugin/table_exchange.h"

namespace tarn {

class ShapeState {
public:
    ShapeState();  // the default shape, built
    ~ShapeState();
    ShapeState(const ShapeState&) = delete;
    ShapeState& operator=(const ShapeState&) = delete;

    // [main, worker or window] A shape text, kept and built on the calling thread; a program
    // chosen before it and not yet built is forgotten.
    void setText(std::string text);
    // [any thread] A program of programs.h: built from the shape text current when it is built.
    void loadProgram(uint32_t index);
    // [main or worker] The text, every program chosen so far applied and built.
    std::string text();
    // [main] Returns once every program chosen so far is built.
    void settle();

    // [audio] Takes the newest built table; true when it changed.
    bool takeNewest() { return tables_.takeNewest(); }
    // [audio]
    const WaveTable& table() const { return tables_.front(); }

private:
    static constexpr uint32_t kNoProgram = UINT32_MAX;

    void buildLocked(std::string text);
    void applyProgramLocked();
    void buildPrograms();

    TableExchange tables_;
    std::mutex lock_;  // the text and the building; never taken on the audio thread
    std::string text_;
    std::atomic<uint32_t> program_{kNoProgram};  // chosen, not yet built
    std::atomic<bool> stopping_{false};
    sem_t programChosen_;
    std::thread builder_;
};

}  // namespace tarn
