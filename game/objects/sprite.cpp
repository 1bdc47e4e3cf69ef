#include "objects/sprite.h"

#include <cmath>

#include "shell/globals.h"
#include "surface_helpers.h"

Sprite::Sprite(int x, int y, int hotX, int hotY, RECT* srcRect, IDirectDrawSurface7* surface)
    : x(x), y(y), hotX(hotX), hotY(hotY), srcRect(srcRect), surface(surface), width(0), height(0) {}

HRESULT Sprite::Draw(IDirectDrawSurface7* destination, bool keyed) {
    return destination->BltFast(static_cast<DWORD>(x - hotX), static_cast<DWORD>(y - hotY), surface,
                                srcRect, keyed ? DDBLTFAST_SRCCOLORKEY : DDBLTFAST_NOCOLORKEY);
}

HRESULT Sprite::DrawSized(IDirectDrawSurface7* destination, bool keyed) {
    RECT target = {x, y, x + width, y + height};
    return destination->Blt(&target, surface, srcRect, keyed ? DDBLT_KEYSRC : 0, nullptr);
}

double Sprite::Distance(double px, double py, double* dx, double* dy) const {
    *dx = x - px;
    *dy = y - py;
    return std::sqrt(*dx * *dx + *dy * *dy);
}

bool LoadKeyedSheet(IDirectDrawSurface7** slot, int bitmapId) {
    if (!LoadBitmapToSurface(directDraw, slot, bitmapId)) {
        return false;
    }
    return SetSrcColourKey(*slot, 0, 0) != 0;
}
