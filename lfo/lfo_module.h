// LfoModule: the signal object of Tarn LFO, its signal core served by the frame's glue.
#pragma once

#include "frame/core_module.h"
#include "lfo/signal/lfo_core.h"

namespace tarn {

using LfoModule = CoreModule<LfoCore>;

}  // namespace tarn
