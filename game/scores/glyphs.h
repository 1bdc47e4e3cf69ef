// Where each glyph lies in the two picture fonts, and which glyphs a number
// is drawn with. Pure arithmetic, so the layout can be checked without a
// display.
#pragma once

#include <windows.h>

namespace glyphs {

// Digit font: eleven 30 x 35 glyphs side by side, the digits 0 to 9 and then
// a blank glyph of plain ground.
constexpr int kDigitWidth = 30;
constexpr int kDigitHeight = 35;
constexpr int kBlankDigit = 10;

RECT DigitRect(int glyph);

// The glyphs of `digitCount` places showing `value`, left to right: the
// number left-aligned without its leading zeros, the places those zeros would
// take filled with blanks at the right end. The last place always shows a
// digit, a negative value shows as 0, and a value longer than the places
// shows only its lowest digits.
void DigitGlyphs(int value, int digitCount, int* glyphsOut);

// Letter font: a to z and a blank glyph in four rows of eight, 55 high, each
// letter as wide as its shape.
constexpr int kLetterHeight = 55;
constexpr int kBlankLetter = 26;

// The glyph of a character: a to z give theirs, anything else the blank.
int LetterGlyph(char c);

RECT LetterRect(int glyph);

}  // namespace glyphs
