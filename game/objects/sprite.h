// The record every drawable object begins with: where its hot-spot goes on
// the screen and which rectangle of which surface it shows.
#pragma once

#include <windows.h>
#include <ddraw.h>

class Sprite {
public:
    Sprite(int x, int y, int hotX, int hotY, RECT* srcRect, IDirectDrawSurface7* surface);

    // One BltFast so that the hot-spot lands on (x, y). No clipping: every
    // object keeps itself inside the screen by clamping its own position.
    HRESULT Draw(IDirectDrawSurface7* destination, bool keyed);

    // One Blt into {x, y, x + width, y + height}; the hot-spot is not used.
    HRESULT DrawSized(IDirectDrawSurface7* destination, bool keyed);

    // Offsets from the point to this record (record minus point) and their length.
    double Distance(double px, double py, double* dx, double* dy) const;

    int x;
    int y;
    int hotX;
    int hotY;
    RECT* srcRect;  // null: the whole surface
    IDirectDrawSurface7* surface;
    int width;   // read only by DrawSized
    int height;  // read only by DrawSized
};

static_assert(sizeof(int) == 4, "sprite fields are 32-bit");

// The class-wide surface of an object kind: load the picture (making the
// surface the first time, refilling it after a restore) and key it on its
// top-left pixel.
bool LoadKeyedSheet(IDirectDrawSurface7** slot, int bitmapId);
