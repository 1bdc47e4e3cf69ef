// The flipping chain shown in a real window of the layer, read back through
// the seam, and the Alt+Enter switch between full screen and a window.
#include <SDL.h>

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
