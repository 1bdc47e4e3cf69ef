// The game's own display mode (800 x 600 x 16 with one back buffer), the sound
// device, and every play object's pictures and sounds loaded from the game's
// resources, made as start-up makes them, once per test binary.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>
#include <ddraw.h>
#include <dsound.h>

#include <cstdint>

struct DirectXWorld {
    HWND window = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* backBuffer = nullptr;
    bool ready = false;
};

// Made on first use; `ready` is false if any part could not be made.
DirectXWorld& World();

std::uint16_t ReadPixel(IDirectDrawSurface7* surface, int x, int y);
void WritePixel(IDirectDrawSurface7* surface, int x, int y, std::uint16_t colour);
void Fill(IDirectDrawSurface7* surface, std::uint16_t colour);
DWORD SourceKey(IDirectDrawSurface7* surface);
bool IsPlaying(IDirectSoundBuffer* buffer);

// Whether the destination holds, at (left, top), exactly the source area blitted
// over a `background` fill: with `keyed` the source's key colour leaves the
// background showing, every other pixel is copied as it is.
::testing::AssertionResult Blitted(IDirectDrawSurface7* destination, int left, int top,
                                   IDirectDrawSurface7* source, const RECT& area, bool keyed,
                                   std::uint16_t background);
// Whether every pixel of the area still holds `background`.
::testing::AssertionResult Untouched(IDirectDrawSurface7* surface, const RECT& area,
                                     std::uint16_t background);

#define REQUIRE_WORLD() \
    ASSERT_TRUE(World().ready) << "display, sound or resources could not be made"
