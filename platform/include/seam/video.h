// Test seam: the last frame the primary flipping chain showed, as the player
// would have seen it. Tests only; the system code never includes this.
#pragma once

#include <cstdint>
#include <vector>

#include "../windef.h"

namespace seam {

struct PresentedFrame {
    int width = 0;
    int height = 0;
    std::vector<std::uint16_t> pixels;  // RGB 5-6-5, width * height, top row first
    unsigned long count = 0;            // frames presented so far in the process
};

// False when nothing has been presented yet.
bool ReadPresentedFrame(PresentedFrame& frame);

// Whether the display currently shows as a window (Alt+Enter) rather than full screen.
bool DisplayWindowed();

}  // namespace seam
