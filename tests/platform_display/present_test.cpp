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
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_NO_FATAL_FAILURE(StartFullScreenChain(window.handle(), &dd, &primary));
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

// A full-screen 800 x 600 flipping chain in a test window.
class PresentedChain : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(StartFullScreenChain(window.handle(), &dd, &primary));
        DDSCAPS2 caps{};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    }
    void TearDown() override {
        if (back) back->Release();
        if (primary) {
            EXPECT_EQ(primary->Release(), 0u);
        }
        if (dd) {
            EXPECT_EQ(dd->Release(), 0u);
        }
    }
    void Show(const std::vector<std::uint16_t>& picture) {
        Paint(back, picture);
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        Drain();
    }

    TestWindow window;
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;
};

}  // namespace

// --window reaches the layer as WINLAYER_WINDOWED=1, read when the first frame
// binds the window: that frame is shown in a window, and Alt+Enter still
// switches to full screen.
TEST_F(PresentedChain, AProgramStartedWindowedShowsItsFirstFrameInAWindow) {
    setenv("WINLAYER_WINDOWED", "1", 1);
    Show(std::vector<std::uint16_t>(800 * 600, 0x07E0));
    unsetenv("WINLAYER_WINDOWED");
    EXPECT_TRUE(seam::DisplayWindowed());
    seam::PushKey(window.handle(), SDLK_RETURN, SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
    Drain();
    EXPECT_FALSE(seam::DisplayWindowed());
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

std::uint8_t Nearest(unsigned value, unsigned max) {
    return static_cast<std::uint8_t>(std::lround(value * 255.0 / max));
}

// Checks every pixel of the window: the picture centred at a whole-number
// scale, each 5-6-5 value at its nearest 8-bit channels, black around it.
// Reports the first few wrong pixels.
void ExpectWindowShows(const std::vector<std::uint16_t>& picture) {
    SDL_Window* sdl = ShownSdlWindow();
    ASSERT_NE(sdl, nullptr);
    SDL_Surface* shown = SDL_GetWindowSurface(sdl);
    ASSERT_NE(shown, nullptr);
    ASSERT_EQ(shown->format->BytesPerPixel, 4);
    const int scale = std::min(shown->w / 800, shown->h / 600);
    ASSERT_GE(scale, 1);
    const int left = (shown->w - 800 * scale) / 2, top = (shown->h - 600 * scale) / 2;
    int wrong = 0;
    for (int y = 0; y < shown->h; ++y) {
        for (int x = 0; x < shown->w; ++x) {
            const int px = (x - left) / scale, py = (y - top) / scale;
            const bool inside = x >= left && y >= top && px < 800 && py < 600;
            const unsigned v = inside ? picture[py * 800 + px] : 0;
            const Uint32 pixel = *reinterpret_cast<const Uint32*>(static_cast<const std::uint8_t*>(shown->pixels) +
                                                                  y * shown->pitch + x * 4);
            Uint8 r, g, b;
            SDL_GetRGB(pixel, shown->format, &r, &g, &b);
            if (r == Nearest(v >> 11, 31) && g == Nearest((v >> 5) & 63, 63) && b == Nearest(v & 31, 31)) continue;
            if (++wrong <= 3)
                ADD_FAILURE() << "at " << x << ", " << y << " 5-6-5 value " << v << " shows as " << int(r) << ", "
                              << int(g) << ", " << int(b);
        }
    }
    EXPECT_EQ(wrong, 0);
}

}  // namespace

// Every 5-6-5 value reaches the window as its nearest 8-bit channels, as a
// 16-bit mode shows on Windows: red 4 is 33, not the 32 that rounding down gives.
TEST_F(PresentedChain, WindowShowsEveryColourAtItsNearest8BitValue) {
    std::vector<std::uint16_t> picture(800 * 600, 0);
    for (unsigned v = 0; v < 65536; ++v) picture[v] = static_cast<std::uint16_t>(v);
    Show(picture);
    ExpectWindowShows(picture);
}

// Only what changed is sent again: changes on tile edges, in the last partial
// row of tiles and in the corners all reach the window, and so does the whole
// frame after the window changes size.
TEST_F(PresentedChain, ChangedPartsReachTheWindow) {
    std::vector<std::uint16_t> picture(800 * 600);
    for (int i = 0; i < 800 * 600; ++i) picture[i] = static_cast<std::uint16_t>(i * 2654435761u >> 16);
    Show(picture);
    ExpectWindowShows(picture);
    // Within one row of tiles, changes on different rows reach different tiles.
    for (const auto& [x, y] : {std::pair{0, 0}, {63, 15}, {64, 16}, {799, 0}, {0, 599}, {799, 599}, {400, 300},
                               {200, 15}, {130, 33}, {700, 46}})
        picture[y * 800 + x] ^= 0xFFFF;
    for (int x = 100; x < 300; ++x) picture[597 * 800 + x] = 0x07E0;
    Show(picture);
    ExpectWindowShows(picture);
    Show(picture);  // nothing changed
    ExpectWindowShows(picture);

    seam::PushKey(window.handle(), SDLK_RETURN, SDL_SCANCODE_RETURN, true, false, KMOD_LALT);
    Drain();
    ASSERT_TRUE(seam::DisplayWindowed());
    picture[0] = 0x1234;
    Show(picture);
    ExpectWindowShows(picture);
}

// A game redraws its whole background every frame and puts pictures over it;
// most rows then come out as they were, and only the rest need drawing,
// comparing and sending. Every frame must still show exactly as drawn: a
// still picture, one whose rows scroll, a background that changes under it,
// and a sprite that moves.
TEST_F(PresentedChain, FramesRedrawnOverAWholeBackgroundShowAsDrawn) {
    std::vector<std::uint16_t> background(800 * 600);
    for (int i = 0; i < 800 * 600; ++i) background[i] = static_cast<std::uint16_t>(i * 2654435761u >> 16);
    IDirectDrawSurface7* backgroundSurface = OffscreenSurface(dd, 800, 600);
    IDirectDrawSurface7* overlay = OffscreenSurface(dd, 800, 600);
    ASSERT_TRUE(backgroundSurface && overlay);
    Paint(backgroundSurface, background);
    DDCOLORKEY black{0, 0};
    ASSERT_EQ(overlay->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
    // A frame around the screen and a scrolling band of stripes.
    const auto overlayAt = [](int scroll) {
        std::vector<std::uint16_t> pixels(800 * 600, 0);
        for (int y = 0; y < 600; ++y)
            for (int x = 0; x < 800; ++x) {
                if (y < 10 || y >= 590 || x < 10 || x >= 790) pixels[y * 800 + x] = 0xFFE0;
                if (y >= 400 && y < 500 && ((y + scroll) / 4) % 2 == 0 && x >= 50 && x < 750)
                    pixels[y * 800 + x] = 0x001F;
            }
        return pixels;
    };
    const auto frameOf = [](std::vector<std::uint16_t> under, const std::vector<std::uint16_t>& over) {
        for (std::size_t i = 0; i < under.size(); ++i)
            if (over[i] != 0) under[i] = over[i];
        return under;
    };
    for (int frame = 0; frame < 8; ++frame) {
        const int scroll = frame < 4 ? 0 : frame;  // still, then scrolling
        auto over = overlayAt(scroll);
        Paint(overlay, over);
        if (frame == 6) {  // the background changes under a few rows
            for (int x = 0; x < 800; ++x) background[300 * 800 + x] = background[301 * 800 + x] = 0x7BEF;
            Paint(backgroundSurface, background);
        }
        ASSERT_EQ(back->BltFast(0, 0, backgroundSurface, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
        ASSERT_EQ(back->BltFast(0, 0, overlay, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
        auto want = frameOf(background, over);
        if (frame >= 2) {  // a sprite from the overlay's corner, moving right
            RECT corner{0, 0, 32, 32};
            ASSERT_EQ(back->BltFast(100 + 7 * frame, 200, overlay, &corner, DDBLTFAST_SRCCOLORKEY), DD_OK);
            for (int y = 0; y < 32; ++y)
                for (int x = 0; x < 32; ++x)
                    if (over[y * 800 + x] != 0) want[(200 + y) * 800 + 100 + 7 * frame + x] = over[y * 800 + x];
        }
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        Drain();
        seam::PresentedFrame shown;
        ASSERT_TRUE(seam::ReadPresentedFrame(shown));
        ASSERT_EQ(shown.pixels, want) << "frame " << frame;
        ExpectWindowShows(want);
    }
    overlay->Release();
    backgroundSurface->Release();
}

// Nothing is repainted here, so every row name the copies give is all the
// present goes by: a picture keyed over rows another keyed copy has already
// drawn must still be seen to move, to stay and to come back.
TEST_F(PresentedChain, PicturesKeyedOverOneAnotherShowWhereTheyAre) {
    std::vector<std::uint16_t> background(800 * 600);
    for (int i = 0; i < 800 * 600; ++i) background[i] = static_cast<std::uint16_t>(i * 2246822519u >> 16);
    std::vector<std::uint16_t> overlay(800 * 600, 0);
    for (int y = 180; y < 260; ++y)
        for (int x = 0; x < 800; x += 3) overlay[y * 800 + x] = 0xF800;
    std::vector<std::uint16_t> sprite(24 * 24, 0);
    for (int i = 0; i < 24 * 24; ++i)
        if ((i / 24 + i % 24) % 5 != 0) sprite[i] = 0x07E0;
    IDirectDrawSurface7* backgroundSurface = OffscreenSurface(dd, 800, 600);
    IDirectDrawSurface7* overlaySurface = OffscreenSurface(dd, 800, 600);
    IDirectDrawSurface7* spriteSurface = OffscreenSurface(dd, 24, 24);
    ASSERT_TRUE(backgroundSurface && overlaySurface && spriteSurface);
    Paint(backgroundSurface, background);
    Paint(overlaySurface, overlay);
    Paint(spriteSurface, sprite);
    DDCOLORKEY black{0, 0};
    ASSERT_EQ(overlaySurface->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
    ASSERT_EQ(spriteSurface->SetColorKey(DDCKEY_SRCBLT, &black), DD_OK);
    // Two sprites on the overlay's rows, the second over the first where
    // they meet: moving, standing still for a frame, and back where they began.
    const int places[] = {100, 130, 130, 160, 100};
    for (int frame = 0; frame < 5; ++frame) {
        auto want = background;
        const auto put = [&](const std::vector<std::uint16_t>& picture, int width, int height, int left, int top) {
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if (picture[y * width + x] != 0) want[(top + y) * 800 + left + x] = picture[y * width + x];
        };
        ASSERT_EQ(back->BltFast(0, 0, backgroundSurface, nullptr, DDBLTFAST_NOCOLORKEY), DD_OK);
        ASSERT_EQ(back->BltFast(0, 0, overlaySurface, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
        put(overlay, 800, 600, 0, 0);
        for (const int top : {200, 210}) {
            ASSERT_EQ(back->BltFast(places[frame], top, spriteSurface, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
            put(sprite, 24, 24, places[frame], top);
        }
        ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
        Drain();
        seam::PresentedFrame shown;
        ASSERT_TRUE(seam::ReadPresentedFrame(shown));
        ASSERT_EQ(shown.pixels, want) << "frame " << frame;
    }
    for (IDirectDrawSurface7* s : {backgroundSurface, overlaySurface, spriteSurface}) s->Release();
}
