// What other services of the layer need to know about the executable's
// resources beyond the Win32 lookup functions: the pixels behind an icon
// handle (for the window's icon), and whether they are the ones a journal
// was recorded with.
#pragma once

#include <cstdint>
#include <vector>

#include "windef.h"

namespace layer {

// The image of `icon` whose width is closest to `preferredSize`, decoded to
// 0xAARRGGBB pixels, top row first. False when the handle is not an icon of
// the layer or its image is in a format the layer does not decode.
bool DecodeIcon(HICON icon, int preferredSize, std::vector<std::uint32_t>& pixels, int& width, int& height);

// A hash of every registered resource (types, names and bytes, in the order
// registered): a replay journal made with other pictures or sounds is refused.
std::uint64_t ResourcesHash();

}  // namespace layer

struct SDL_Window;

namespace layer {

// Shows `icon` (its 32-pixel image, or the nearest) as the window's icon on
// the desktop; nothing happens for a null or undecodable icon.
void ApplyWindowIcon(SDL_Window* window, HICON icon);

}  // namespace layer
