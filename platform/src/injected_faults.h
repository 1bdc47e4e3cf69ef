// The seam's fault injection: results the test seam has asked the next calls
// of an operation (DirectDraw or DirectInput) to fail with.
#pragma once

#include "seam/faults.h"
#include "windef.h"

namespace layer {

// S_OK when no failure is pending for `call`; otherwise the pending result,
// and one pending failure fewer.
HRESULT TakeFault(seam::FaultCall call);

}  // namespace layer
