// Test support: a DirectDraw object for the game's globals with the real
// fonts and pictures loaded, and surfaces read back through Lock.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

class TextLine;

namespace scores_test {

// The pixels of a surface in its own format, row by row.
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
    // True when the w x h block at (x, y) equals the block of `other` at (ox, oy).
    bool SameBlock(int x, int y, const Image& other, int ox, int oy, int w, int h) const;
    // True when every pixel of the block is `value`.
    bool Uniform(int x, int y, int w, int h, std::uint32_t value) const;
};

Image ReadBack(IDirectDrawSurface7* surface);

// Writes `value` into every pixel of the surface.
void Fill(IDirectDrawSurface7* surface, std::uint32_t value);

// A plain off-screen surface for drawing onto.
IDirectDrawSurface7* MakeTarget(int width, int height);

// True when the w x h block at (x, y) of `image` shows the digit font's glyphs
// one after another: '0' to '9' the digits, '_' the blank glyph.
::testing::AssertionResult ShowsDigits(const Image& image, int x, int y, const std::string& glyphs);

// True when the line shows the letter font's glyphs for `text` from its left
// edge, each glyph named by its character (anything but a to z is the blank),
// and nothing but the blank glyph's colour after them.
::testing::AssertionResult ShowsText(const TextLine& line, const std::string& text);

// The letter font's blank colour.
std::uint32_t LetterBlank();

// Sets up the game's DirectDraw object and loads the four pictures the
// scores use; false (with a message) when any of it fails.
bool StartDisplay();

}  // namespace scores_test
