// Finding what changed between two frames, tile by tile. The window-surface
// path sends the display only the changed tiles; keeping the search apart
// from the presenting keeps it a pure function of two frames.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <vector>

namespace layer {

// Compares a 5-6-5 frame of width x height (rows `pitch` bytes apart) with
// `last`, the frame last shown (width x height, packed), tile by tile, and
// copies the changed tiles over it. Gives the changed area in `changes` as
// rectangles of the frame, neighbouring changed tiles of a tile row joined
// into one (a vector the caller keeps, so a frame allocates nothing). A row
// whose name in `names` (may be null) equals its name in `lastNames` holds
// the same pixels and is not compared; the caller keeps `lastNames`.
void TakeFrameChanges(std::vector<std::uint16_t>& last, const std::vector<std::uint64_t>& lastNames, int width,
                      int height, const std::uint8_t* pixels, const std::uint64_t* names, long pitch,
                      std::vector<SDL_Rect>& changes);

}  // namespace layer
