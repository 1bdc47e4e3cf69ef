// The head the player moves with the mouse; drinks fall where it stands.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

class CursorFigure : public Sprite {
public:
    CursorFigure(int x, int y);

    static bool LoadAssets();

    // Moves by the mouse's relative motion and keeps the whole head on screen.
    void Move(int dx, int dy);

    static IDirectDrawSurface7* sheet;
};
