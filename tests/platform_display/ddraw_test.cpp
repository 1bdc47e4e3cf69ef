// The DirectDraw object and its surfaces: creation and its refusals, display
// modes, reference counts, locking, device contexts and the flipping chain.
#include <cstring>

#include "display_fixture.h"
#include "seam/faults.h"
#include "seam/video.h"

namespace {

DDSURFACEDESC2 Offscreen(DWORD width, DWORD height) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = width;
    desc.dwHeight = height;
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    return desc;
}

DDSURFACEDESC2 FlippingPrimary(DWORD backBuffers) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = backBuffers;
    return desc;
}

// A made-up window handle: the display only keeps it, and nothing shows.
HWND FakeWindow() {
    static int marker;
    return reinterpret_cast<HWND>(&marker);
}

}  // namespace

TEST(DirectDrawCreate, RefusesWhatItCannotMake) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &out, IID_IDirectDrawSurface7, nullptr), DDERR_INVALIDPARAMS);
    EXPECT_EQ(out, nullptr);
    IUnknown* outer = reinterpret_cast<IUnknown*>(&out);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, &out, IID_IDirectDraw7, outer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(DirectDrawCreateEx(nullptr, nullptr, IID_IDirectDraw7, nullptr), DDERR_INVALIDPARAMS);
}

TEST(DirectDrawCreate, ModulesLookUpTheEntryPoint) {
    HMODULE module = LoadLibraryA("ddraw.dll");
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(module, "DirectDrawCreateEx")),
              reinterpret_cast<void*>(&DirectDrawCreateEx));
    FreeLibrary(module);
}

TEST(DirectDrawModes, CooperativeLevelAndDisplayModeResults) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    EXPECT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DDERR_NOEXCLUSIVEMODE);
    EXPECT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DDERR_INVALIDPARAMS);
    EXPECT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN | DDSCL_NORMAL),
              DDERR_INVALIDPARAMS);
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), 0x11), DD_OK);
    struct Case {
        DWORD width, height, bpp, flags;
        HRESULT expected;
    } cases[] = {
        {800, 600, 16, 0, DD_OK},
        {640, 480, 16, 0, DD_OK},
        {800, 600, 32, 0, DDERR_INVALIDMODE},
        {800, 600, 8, 0, DDERR_INVALIDMODE},
        {801, 600, 16, 0, DDERR_INVALIDMODE},
        {800, 600, 16, 0x100, DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dd->SetDisplayMode(c.width, c.height, c.bpp, 0, c.flags), c.expected)
            << c.width << "x" << c.height << "x" << c.bpp;
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 mode{};
    mode.dwSize = sizeof(mode);
    ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 800u);
    EXPECT_EQ(mode.dwHeight, 600u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST(DirectDrawSurfaces, CreateSurfaceRefusesBadDescriptions) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    IDirectDrawSurface7* surface = nullptr;
    DDSURFACEDESC2 good = Offscreen(10, 10);
    EXPECT_EQ(dd->CreateSurface(&good, &surface, nullptr), DDERR_NOCOOPERATIVELEVELSET);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);

    DDSURFACEDESC2 wrongSize = good;
    wrongSize.dwSize = 124 + 4;
    DDSURFACEDESC2 noHeight = good;
    noHeight.dwFlags &= ~DDSD_HEIGHT;
    DDSURFACEDESC2 zeroWidth = good;
    zeroWidth.dwWidth = 0;
    DDSURFACEDESC2 huge = good;
    huge.dwWidth = 100000;
    DDSURFACEDESC2 otherFormat = good;
    otherFormat.dwFlags |= DDSD_PIXELFORMAT;
    otherFormat.ddpfPixelFormat.dwSize = sizeof(DDPIXELFORMAT);
    otherFormat.ddpfPixelFormat.dwFlags = DDPF_RGB;
    otherFormat.ddpfPixelFormat.dwRGBBitCount = 32;
    DDSURFACEDESC2 flipWithoutExclusive = FlippingPrimary(1);
    DDSURFACEDESC2 offscreenBackBuffer = good;
    offscreenBackBuffer.ddsCaps.dwCaps |= DDSCAPS_BACKBUFFER;
    struct Case {
        const char* name;
        DDSURFACEDESC2* desc;
        HRESULT expected;
    } cases[] = {
        {"null description", nullptr, DDERR_INVALIDPARAMS},
        {"wrong dwSize", &wrongSize, DDERR_INVALIDPARAMS},
        {"no height", &noHeight, DDERR_INVALIDPARAMS},
        {"zero width", &zeroWidth, DDERR_INVALIDPARAMS},
        {"absurd width", &huge, DDERR_TOOBIGWIDTH},
        {"32-bit format", &otherFormat, DDERR_INVALIDPIXELFORMAT},
        {"flipping chain without exclusive mode", &flipWithoutExclusive, DDERR_NOEXCLUSIVEMODE},
        {"off-screen back buffer", &offscreenBackBuffer, DDERR_INVALIDCAPS},
    };
    for (const Case& c : cases) {
        surface = reinterpret_cast<IDirectDrawSurface7*>(&cases);
        EXPECT_EQ(dd->CreateSurface(c.desc, &surface, nullptr), c.expected) << c.name;
        EXPECT_EQ(surface, nullptr) << c.name;
    }
    IUnknown* outer = reinterpret_cast<IUnknown*>(&surface);
    EXPECT_EQ(dd->CreateSurface(&good, &surface, outer), CLASS_E_NOAGGREGATION);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST(DirectDrawSurfaces, ReferenceCountsReachZero) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    DDSURFACEDESC2 desc = Offscreen(4, 4);
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    // A surface holds its DirectDraw object.
    EXPECT_EQ(dd->AddRef(), 3u);
    EXPECT_EQ(dd->Release(), 2u);
    EXPECT_EQ(surface->AddRef(), 2u);
    EXPECT_EQ(surface->Release(), 1u);
    EXPECT_EQ(surface->Release(), 0u);

    DDSURFACEDESC2 chain = FlippingPrimary(1);
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&chain, &primary, nullptr), DD_OK);
    IDirectDrawSurface7* second = nullptr;
    EXPECT_EQ(dd->CreateSurface(&chain, &second, nullptr), DDERR_PRIMARYSURFACEALREADYEXISTS);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);
    caps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* none = nullptr;
    EXPECT_EQ(primary->GetAttachedSurface(&caps, &none), DDERR_NOTFOUND);
    // The chain holds the back buffer, and so does the caller now.
    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(primary->Release(), 0u);
    // With the chain gone a new primary can be made.
    ASSERT_EQ(dd->CreateSurface(&chain, &primary, nullptr), DD_OK);
    EXPECT_EQ(primary->Release(), 0u);

    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    PALETTEENTRY entries[256]{};
    IDirectDrawPalette* palette = nullptr;
    ASSERT_EQ(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr), DD_OK);
    EXPECT_EQ(palette->Release(), 0u);
    EXPECT_EQ(clipper->Release(), 0u);
    EXPECT_EQ(dd->RestoreAllSurfaces(), DD_OK);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DisplayTest, LockDescribesTheSurfaceAndExcludesOtherAccess) {
    IDirectDrawSurface7* surface = Make(13, 7, 0x1234);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(desc.dwWidth, 13u);
    EXPECT_EQ(desc.dwHeight, 7u);
    EXPECT_GE(desc.lPitch, 26);
    EXPECT_EQ(desc.lPitch % 2, 0);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRGBBitCount, 16u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwRBitMask, 0xF800u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwGBitMask, 0x07E0u);
    EXPECT_EQ(desc.ddpfPixelFormat.dwBBitMask, 0x001Fu);
    ASSERT_NE(desc.lpSurface, nullptr);
    const auto* last = reinterpret_cast<const std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                              6 * desc.lPitch);
    EXPECT_EQ(last[12], 0x1234);

    // While locked: no second lock, no DC, no blit.
    DDSURFACEDESC2 again{};
    again.dwSize = sizeof(again);
    EXPECT_EQ(surface->Lock(nullptr, &again, DDLOCK_WAIT, nullptr), DDERR_SURFACEBUSY);
    HDC dc = nullptr;
    EXPECT_EQ(surface->GetDC(&dc), DDERR_SURFACEBUSY);
    IDirectDrawSurface7* other = Make(13, 7);
    EXPECT_EQ(other->BltFast(0, 0, surface, nullptr, DDBLTFAST_WAIT), DDERR_SURFACEBUSY);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
    EXPECT_EQ(surface->Unlock(nullptr), DDERR_NOTLOCKED);

    // While a DC is out the surface is busy as well.
    ASSERT_EQ(surface->GetDC(&dc), DD_OK);
    EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
    HDC second = nullptr;
    EXPECT_EQ(surface->GetDC(&second), DDERR_DCALREADYCREATED);
    EXPECT_EQ(surface->ReleaseDC(dc), DD_OK);
    EXPECT_EQ(surface->ReleaseDC(dc), DDERR_NODC);

    // A locked rectangle starts at its own corner; one outside is refused.
    RECT part{2, 3, 5, 6};
    ASSERT_EQ(surface->Lock(&part, &again, 0, nullptr), DD_OK);
    EXPECT_EQ(static_cast<std::uint8_t*>(again.lpSurface) - static_cast<std::uint8_t*>(desc.lpSurface),
              3 * desc.lPitch + 2 * 2);
    surface->Unlock(&part);
    RECT outside{10, 0, 14, 2};
    EXPECT_EQ(surface->Lock(&outside, &again, 0, nullptr), DDERR_INVALIDRECT);
    desc.dwSize = 124;
    EXPECT_EQ(surface->Lock(nullptr, &desc, 0, nullptr), sizeof(DDSURFACEDESC2) == 124 ? DD_OK : DDERR_INVALIDPARAMS);
}

TEST_F(DisplayTest, ColourKeysAreKeptAndReported) {
    IDirectDrawSurface7* surface = Make(2, 2);
    DDCOLORKEY key{};
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    DDCOLORKEY set{0x12345, 0x12345};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &set), DD_OK);
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x2345u);  // a 16-bit surface keeps 16 bits
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_TRUE(desc.dwFlags & DDSD_CKSRCBLT);
    EXPECT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, nullptr), DD_OK);
    EXPECT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
    EXPECT_EQ(surface->SetColorKey(0, &set), DDERR_INVALIDPARAMS);
}

TEST_F(DisplayTest, SeamFailuresComeFirstAndDrawNothing) {
    IDirectDrawSurface7* dest = Make(4, 4, 0);
    IDirectDrawSurface7* source = Make(4, 4, 0x7777);
    seam::FailNextCalls(seam::FaultCall::BltFast, 2, DDERR_SURFACELOST);
    seam::FailNextCalls(seam::FaultCall::Blt, 1, DDERR_WASSTILLDRAWING);
    EXPECT_EQ(dest->BltFast(0, 0, source, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(dest->BltFast(0, 0, source, nullptr, 0), DDERR_SURFACELOST);
    EXPECT_EQ(dest->Blt(nullptr, source, nullptr, 0, nullptr), DDERR_WASSTILLDRAWING);
    EXPECT_EQ(PixelAt(dest, 0, 0), 0);
    EXPECT_EQ(dest->BltFast(0, 0, source, nullptr, 0), DD_OK);
    EXPECT_EQ(PixelAt(dest, 3, 3), 0x7777);
    seam::ClearFaults();
}

TEST(DirectDrawFlip, FlipSwapsTheChainAndPresentsTheNewFront) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ(dd->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 chain = FlippingPrimary(1);
    IDirectDrawSurface7* primary = nullptr;
    ASSERT_EQ(dd->CreateSurface(&chain, &primary, nullptr), DD_OK);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(primary->GetAttachedSurface(&caps, &back), DD_OK);

    PaintPixel(back, 799, 599, 0xF800);
    PaintPixel(primary, 0, 0, 0x001F);
    ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(PixelAt(primary, 799, 599), 0xF800);
    EXPECT_EQ(PixelAt(back, 0, 0), 0x001F);  // the old front is the new back buffer

    seam::PresentedFrame frame;
    ASSERT_TRUE(seam::ReadPresentedFrame(frame));
    EXPECT_EQ(frame.width, 800);
    EXPECT_EQ(frame.height, 600);
    EXPECT_EQ(frame.pixels[599 * 800 + 799], 0xF800);
    EXPECT_EQ(frame.pixels[0], 0);

    EXPECT_EQ(back->Flip(nullptr, 0), DDERR_NOTFLIPPABLE);
    seam::FailNextCalls(seam::FaultCall::Flip, 1, DDERR_SURFACELOST);
    const unsigned long before = frame.count;
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACELOST);
    ASSERT_TRUE(seam::ReadPresentedFrame(frame));
    EXPECT_EQ(frame.count, before);
    HDC dc = nullptr;
    ASSERT_EQ(back->GetDC(&dc), DD_OK);
    EXPECT_EQ(primary->Flip(nullptr, 0), DDERR_SURFACEBUSY);
    back->ReleaseDC(dc);
    EXPECT_EQ(primary->Flip(nullptr, 0), DD_OK);
    EXPECT_EQ(PixelAt(primary, 0, 0), 0x001F);

    back->Release();
    EXPECT_EQ(primary->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}
