// The DirectDraw object and its surfaces: creation and its refusals, display
// modes, reference counts, locking, device contexts and the flipping chain.
#include <cstring>

#include "display_fixture.h"
#include "seam/faults.h"
#include "seam/video.h"
#include "test_window.h"

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

DDSURFACEDESC2 Primary(DWORD moreCaps) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | moreCaps;
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
    DDSURFACEDESC2 writeOnly = good;
    writeOnly.ddsCaps.dwCaps |= DDSCAPS_WRITEONLY;
    DDSURFACEDESC2 primaryFront = Primary(DDSCAPS_FRONTBUFFER);
    DDSURFACEDESC2 primaryFlipNotComplex = Primary(DDSCAPS_FLIP);
    DDSURFACEDESC2 primaryChainWithoutCount = Primary(DDSCAPS_FLIP | DDSCAPS_COMPLEX);
    DDSURFACEDESC2 offscreenChainWithoutCount = good;
    offscreenChainWithoutCount.ddsCaps.dwCaps |= DDSCAPS_FLIP | DDSCAPS_COMPLEX;
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
        {"write-only surface", &writeOnly, DDERR_INVALIDCAPS},
        {"primary named the front buffer", &primaryFront, DDERR_INVALIDCAPS},
        {"flipping primary that is not complex", &primaryFlipNotComplex, DDERR_INVALIDCAPS},
        {"flipping primary without a back buffer count", &primaryChainWithoutCount, DDERR_INVALIDCAPS},
        {"off-screen chain without a back buffer count", &offscreenChainWithoutCount, DDERR_INVALIDCAPS},
    };
    for (const Case& c : cases) {
        surface = reinterpret_cast<IDirectDrawSurface7*>(&cases);
        EXPECT_EQ(dd->CreateSurface(c.desc, &surface, nullptr), c.expected) << c.name;
        EXPECT_EQ(surface, nullptr) << c.name;
    }
    IUnknown* outer = reinterpret_cast<IUnknown*>(&surface);
    EXPECT_EQ(dd->CreateSurface(&good, &surface, outer), CLASS_E_NOAGGREGATION);

    // In exclusive mode the chain's own faults are still the caps'.
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    DDSURFACEDESC2 noBackBuffers = FlippingPrimary(0);
    DDSURFACEDESC2 namedFront = FlippingPrimary(1);
    namedFront.ddsCaps.dwCaps |= DDSCAPS_FRONTBUFFER;
    DDSURFACEDESC2 namedBack = FlippingPrimary(1);
    namedBack.ddsCaps.dwCaps |= DDSCAPS_BACKBUFFER;
    const Case exclusive[] = {
        {"flipping primary of no back buffers", &noBackBuffers, DDERR_INVALIDCAPS},
        {"front buffer named inside a flipping chain", &namedFront, DDERR_INVALIDCAPS},
        {"back buffer named inside a flipping chain", &namedBack, DDERR_INVALIDCAPS},
        {"primary named the front buffer", &primaryFront, DDERR_INVALIDCAPS},
    };
    for (const Case& c : exclusive) {
        surface = reinterpret_cast<IDirectDrawSurface7*>(&cases);
        EXPECT_EQ(dd->CreateSurface(c.desc, &surface, nullptr), c.expected) << c.name;
        EXPECT_EQ(surface, nullptr) << c.name;
    }
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
    EXPECT_EQ(surface->Lock(&outside, &again, 0, nullptr), DDERR_INVALIDPARAMS);
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
    // A high value under the low one is no range: it reads back as the low one.
    DDCOLORKEY backwards{0x00FF, 0x0001};
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT | DDCKEY_COLORSPACE, &backwards), DD_OK);
    ASSERT_EQ(surface->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x00FFu);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x00FFu);
    ASSERT_EQ(surface->SetColorKey(DDCKEY_SRCBLT, &set), DD_OK);
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

TEST_F(DisplayTest, LockRectanglesAndWhatAFailedLockLeaves) {
    IDirectDrawSurface7* surface = Make(16, 8);
    DDSURFACEDESC2 whole{};
    whole.dwSize = sizeof(whole);
    ASSERT_EQ(surface->Lock(nullptr, &whole, 0, nullptr), DD_OK);
    ASSERT_EQ(surface->Unlock(nullptr), DD_OK);
    const auto* base = static_cast<std::uint8_t*>(whole.lpSurface);
    struct Case {
        const char* name;
        RECT rect;
        HRESULT expected;
    } cases[] = {
        {"inside", {2, 1, 6, 5}, DD_OK},
        {"touching the right and bottom edges", {12, 4, 16, 8}, DD_OK},
        {"zero width", {3, 2, 3, 6}, DD_OK},
        {"zero height", {3, 2, 9, 2}, DD_OK},
        {"left beyond right", {6, 1, 2, 5}, DDERR_INVALIDPARAMS},
        {"top beyond bottom", {2, 5, 6, 1}, DDERR_INVALIDPARAMS},
        {"left of the surface", {-2, 1, 4, 5}, DDERR_INVALIDPARAMS},
        {"above the surface", {2, -1, 6, 5}, DDERR_INVALIDPARAMS},
        {"past the right edge", {12, 1, 17, 5}, DDERR_INVALIDPARAMS},
        {"past the bottom edge", {2, 4, 6, 9}, DDERR_INVALIDPARAMS},
        {"wholly outside", {20, 10, 24, 12}, DDERR_INVALIDPARAMS},
    };
    for (const Case& c : cases) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        desc.lpSurface = &desc;  // stale: a failed Lock must not leave it
        RECT rect = c.rect;
        EXPECT_EQ(surface->Lock(&rect, &desc, 0, nullptr), c.expected) << c.name;
        if (c.expected != DD_OK) {
            EXPECT_EQ(desc.lpSurface, nullptr) << c.name;
            continue;
        }
        EXPECT_EQ(static_cast<std::uint8_t*>(desc.lpSurface) - base, c.rect.top * whole.lPitch + c.rect.left * 2)
            << c.name;
        EXPECT_EQ(surface->Unlock(&rect), DD_OK) << c.name;
    }

    // Busy: the second Lock fails and clears the pointer too.
    ASSERT_EQ(surface->Lock(nullptr, &whole, 0, nullptr), DD_OK);
    DDSURFACEDESC2 again{};
    again.dwSize = sizeof(again);
    again.lpSurface = &again;
    EXPECT_EQ(surface->Lock(nullptr, &again, 0, nullptr), DDERR_SURFACEBUSY);
    EXPECT_EQ(again.lpSurface, nullptr);
    EXPECT_EQ(surface->Unlock(nullptr), DD_OK);
}

TEST(DirectDrawFlip, EachSurfaceOfTheChainReachesTheNextByFlipCaps) {
    IDirectDraw7* dd = nullptr;
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(FakeWindow(), DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    DDSURFACEDESC2 desc = FlippingPrimary(2);
    IDirectDrawSurface7* front = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &front, nullptr), DD_OK);

    auto attached = [](IDirectDrawSurface7* from, DWORD caps, IDirectDrawSurface7** to) {
        DDSCAPS2 wanted{};
        wanted.dwCaps = caps;
        return from->GetAttachedSurface(&wanted, to);
    };
    IDirectDrawSurface7 *first = nullptr, *second = nullptr, *wrapped = nullptr, *none = nullptr;
    ASSERT_EQ(attached(front, DDSCAPS_FLIP, &first), DD_OK);
    IDirectDrawSurface7* byBackBuffer = nullptr;
    ASSERT_EQ(attached(front, DDSCAPS_BACKBUFFER, &byBackBuffer), DD_OK);
    EXPECT_EQ(first, byBackBuffer);
    ASSERT_EQ(attached(first, DDSCAPS_FLIP, &second), DD_OK);
    EXPECT_NE(second, first);
    EXPECT_NE(second, front);
    ASSERT_EQ(attached(second, DDSCAPS_FLIP, &wrapped), DD_OK);
    EXPECT_EQ(wrapped, front);  // from the last back buffer, the front again
    // Only the first back buffer carries DDSCAPS_BACKBUFFER.
    EXPECT_EQ(attached(first, DDSCAPS_BACKBUFFER, &none), DDERR_NOTFOUND);
    EXPECT_EQ(attached(second, DDSCAPS_BACKBUFFER, &none), DDERR_NOTFOUND);
    EXPECT_EQ(none, nullptr);

    // Each answer is a reference of the caller's own.
    EXPECT_EQ(wrapped->Release(), 1u);
    EXPECT_EQ(byBackBuffer->Release(), 2u);
    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(second->Release(), 1u);
    EXPECT_EQ(front->Release(), 0u);
    EXPECT_EQ(dd->Release(), 0u);
}

TEST_F(DisplayTest, OffScreenFlippingChainFlipsWithoutShowing) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_BACKBUFFERCOUNT;
    desc.dwWidth = 24;
    desc.dwHeight = 8;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps.dwCaps = DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    IDirectDrawSurface7* front = nullptr;
    ASSERT_EQ(dd->CreateSurface(&desc, &front, nullptr), DD_OK);
    DDSCAPS2 caps{};
    ASSERT_EQ(front->GetCaps(&caps), DD_OK);
    EXPECT_EQ(caps.dwCaps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER),
              DDSCAPS_FLIP | DDSCAPS_COMPLEX | DDSCAPS_FRONTBUFFER);
    EXPECT_EQ(caps.dwCaps & (DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE), 0u);
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    ASSERT_EQ(front->GetAttachedSurface(&caps, &back), DD_OK);

    seam::PresentedFrame before;
    const bool shownBefore = seam::ReadPresentedFrame(before);
    PaintPixel(back, 23, 7, 0x07E0);
    PaintPixel(front, 0, 0, 0x001F);
    ASSERT_EQ(front->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    EXPECT_EQ(PixelAt(front, 23, 7), 0x07E0);
    EXPECT_EQ(PixelAt(back, 0, 0), 0x001F);
    seam::PresentedFrame after;
    EXPECT_EQ(seam::ReadPresentedFrame(after), shownBefore);
    EXPECT_EQ(after.count, before.count);  // flipped off screen: nothing shown

    EXPECT_EQ(back->Release(), 1u);
    EXPECT_EQ(front->Release(), 0u);
}

TEST_F(DisplayTest, WindowClipperListsTheClientAreaOnTheScreen) {
    HWND window = CreateWindowExA(0, TestWindowClass("ClipListWindow"), "clip", WS_POPUP, 40, 30, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    IDirectDrawClipper* clipper = nullptr;
    ASSERT_EQ(dd->CreateClipper(0, &clipper, nullptr), DD_OK);
    ASSERT_EQ(clipper->SetHWnd(0, window), DD_OK);

    DWORD size = 0;
    ASSERT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DD_OK);
    ASSERT_EQ(size, sizeof(RGNDATAHEADER) + sizeof(RECT));
    std::vector<char> data(size);
    auto* region = reinterpret_cast<RGNDATA*>(data.data());
    ASSERT_EQ(clipper->GetClipList(nullptr, region, &size), DD_OK);
    ASSERT_EQ(region->rdh.nCount, 1u);
    RECT listed;
    std::memcpy(&listed, region->Buffer, sizeof(listed));
    EXPECT_EQ(listed.left, 40);
    EXPECT_EQ(listed.top, 30);
    EXPECT_EQ(listed.right, 240);
    EXPECT_EQ(listed.bottom, 130);

    // A rectangle given cuts the list; one missing the window leaves it empty.
    RECT cut{0, 0, 100, 100};
    ASSERT_EQ(clipper->GetClipList(&cut, region, &size), DD_OK);
    std::memcpy(&listed, region->Buffer, sizeof(listed));
    EXPECT_EQ(listed.left, 40);
    EXPECT_EQ(listed.right, 100);
    EXPECT_EQ(listed.bottom, 100);
    RECT away{500, 500, 600, 600};
    DWORD emptySize = 0;
    ASSERT_EQ(clipper->GetClipList(&away, nullptr, &emptySize), DD_OK);
    EXPECT_EQ(emptySize, sizeof(RGNDATAHEADER));

    POINT corner{5, 6};
    ASSERT_TRUE(ClientToScreen(window, &corner));
    EXPECT_EQ(corner.x, 45);
    EXPECT_EQ(corner.y, 36);

    DestroyWindow(window);
    Drain();
    EXPECT_EQ(clipper->GetClipList(nullptr, nullptr, &size), DDERR_GENERIC);
    EXPECT_FALSE(ClientToScreen(window, &corner));
    EXPECT_EQ(clipper->Release(), 0u);
}
