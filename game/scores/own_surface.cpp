#include "scores/own_surface.h"

#include "shell/globals.h"
#include "surface_helpers.h"

namespace scores {

IDirectDrawSurface7* MakeOwnSurface(int width, int height) {
    if (directDraw == nullptr || width <= 0 || height <= 0) return nullptr;
    return MakeOffscreenSurface(directDraw, width, height);
}

void ReleaseOwnSurface(IDirectDrawSurface7*& surface) {
    if (surface != nullptr) surface->Release();
    surface = nullptr;
}

}  // namespace scores
