// A display in the game's own mode (800 x 600 x 16, one back buffer), the
// sound device, and every play object's pictures and sounds loaded from the
// game's resources, as start-up makes them. Shared by the drawing and sound
// tests; made once per test binary.
#pragma once

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

#include <cstdint>
#include <vector>

struct DirectXWorld {
    HWND window = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
};

// Makes the world on first use; fails the calling test if that is impossible.
DirectXWorld& World();

// The surface's pixels inside a rectangle, row by row (16-bit words).
std::vector<std::uint16_t> ReadPixels(IDirectDrawSurface7* surface, const RECT& area);
std::uint16_t ReadPixel(IDirectDrawSurface7* surface, int x, int y);
void Fill(IDirectDrawSurface7* surface, std::uint16_t colour);
DWORD SourceKey(IDirectDrawSurface7* surface);

// True when the image at destination (left, top) is exactly the source
// rectangle blitted over a `background` fill: the source's key colour shows
// the background when keyed, every other pixel is copied.
::testing::AssertionResult Blitted(IDirectDrawSurface7* destination, int left, int top,
                                   IDirectDrawSurface7* source, const RECT& sourceArea, bool keyed,
                                   std::uint16_t background);
