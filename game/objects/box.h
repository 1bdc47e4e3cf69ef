// The bed: it drifts across the screen until the Wanderer gets into it.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

class Box : public Sprite {
public:
    // Four random draws: y, x, then the two speeds.
    Box();

    static bool LoadAssets();

    // One step; a wall sends that axis back at a new random speed.
    void Update();

    int velX;
    int velY;

    static IDirectDrawSurface7* sheet;
};
