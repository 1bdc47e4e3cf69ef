// The tick counter's milliseconds as points of the steady clock, for waits
// that must end exactly when GetTickCount reaches a value, and the counter
// itself for the layer's own use.
#pragma once

#include <chrono>

#include "windef.h"

namespace layer {

// When GetTickCount starts reading `tick` (in the past if it already has,
// taking the 32-bit wrap into account: ticks within 2^31 ms after the
// current one are in the future).
std::chrono::steady_clock::time_point StartOfTick(DWORD tick);

// GetTickCount's value now, for the layer's own use: what the program is
// told goes through the journal, which the layer's own clock reading must
// not disturb.
DWORD LiveTickCount();

}  // namespace layer
