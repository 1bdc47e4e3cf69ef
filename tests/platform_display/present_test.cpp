// The flipping chain shown in a real window of the layer, read back through
// the seam and from the window itself, and the Alt+Enter switch between full
// screen and a window.
#include <SDL.h>

#include <algorithm>
#include <cmath>

#include "display_fixture.h"
#include "seam/input.h"
#include "seam/video.h"

TEST(Present, FlipShowsTheBackBufferInTheWindow) {
    TestWindow window;
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window.handle(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);

    // A recognisable picture: a colour per quarter.
    const std::uint16_t colours[4] = {0xF800, 0x07E0, 0x001F, 0xFFFF};
    std::vector<std::uint16_t> picture(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) picture[y * 800 + x] = colours[(y >= 300) * 2 + (x >= 400)];
    Paint(back, picture);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    seam::PresentedFrame frame;
    ASSERT_TRUE(seam::ReadPresentedFrame(frame));
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);
    EXPECT_EQ(frame.pixels, picture);
    EXPECT_FALSE(seam::DisplayWindowed());

    // Alt+Enter makes a window a whole multiple of the frame, and back.
    seam::PushKey(window.handle(), SDLK_RETURN, SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
    Drain();
    EXPECT_TRUE(seam::DisplayWindowed());
    seam::PushKey(window.handle(), SDLK_RETURN, SDL_SCANCODE_RETURN, false, false, KMOD_LALT);
    seam::PushKey(window.handle(), SDLK_RETURN, SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
    Drain();
    EXPECT_FALSE(seam::DisplayWindowed());
    // The frame shown is still the picture.
    ASSERT_TRUE(seam::ReadPresentedFrame(frame));
    EXPECT_EQ(frame.pixels[599 * 800 + 799], 0xFFFF);

    back->Release();
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}

namespace {

// The one shown SDL window of the process (the layer's test window).
SDL_Window* ShownSdlWindow() {
    for (Uint32 id = 1; id < 64; ++id) {
        SDL_Window* sdl = SDL_GetWindowFromID(id);
        if (sdl && (SDL_GetWindowFlags(sdl) & SDL_WINDOW_SHOWN)) return sdl;
    }
    return nullptr;
}

std::uint8_t Nearest(unsigned value, unsigned max) { return static_cast<std::uint8_t>(std::lround(value * 255.0 / max)); }

}  // namespace

// Every 5-6-5 value reaches the window as its nearest 8-bit channels, as a
// 16-bit mode shows on Windows: red 4 is 33, not the 32 that rounding down gives.
TEST(Present, WindowShowsEveryColourAtItsNearest8BitValue) {
    TestWindow window;
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(window.handle(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);

    // All 65,536 values, row by row from the top left; the rest black.
    std::vector<std::uint16_t> picture(800 * 600, 0);
    for (unsigned v = 0; v < 65536; ++v) picture[v] = static_cast<std::uint16_t>(v);
    Paint(back, picture);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    Drain();

    SDL_Window* sdl = ShownSdlWindow();
    ASSERT_NE(sdl, nullptr);
    SDL_Surface* shown = SDL_GetWindowSurface(sdl);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->format->BytesPerPixel, 4);
    // Full screen on the display: the picture centred at a whole-number scale.
    const int scale = std::min(shown->w / 800, shown->h / 600);
    ASSERT_GE(scale, 1);
    const int left = (shown->w - 800 * scale) / 2, top = (shown->h - 600 * scale) / 2;
    int wrong = 0;
    for (unsigned v = 0; v < 65536; ++v) {
        const int x = left + static_cast<int>(v % 800) * scale, y = top + static_cast<int>(v / 800) * scale;
        const Uint32 pixel =
            *reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(shown->pixels) + y * shown->pitch + x * 4);
        Uint8 r, g, b;
        SDL_GetRGB(pixel, shown->format, &r, &g, &b);
        const bool right = r == Nearest(v >> 11, 31) && g == Nearest((v >> 5) & 63, 63) && b == Nearest(v & 31, 31);
        if (!right && ++wrong <= 3) ADD_FAILURE() << "5-6-5 value " << v << " shows as " << int(r) << ", " << int(g) << ", " << int(b);
    }
    EXPECT_EQ(wrong, 0);

    back->Release();
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}
