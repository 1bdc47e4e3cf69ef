// Showing the front buffer of the primary flipping chain in its window.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "windef.h"

namespace layer::present {

// Shows a width x height RGB 5-6-5 frame in `window` (if it has an SDL
// window) and keeps a copy as the last presented frame. `rowNames`, when
// given, names what each row holds: rows named as in the last frame are not
// compared again. `waitForVblank` asks for a present in step with the
// display where the driver offers it.
void ShowFrame(HWND window, const std::uint8_t* pixels, const std::uint64_t* rowNames, int width, int height,
               long pitch, bool waitForVblank);

// Fills an SDL window with one colour the way frames are shown, unless a
// frame already shows in it. False when it cannot be drawn.
bool FillWindow(SDL_Window* sdl, std::uint8_t red, std::uint8_t green, std::uint8_t blue);

// Lets go of everything built on `window` (the display object is going away).
void ReleaseWindow(HWND window);

}  // namespace layer::present
