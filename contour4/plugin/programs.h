// The plug-ins' programs: the 27 presets of the panel's menu in its order, labelled from its texts, and
// the shape text a program makes from the current one. The signal side and the plug-in window
// both use it, so that a program the host loads shows on the panel as the sound has it.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

constexpr uint32_t kProgramCount = 27;
// The plug-in's state: the shape text, under one key, which the window writes and reads too.
constexpr const char* kShapeStateKey = "shape";

// [any] A program's label: the menu's text, with its group where the text alone names no shape
// ("Pulse 50%"); "Random (fixed curve)" for the one fixed random curve.
const char* programName(uint32_t index);
// The preset's heights with the x positions of `current` (the default shape's where `current`
// has none), as the panel's menu makes them; `current` itself for an index past the last. The
// same arguments give the same text everywhere ("Random" included).
std::string programShapeText(const std::string& current, uint32_t index);

}  // namespace tarn
