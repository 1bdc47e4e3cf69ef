// Test seam: makes the next calls of a DirectX operation fail with a chosen
// result, as a lost surface, a busy blitter or a lost mouse would. Tests only;
// the system code never includes this.
#pragma once

#include "../windef.h"

namespace seam {

enum class FaultCall {
    Blt,            // IDirectDrawSurface7::Blt
    BltFast,        // IDirectDrawSurface7::BltFast
    Flip,           // IDirectDrawSurface7::Flip
    GetDeviceData,  // IDirectInputDevice7A::GetDeviceData
    GetDeviceState  // IDirectInputDevice7A::GetDeviceState
};

// The next `count` calls of `call` do nothing and return `result`
// (DDERR_SURFACELOST, DDERR_WASSTILLDRAWING, DIERR_INPUTLOST, ...).
void FailNextCalls(FaultCall call, int count, HRESULT result);
// Forgets every pending failure.
void ClearFaults();

}  // namespace seam
