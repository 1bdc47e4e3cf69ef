// Turning drawn canvases and synthesised samples into the game's files:
// 8-bit palette BMPs that respect the colour-key rules, the icon, PNGs, WAVs.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace art {

struct Rgb8 {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb8&) const = default;
};

inline std::uint16_t To565(Rgb8 c) {
    return static_cast<std::uint16_t>(((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
}

// A picture with 256 colours at most, index per pixel, top row first.
struct IndexedImage {
    int width = 0, height = 0;
    std::vector<Rgb8> palette;
    std::vector<std::uint8_t> pixels;
    Rgb8 ColourAt(int x, int y) const { return palette[pixels[static_cast<std::size_t>(y * width + x)]]; }
};

// Flattens a canvas onto `ground`: pixels less than half covered become the
// ground colour exactly, covered ones keep their colour. When `keyed`, no
// covered pixel may end up with the ground's RGB565 value (it would turn
// transparent on a 16-bit surface), so such colours are nudged away from it.
IndexedImage Flatten(const Canvas& canvas, Rgb8 ground, bool keyed);

bool WriteBmp8(const std::string& path, const IndexedImage& image);
bool WriteWav(const std::string& path, const std::vector<float>& samples, int rate);
bool WritePngRgba(const std::string& path, int width, int height, const std::vector<std::uint32_t>& argb);
// An icon file of 4-bit images (16 colours and a transparency mask), one per canvas.
bool WriteIco(const std::string& path, const std::vector<const Canvas*>& images);
bool WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);

}  // namespace art
