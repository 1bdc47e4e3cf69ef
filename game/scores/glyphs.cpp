#include "scores/glyphs.h"

namespace glyphs {

namespace {

constexpr int kLettersPerRow = 8;

// Left edges of the glyphs row by row, with each row's right end; a glyph
// runs from its value to the next. A drop marks a new row starting at 0.
constexpr int kLetterEdges[28] = {0,   35,  62,  94,  134, 165, 198, 230, 265, 14,
                                  37,  68,  87,  142, 177, 211, 243, 44,  79,  105,
                                  133, 167, 202, 257, 296, 35,  70,  100};

}  // namespace

RECT DigitRect(int glyph) {
    return RECT{glyph * kDigitWidth, 0, (glyph + 1) * kDigitWidth, kDigitHeight};
}

void DigitGlyphs(int value, int digitCount, int* glyphsOut) {
    // (value mod 10^k) div 10^(k-1), the digit of place k; an int has no more
    // than ten places, so any place above the tenth is 0.
    static constexpr int kPowers[10] = {1,      10,      100,      1000,      10000,
                                        100000, 1000000, 10000000, 100000000, 1000000000};
    const int shown = value < 0 ? 0 : value;
    int drawn = 0;
    int blanks = 0;
    bool leading = true;
    for (int k = digitCount; k >= 1; --k) {
        const int digit = k > 10 ? 0 : shown / kPowers[k - 1] % 10;
        if (leading && digit == 0 && k != 1) {
            ++blanks;
            continue;
        }
        if (digit != 0) leading = false;
        glyphsOut[drawn++] = digit;
    }
    while (blanks-- > 0) glyphsOut[drawn++] = kBlankDigit;
}

int LetterGlyph(char c) {
    const int glyph = static_cast<signed char>(c) - 'a';
    return glyph < 0 || glyph > kBlankLetter ? kBlankLetter : glyph;
}

RECT LetterRect(int glyph) {
    int left = kLetterEdges[glyph];
    const int right = kLetterEdges[glyph + 1];
    if (right < left) left = 0;
    const int top = glyph / kLettersPerRow * kLetterHeight;
    return RECT{left, top, right, top + kLetterHeight};
}

}  // namespace glyphs
