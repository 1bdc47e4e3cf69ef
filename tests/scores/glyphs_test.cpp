// Glyph arithmetic of the two fonts, checked without a display.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scores/glyphs.h"

namespace {

// Glyphs as a string: digits as themselves, the blank as '_'.
std::string Places(int value, int digitCount) {
    std::vector<int> out(static_cast<std::size_t>(digitCount), -1);
    glyphs::DigitGlyphs(value, digitCount, out.data());
    std::string s;
    for (int g : out) s += g == glyphs::kBlankDigit ? '_' : static_cast<char>('0' + g);
    return s;
}

TEST(DigitGlyphs, LeftAlignedWithBlanksAtTheRightEnd) {
    struct Case {
        int value, places;
        const char* shown;
    };
    const Case cases[] = {
        {42, 5, "42___"},     {0, 5, "0____"},      {10305, 5, "10305"}, {100, 5, "100__"},
        {99, 5, "99___"},     {-7, 5, "0____"},     {123, 2, "23"},      {105, 2, "5_"},
        {100, 2, "0_"},       {7, 1, "7"},          {0, 1, "0"},         {2147483647, 9, "147483647"},
        {1000000000, 9, "0________"},  {65535, 5, "65535"},  {-2147483647 - 1, 3, "0__"},
        {5, 12, "5___________"},
    };
    for (const Case& c : cases) EXPECT_EQ(Places(c.value, c.places), c.shown) << c.value << " in " << c.places;
}

TEST(DigitGlyphs, RectanglesStepBy30) {
    const RECT blank = glyphs::DigitRect(glyphs::kBlankDigit);
    EXPECT_EQ(blank.left, 300);
    EXPECT_EQ(blank.right, 330);
    const RECT seven = glyphs::DigitRect(7);
    EXPECT_EQ(seven.left, 210);
    EXPECT_EQ(seven.top, 0);
    EXPECT_EQ(seven.bottom, 35);
}

TEST(LetterGlyphs, EveryGlyphRectangle) {
    struct Case {
        char c;
        LONG left, top, right, bottom;
    };
    const Case cases[] = {
        {'a', 0, 0, 35, 55},     {'b', 35, 0, 62, 55},     {'h', 230, 0, 265, 55},  {'i', 0, 55, 14, 110},
        {'m', 87, 55, 142, 110}, {'p', 211, 55, 243, 110}, {'q', 0, 110, 44, 165},  {'w', 202, 110, 257, 165},
        {'x', 257, 110, 296, 165}, {'y', 0, 165, 35, 220}, {'z', 35, 165, 70, 220}, {'{', 70, 165, 100, 220},
    };
    for (const Case& c : cases) {
        const RECT r = glyphs::LetterRect(glyphs::LetterGlyph(c.c));
        EXPECT_EQ(r.left, c.left) << c.c;
        EXPECT_EQ(r.top, c.top) << c.c;
        EXPECT_EQ(r.right, c.right) << c.c;
        EXPECT_EQ(r.bottom, c.bottom) << c.c;
    }
    // Each glyph is as wide as its shape; together a row never passes the font's 310 pixels.
    for (int g = 0; g <= glyphs::kBlankLetter; ++g) {
        const RECT r = glyphs::LetterRect(g);
        EXPECT_GT(r.right - r.left, 0) << g;
        EXPECT_LE(r.right, 310) << g;
    }
}

TEST(LetterGlyphs, OnlyLowerCaseLettersHaveShapes) {
    for (char c = 'a'; c <= 'z'; ++c) EXPECT_EQ(glyphs::LetterGlyph(c), c - 'a');
    const char others[] = {'A', 'Z', '0', '9', ' ', '`', '{', '~', '.', '\x7f', static_cast<char>(0x80),
                           static_cast<char>(0xE1), static_cast<char>(0xFF)};
    for (char c : others) EXPECT_EQ(glyphs::LetterGlyph(c), glyphs::kBlankLetter) << int(c);
}

}  // namespace
