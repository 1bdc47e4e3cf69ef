#include "objects/box.h"

#include "objects/game_random.h"
#include "shell/resource_ids.h"

IDirectDrawSurface7* Box::sheet = nullptr;

// With the hot-spot at (35, 60) of the 80 x 92 picture these bounds keep the
// whole box on the screen.
Box::Box() : Sprite(0, 0, 35, 60, nullptr, sheet), velX(0), velY(0) {
    y = 61 + RandomScaled(506);
    x = 36 + RandomScaled(718);
    velX = 1 + RandomScaled(5);
    velY = 1 + RandomScaled(5);
}

bool Box::LoadAssets() { return LoadKeyedSheet(&sheet, res::kBoxBitmap); }

void Box::Update() {
    x += velX;
    y += velY;
    if (x > 754) {
        x = 754;
        velX = -(1 + RandomScaled(5));
    }
    if (x < 36) {
        x = 36;
        velX = 1 + RandomScaled(5);
    }
    if (y > 567) {
        y = 567;
        velY = -(1 + RandomScaled(5));
    }
    if (y < 61) {
        y = 61;
        velY = 1 + RandomScaled(5);
    }
}
