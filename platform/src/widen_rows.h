// Rows of RGB 5-6-5 pixels widened into a 32-bit window format, each channel
// to its nearest 8-bit value, with arithmetic that runs eight pixels to a
// vector step (a table lookup per pixel would not vectorise).
#pragma once

#include <cstdint>

namespace layer {

// Where a 32-bit format keeps its 8-bit channels, and the bits always set
// (alpha, for formats that have it).
struct Channels32 {
    unsigned redShift = 16;
    unsigned greenShift = 8;
    unsigned blueShift = 0;
    std::uint32_t alwaysSet = 0;
};

void WidenRow(const std::uint16_t* source, std::uint32_t* destination, int count, const Channels32& channels);

}  // namespace layer
