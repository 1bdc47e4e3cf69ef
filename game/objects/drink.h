// The lure the player drops: it lies where it fell until the Wanderer takes it.
#pragma once

#include <windows.h>
#include <ddraw.h>

#include "objects/sprite.h"

enum DrinkKind : int {
    Bottle = 0,
    Tumbler = 1,
    Pint = 2,
};

class Drink : public Sprite {
public:
    // One random draw picks the kind.
    Drink(int x, int y);

    static bool LoadAssets();

    int kind;  // a DrinkKind

    static IDirectDrawSurface7* sheet;
};
