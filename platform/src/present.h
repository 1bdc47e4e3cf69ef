// Showing the front buffer of the primary flipping chain in its window.
#pragma once

#include <cstdint>

#include "windef.h"

namespace layer::present {

// Shows a width x height RGB 5-6-5 frame in `window` (if it has an SDL
// window) and keeps a copy as the last presented frame. `waitForVblank`
// asks for a present in step with the display where the driver offers it.
void ShowFrame(HWND window, const std::uint8_t* pixels, int width, int height, long pitch, bool waitForVblank);

// Lets go of everything built on `window` (the display object is going away).
void ReleaseWindow(HWND window);

}  // namespace layer::present
