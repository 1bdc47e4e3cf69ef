// The name typed on the game-over screen, shown as it grows.
#pragma once

#include "scores/text_line.h"

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
