// The shape text and its tables, and the thread that builds the programs.
#include "shape_state.h"

#include "common/fp_env.h"
#include "contour4/plugin/programs.h"

namespace tarn {

ShapeState::ShapeState() {
    buildLocked("");
    sem_init(&programChosen_, 0, 0);
    builder_ = std::thread([this] { buildPrograms(); });
}

ShapeState::~ShapeState() {
    stopping_.store(true);
    sem_post(&programChosen_);
    builder_.join();
    sem_destroy(&programChosen_);
}

void ShapeState::setText(std::string text) {
    std::lock_guard<std::mutex> lock(lock_);
    program_.store(kNoProgram);
    buildLocked(std::move(text));
}

// A post is neither a lock nor a wait: the audio thread may choose a program.
void ShapeState::loadProgram(uint32_t index) {
    program_.store(index);
    sem_post(&programChosen_);
}

std::string ShapeState::text() {
    std::lock_guard<std::mutex> lock(lock_);
    applyProgramLocked();
    return text_;
}

void ShapeState::settle() {
    std::lock_guard<std::mutex> lock(lock_);
    applyProgramLocked();
}

void ShapeState::buildLocked(std::string text) {
    text_ = std::move(text);
    tables_.back().rebuild(text_.c_str());
    tables_.publish();
}

// Heights from the preset, x positions from the current shape, as the panel's menu does.
void ShapeState::applyProgramLocked() {
    const uint32_t index = program_.exchange(kNoProgram);
    if (index != kNoProgram) buildLocked(programShapeText(text_, index));
}

void ShapeState::buildPrograms() {
    while (true) {
        while (sem_wait(&programChosen_) != 0) {
        }
        if (stopping_.load()) return;
        // The thread began in its creator's floating-point environment, which is the host's.
        const ModuleFpScope environment;
        settle();
    }
}

}  // namespace tarn
