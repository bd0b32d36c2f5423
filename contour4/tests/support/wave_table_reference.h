// The straightforward table build, kept as the reference that the fast one must match bit for
// bit: every window summed from its start, the slopes taken inside the filter loop.
#pragma once

#include "contour4/signal/wave_table.h"

namespace tarntest {

// Builds w from a shape text the plain way, without touching subnormal entries; false (and
// all-zero tables) when the result is not finite.
bool referenceRebuild(tarn::WaveTable& w, const char* shapeText);

}  // namespace tarntest
