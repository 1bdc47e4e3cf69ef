// 16-bit RGB 5-6-5 pixels widened to 8 bits a channel, to the nearest 8-bit
// value (round(v * 255 / 31) for red and blue, round(v * 255 / 63) for green).
// Windows' own display path shows these values; bit replication and SDL's
// conversion tables round some levels down, so every place the layer turns a
// 16-bit pixel into a 24- or 32-bit one goes through here.
#pragma once

#include <array>
#include <cstdint>

namespace layer {

constexpr std::uint8_t NearestFrom5(unsigned v) { return static_cast<std::uint8_t>((v * 255 + 15) / 31); }
constexpr std::uint8_t NearestFrom6(unsigned v) { return static_cast<std::uint8_t>((v * 255 + 31) / 63); }

// 0x00RRGGBB for a 5-6-5 pixel.
constexpr std::uint32_t WidenRgb565(std::uint16_t p) {
    return static_cast<std::uint32_t>(NearestFrom5((p >> 11) & 0x1F)) << 16 |
           static_cast<std::uint32_t>(NearestFrom6((p >> 5) & 0x3F)) << 8 | NearestFrom5(p & 0x1F);
}

// 8-bit channels to 5-6-5 by truncation, as DirectDraw's 16-bit surfaces take colours.
constexpr std::uint16_t NarrowToRgb565(std::uint32_t rgb) {
    return static_cast<std::uint16_t>(((rgb >> 8) & 0xF800) | ((rgb >> 5) & 0x07E0) | ((rgb >> 3) & 0x001F));
}

static_assert(NearestFrom5(4) == 33 && NearestFrom5(31) == 255 && NearestFrom5(0) == 0);
static_assert(NearestFrom6(43) == 174 && NearestFrom6(63) == 255);

}  // namespace layer
