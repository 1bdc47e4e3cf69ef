// Test seam: the pixels the layer shows for an icon. Tests only.
#pragma once

#include <cstdint>
#include <vector>

#include "../windef.h"

namespace seam {

// The image of `icon` whose width is closest to `preferredSize`, as
// 0xAARRGGBB pixels, top row first; false for anything the layer cannot show.
bool DecodeIcon(HICON icon, int preferredSize, std::vector<std::uint32_t>& pixels, int& width, int& height);

}  // namespace seam
