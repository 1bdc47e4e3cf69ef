// The surface that a counter, text line or table draws into and owns.
#pragma once

#include <windows.h>
#include <ddraw.h>

namespace scores {

// A new off-screen surface of the given size on the game's DirectDraw object,
// or null when there is no display yet, the size is empty or creation fails.
// Every owner treats null as "nothing to draw" rather than as an error.
IDirectDrawSurface7* MakeOwnSurface(int width, int height);

// Releases the surface if there is one and clears the pointer.
void ReleaseOwnSurface(IDirectDrawSurface7*& surface);

}  // namespace scores
