// The class icon of a window, handed to the desktop.
#include <SDL.h>

#include "resources_internal.h"

namespace layer {

void ApplyWindowIcon(SDL_Window* window, HICON icon) {
    if (window == nullptr || icon == nullptr) return;
    std::vector<std::uint32_t> pixels;
    int width = 0, height = 0;
    if (!DecodeIcon(icon, 32, pixels, width, height)) return;
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr) return;
    SDL_SetWindowIcon(window, surface);  // SDL copies the pixels
    SDL_FreeSurface(surface);
}

}  // namespace layer
