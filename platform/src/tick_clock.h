// The tick counter's milliseconds as points of the steady clock, for waits
// that must end exactly when GetTickCount reaches a value.
#pragma once

#include <chrono>

#include "windef.h"

namespace layer {

// When GetTickCount starts reading `tick` (in the past if it already has,
// taking the 32-bit wrap into account: ticks within 2^31 ms after the
// current one are in the future).
std::chrono::steady_clock::time_point StartOfTick(DWORD tick);

}  // namespace layer
