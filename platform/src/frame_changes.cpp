#include "frame_changes.h"

#include <algorithm>
#include <cstring>

namespace {

// Tiles of the change search: wide enough that a changed tile's rows go out
// as long runs, short enough that a moving figure dirties little around it.
constexpr int kTileWidth = 64;
constexpr int kTileHeight = 16;

}  // namespace

namespace layer {

std::vector<SDL_Rect> TakeFrameChanges(std::vector<std::uint16_t>& last, int width, int height,
                                       const std::uint8_t* pixels, long pitch) {
    std::vector<SDL_Rect> changes;
    for (int top = 0; top < height; top += kTileHeight) {
        const int rows = std::min(kTileHeight, height - top);
        for (int left = 0; left < width; left += kTileWidth) {
            const int columns = std::min(kTileWidth, width - left);
            const std::size_t bytes = static_cast<std::size_t>(columns) * 2;
            int y = top;
            for (; y < top + rows; ++y) {
                const void* now = pixels + y * pitch + left * 2;
                if (std::memcmp(now, last.data() + static_cast<std::size_t>(y) * width + left, bytes) != 0)
                    break;
            }
            if (y == top + rows) continue;
            // Rows above `y` are known equal.
            for (; y < top + rows; ++y)
                std::memcpy(last.data() + static_cast<std::size_t>(y) * width + left,
                            pixels + y * pitch + left * 2, bytes);
            if (!changes.empty() && changes.back().y == top && changes.back().x + changes.back().w == left)
                changes.back().w += columns;
            else
                changes.push_back(SDL_Rect{left, top, columns, rows});
        }
    }
    return changes;
}

}  // namespace layer
