// The software blitter against references on the same pixels: memcpy for an
// opaque full-screen copy, and SDL's colour-keyed RLE blitter for sprites and
// for a whole play frame.
#include <SDL.h>

#include <cstring>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "bench_surfaces.h"
#include "blit_ratios.h"

namespace {

constexpr std::uint16_t kKey = 0xF81F;

// A sprite frame as the game's pictures are drawn: a solid, shaded figure
// on the transparent colour, with a few holes and specks at its edge.
std::vector<std::uint16_t> Figure(int width, int height, unsigned seed) {
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(width) * height, kKey);
    const double cx = width / 2.0, cy = height / 2.0, rx = width * 0.42, ry = height * 0.46;
    unsigned state = seed;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const double dx = (x - cx) / rx, dy = (y - cy) / ry;
            const double d = dx * dx + dy * dy;
            state = state * 1103515245u + 12345u;
            if (d < 1.0 || (d < 1.1 && (state >> 16) % 3 == 0)) {
                const auto shade = static_cast<std::uint16_t>((x * 31 / width) << 11 | (y * 63 / height) << 5 |
                                                              ((state >> 20) & 0x1F));
                pixels[y * width + x] = shade == kKey ? static_cast<std::uint16_t>(kKey - 1) : shade;
            }
        }
    return pixels;
}

std::vector<std::uint16_t> Background() {
    std::vector<std::uint16_t> pixels(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) pixels[y * 800 + x] = static_cast<std::uint16_t>((x ^ y) * 37);
    return pixels;
}

// ---------------------------------------------------------------- our side

struct Ours {
    IDirectDraw7* dd = nullptr;
    Ours() {
        DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
        dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL);
    }
    IDirectDrawSurface7* Surface(int width, int height, const std::vector<std::uint16_t>& pixels, bool keyed) {
        return OffscreenSurface(dd, width, height, pixels, keyed, kKey);
    }
};

// ---------------------------------------------------------------- SDL side

SDL_Surface* SdlSurface(int width, int height, const std::vector<std::uint16_t>& pixels, bool keyed) {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, width, height, 16, SDL_PIXELFORMAT_RGB565);
    SDL_LockSurface(surface);
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(surface->pixels) + y * surface->pitch, pixels.data() + y * width,
                    static_cast<std::size_t>(width) * 2);
    SDL_UnlockSurface(surface);
    if (keyed) {
        SDL_SetColorKey(surface, SDL_TRUE, kKey);
        SDL_SetSurfaceRLE(surface, 1);
    }
    return surface;
}

// Positions of the objects of one play frame, all wholly on screen.
struct Placement {
    int x, y;
};
std::vector<Placement> Places(int count, int width, int height, unsigned seed) {
    std::vector<Placement> places;
    unsigned state = seed;
    for (int i = 0; i < count; ++i) {
        state = state * 1103515245u + 12345u;
        const int x = static_cast<int>((state >> 8) % static_cast<unsigned>(800 - width));
        state = state * 1103515245u + 12345u;
        const int y = static_cast<int>((state >> 8) % static_cast<unsigned>(565 - height));
        places.push_back({x, y});
    }
    return places;
}

// ---------------------------------------------------------------- opaque full screen

void OpaqueFullScreenBltFast(benchmark::State& state) {
    Ours ours;
    IDirectDrawSurface7* dest = ours.Surface(800, 600, std::vector<std::uint16_t>(800 * 600), false);
    IDirectDrawSurface7* source = ours.Surface(800, 600, Background(), false);
    for (auto _ : state) {
        dest->BltFast(0, 0, source, nullptr, DDBLTFAST_NOCOLORKEY);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 960000);
    dest->Release();
    source->Release();
    ours.dd->Release();
}
BENCHMARK(OpaqueFullScreenBltFast);

void OpaqueFullScreenMemcpy(benchmark::State& state) {
    std::vector<std::uint16_t> dest(800 * 600), source = Background();
    for (auto _ : state) {
        std::memcpy(dest.data(), source.data(), 960000);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * 960000);
}
BENCHMARK(OpaqueFullScreenMemcpy);

// ---------------------------------------------------------------- one keyed sprite

void KeyedSpriteBltFast(benchmark::State& state) {
    Ours ours;
    IDirectDrawSurface7* dest = ours.Surface(800, 600, Background(), false);
    IDirectDrawSurface7* sprite = ours.Surface(100, 100, Figure(100, 100, 7), true);
    const auto places = Places(64, 100, 100, 3);
    std::size_t i = 0;
    for (auto _ : state) {
        const Placement& p = places[i++ % places.size()];
        dest->BltFast(static_cast<DWORD>(p.x), static_cast<DWORD>(p.y), sprite, nullptr, DDBLTFAST_SRCCOLORKEY);
        benchmark::ClobberMemory();
    }
    dest->Release();
    sprite->Release();
    ours.dd->Release();
}
BENCHMARK(KeyedSpriteBltFast);

void KeyedSpriteSdlRle(benchmark::State& state) {
    SDL_Surface* dest = SdlSurface(800, 600, Background(), false);
    SDL_Surface* sprite = SdlSurface(100, 100, Figure(100, 100, 7), true);
    const auto places = Places(64, 100, 100, 3);
    std::size_t i = 0;
    for (auto _ : state) {
        const Placement& p = places[i++ % places.size()];
        SDL_Rect at{p.x, p.y, 100, 100};
        SDL_BlitSurface(sprite, nullptr, dest, &at);
        benchmark::ClobberMemory();
    }
    SDL_FreeSurface(dest);
    SDL_FreeSurface(sprite);
}
BENCHMARK(KeyedSpriteSdlRle);

// ---------------------------------------------------------------- a whole play frame

// The frame's draws in order: background, 25 drinks, 10 spectres, the
// figure, the box, the cursor figure, the status bar.
struct FrameLayout {
    std::vector<Placement> drinks = Places(25, 30, 100, 11);
    std::vector<Placement> spectres = Places(10, 100, 100, 12);
    Placement figure{350, 250}, box{500, 120}, cursor{200, 400};
};

void PlayFrameOurs(benchmark::State& state) {
    Ours ours;
    const FrameLayout layout;
    IDirectDrawSurface7* back = ours.Surface(800, 600, std::vector<std::uint16_t>(800 * 600), false);
    IDirectDrawSurface7* background = ours.Surface(800, 600, Background(), false);
    IDirectDrawSurface7* drinks = ours.Surface(90, 100, Figure(90, 100, 1), true);
    IDirectDrawSurface7* spectres = ours.Surface(600, 200, Figure(600, 200, 2), true);
    IDirectDrawSurface7* wanderer = ours.Surface(500, 400, Figure(500, 400, 3), true);
    IDirectDrawSurface7* box = ours.Surface(80, 92, Figure(80, 92, 4), true);
    IDirectDrawSurface7* cursor = ours.Surface(100, 100, Figure(100, 100, 5), true);
    IDirectDrawSurface7* bar = ours.Surface(800, 35, Background(), false);
    for (auto _ : state) {
        back->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY);
        for (std::size_t i = 0; i < layout.drinks.size(); ++i) {
            RECT r{static_cast<LONG>(i % 3) * 30, 0, static_cast<LONG>(i % 3) * 30 + 30, 100};
            back->BltFast(layout.drinks[i].x, layout.drinks[i].y, drinks, &r, DDBLTFAST_SRCCOLORKEY);
        }
        for (std::size_t i = 0; i < layout.spectres.size(); ++i) {
            RECT r{static_cast<LONG>(i % 6) * 100, static_cast<LONG>(i / 6) * 100, static_cast<LONG>(i % 6) * 100 + 100,
                   static_cast<LONG>(i / 6) * 100 + 100};
            back->BltFast(layout.spectres[i].x, layout.spectres[i].y, spectres, &r, DDBLTFAST_SRCCOLORKEY);
        }
        RECT face{100, 100, 200, 200};
        back->BltFast(layout.figure.x, layout.figure.y, wanderer, &face, DDBLTFAST_SRCCOLORKEY);
        back->BltFast(layout.box.x, layout.box.y, box, nullptr, DDBLTFAST_SRCCOLORKEY);
        back->BltFast(layout.cursor.x, layout.cursor.y, cursor, nullptr, DDBLTFAST_SRCCOLORKEY);
        back->BltFast(0, 565, bar, nullptr, DDBLTFAST_SRCCOLORKEY);
        benchmark::ClobberMemory();
    }
    for (IDirectDrawSurface7* s : {back, background, drinks, spectres, wanderer, box, cursor, bar}) s->Release();
    ours.dd->Release();
}
BENCHMARK(PlayFrameOurs);

void PlayFrameSdlRle(benchmark::State& state) {
    const FrameLayout layout;
    SDL_Surface* back = SdlSurface(800, 600, std::vector<std::uint16_t>(800 * 600), false);
    SDL_Surface* background = SdlSurface(800, 600, Background(), false);
    SDL_Surface* drinks = SdlSurface(90, 100, Figure(90, 100, 1), true);
    SDL_Surface* spectres = SdlSurface(600, 200, Figure(600, 200, 2), true);
    SDL_Surface* wanderer = SdlSurface(500, 400, Figure(500, 400, 3), true);
    SDL_Surface* box = SdlSurface(80, 92, Figure(80, 92, 4), true);
    SDL_Surface* cursor = SdlSurface(100, 100, Figure(100, 100, 5), true);
    SDL_Surface* bar = SdlSurface(800, 35, Background(), false);
    for (auto _ : state) {
        SDL_BlitSurface(background, nullptr, back, nullptr);
        for (std::size_t i = 0; i < layout.drinks.size(); ++i) {
            SDL_Rect r{static_cast<int>(i % 3) * 30, 0, 30, 100};
            SDL_Rect at{layout.drinks[i].x, layout.drinks[i].y, 30, 100};
            SDL_BlitSurface(drinks, &r, back, &at);
        }
        for (std::size_t i = 0; i < layout.spectres.size(); ++i) {
            SDL_Rect r{static_cast<int>(i % 6) * 100, static_cast<int>(i / 6) * 100, 100, 100};
            SDL_Rect at{layout.spectres[i].x, layout.spectres[i].y, 100, 100};
            SDL_BlitSurface(spectres, &r, back, &at);
        }
        SDL_Rect face{100, 100, 100, 100};
        SDL_Rect at{layout.figure.x, layout.figure.y, 100, 100};
        SDL_BlitSurface(wanderer, &face, back, &at);
        SDL_Rect boxAt{layout.box.x, layout.box.y, 80, 92};
        SDL_BlitSurface(box, nullptr, back, &boxAt);
        SDL_Rect cursorAt{layout.cursor.x, layout.cursor.y, 100, 100};
        SDL_BlitSurface(cursor, nullptr, back, &cursorAt);
        SDL_Rect barAt{0, 565, 800, 35};
        SDL_BlitSurface(bar, nullptr, back, &barAt);
        benchmark::ClobberMemory();
    }
    for (SDL_Surface* s : {back, background, drinks, spectres, wanderer, box, cursor, bar}) SDL_FreeSurface(s);
}
BENCHMARK(PlayFrameSdlRle);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"OpaqueFullScreenBltFast", "OpaqueFullScreenMemcpy", 1.1},
                          {"KeyedSpriteBltFast", "KeyedSpriteSdlRle", 0.8},
                          {"PlayFrameOurs", "PlayFrameSdlRle", 0.8}});
}
