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

// The name typed on the game-over screen, shown as it grows.
class NameEntry : public TextLine {
public:
    static constexpr int kMaxLength = 16;

    NameEntry(int x, int y, int width);

    // Applies one virtual-key code of a key-down: letters A to Z type their
    // lower-case letter, Space a space, Backspace deletes the last character,
    // Enter finishes (true). Everything else, and typing past 16 characters,
    // is ignored.
    bool OnKey(int keyCode);

    const char* Name() const { return name; }

    char name[kMaxLength + 1];
    int length;
};
