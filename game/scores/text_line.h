// One line of words drawn from the letter font into a surface of its own, as
// wide as the line and one letter high.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

class TextLine : public Sprite {
public:
    // A blank line, keyed on its black ground, so drawn with the key only
    // letters show.
    TextLine(int x, int y, int width);
    ~TextLine();
    TextLine(const TextLine&) = delete;
    TextLine& operator=(const TextLine&) = delete;

    // Redraws the whole line: the text from the left edge, cut at the last
    // whole glyph that fits, and the rest wiped with the blank glyph.
    void SetText(const char* text);

    // Loads the letter font (no colour key).
    static bool LoadAssets();

    static IDirectDrawSurface7* font;

    int lineWidth;
};
