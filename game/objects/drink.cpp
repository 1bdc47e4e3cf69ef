#include "objects/drink.h"

#include "objects/game_random.h"
#include "shell/resource_ids.h"

IDirectDrawSurface7* Drink::sheet = nullptr;

namespace {

struct DrinkLook {
    RECT source;
    int hotX;
    int hotY;
};

// The bottle fills the left 50 columns of the picture; the tumbler sits above
// the pint in the right 40. Every drink of a kind points at the same rectangle.
DrinkLook drinkLooks[3] = {
    {{0, 0, 50, 100}, 25, 66},
    {{50, 0, 90, 50}, 20, 25},
    {{50, 50, 90, 100}, 20, 25},
};

}  // namespace

Drink::Drink(int x, int y) : Sprite(x, y, 0, 0, nullptr, sheet), kind(RandomScaled(3)) {
    DrinkLook& look = drinkLooks[kind];
    srcRect = &look.source;
    hotX = look.hotX;
    hotY = look.hotY;
}

bool Drink::LoadAssets() { return LoadKeyedSheet(&sheet, res::kDrinkBitmap); }
