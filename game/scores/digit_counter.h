// A number drawn from the digit font into a surface of its own, then put on
// screen like any sprite.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

class DigitCounter : public Sprite {
public:
    // Counts above this are not used by the game; larger ones are cut to it.
    static constexpr int kMaxDigits = 10;

    // Draws `value` at once; keyed on the first glyph's ground, so drawn with
    // the key only the digit shapes show.
    DigitCounter(int x, int y, int digitCount, int value);
    ~DigitCounter();
    DigitCounter(const DigitCounter&) = delete;
    DigitCounter& operator=(const DigitCounter&) = delete;

    // Redraws every place for `value`, so nothing of an earlier value stays.
    void SetValue(int value);

    // Loads the digit font (no colour key). Also repaints it after a restore.
    static bool LoadAssets();

    static IDirectDrawSurface7* font;

    int digitCount;
};
