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

void TakeFrameChanges(std::vector<std::uint16_t>& last, const std::vector<std::uint64_t>& lastNames, int width,
                      int height, const std::uint8_t* pixels, const std::uint64_t* names, long pitch,
                      std::vector<SDL_Rect>& changes) {
    const bool named = names != nullptr && lastNames.size() == static_cast<std::size_t>(height);
    changes.clear();
    const int columns = (width + kTileWidth - 1) / kTileWidth;
    thread_local std::vector<std::uint8_t> changed;
    changed.assign(static_cast<std::size_t>(columns), 0);
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 2;
    for (int top = 0; top < height; top += kTileHeight) {
        const int bottom = std::min(height, top + kTileHeight);
        // Most rows of most frames are as they were: one long compare a row
        // says so, and only a row that differs is looked at tile by tile.
        int marked = 0;
        for (int y = top; y < bottom && marked < columns; ++y) {
            if (named && names[y] == lastNames[y]) continue;
            const std::uint8_t* now = pixels + y * pitch;
            const std::uint16_t* before = last.data() + static_cast<std::size_t>(y) * width;
            if (std::memcmp(now, before, rowBytes) == 0) continue;
            for (int column = 0; column < columns; ++column) {
                if (changed[column]) continue;
                const int left = column * kTileWidth;
                const std::size_t bytes = static_cast<std::size_t>(std::min(kTileWidth, width - left)) * 2;
                if (std::memcmp(now + left * 2, before + left, bytes) != 0) {
                    changed[column] = 1;
                    ++marked;
                }
            }
        }
        if (marked == 0) continue;
        for (int column = 0; column < columns; ++column) {
            if (!changed[column]) continue;
            changed[column] = 0;
            const int left = column * kTileWidth;
            const int tileWidth = std::min(kTileWidth, width - left);
            for (int y = top; y < bottom; ++y)
                std::memcpy(last.data() + static_cast<std::size_t>(y) * width + left, pixels + y * pitch + left * 2,
                            static_cast<std::size_t>(tileWidth) * 2);
            if (!changes.empty() && changes.back().y == top && changes.back().x + changes.back().w == left)
                changes.back().w += tileWidth;
            else
                changes.push_back(SDL_Rect{left, top, tileWidth, bottom - top});
        }
    }
}

}  // namespace layer
