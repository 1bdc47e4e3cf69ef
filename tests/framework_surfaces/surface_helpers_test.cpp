// The surface helpers against the layer: the exclusive mode and flipping
// chain, off-screen surfaces, the colour key taken from a pixel, bitmap
// resources loaded onto new and existing surfaces, palettes and the mouse.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstring>
#include <deque>
#include <vector>

#include "seam/input.h"
#include "input_helpers.h"
#include "surface_helpers.h"
#include "test_window.h"
#include "winlayer_resources.h"

namespace {

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

// Resource ids of the bitmaps registered below.
constexpr int kFiveByThree = 801;     // 8-bit, 5 x 3
constexpr int kTrueColour = 802;      // 24-bit, 2 x 1
constexpr int kMissing = 899;

// 5 x 3, 8 bits, bottom-up; pixel (x, y) has colour index (x + y) % 4.
std::vector<std::uint8_t> FiveByThree() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = 5;
    h.biHeight = 3;
    h.biPlanes = 1;
    h.biBitCount = 8;
    h.biClrUsed = 4;
    std::vector<std::uint8_t> out(sizeof(h));
    std::memcpy(out.data(), &h, sizeof(h));
    const RGBQUAD colours[4] = {{0, 0, 0, 0}, {0, 0, 255, 0}, {0, 255, 0, 0}, {255, 0, 0, 0}};
    out.insert(out.end(), reinterpret_cast<const std::uint8_t*>(colours),
               reinterpret_cast<const std::uint8_t*>(colours) + sizeof(colours));
    for (int row = 2; row >= 0; --row) {
        for (int x = 0; x < 5; ++x) out.push_back(static_cast<std::uint8_t>((x + row) % 4));
        for (int pad = 0; pad < 3; ++pad) out.push_back(0);
    }
    return out;
}

std::vector<std::uint8_t> TrueColour() {
    BITMAPINFOHEADER h{};
    h.biSize = sizeof(h);
    h.biWidth = 2;
    h.biHeight = 1;
    h.biPlanes = 1;
    h.biBitCount = 24;
    std::vector<std::uint8_t> out(sizeof(h));
    std::memcpy(out.data(), &h, sizeof(h));
    const std::uint8_t pixels[8] = {0, 0, 255, 255, 255, 255, 0, 0};  // red, white
    out.insert(out.end(), pixels, pixels + 8);
    return out;
}

void RegisterBitmaps() {
    static std::deque<std::vector<std::uint8_t>> store;
    static std::deque<layer::ResourceEntry> entries;
    if (!store.empty()) return;
    for (auto [id, bytes] : {std::pair{kFiveByThree, FiveByThree()}, std::pair{kTrueColour, TrueColour()}}) {
        store.push_back(bytes);
        entries.push_back(layer::ResourceEntry{nullptr, 2, nullptr, static_cast<unsigned short>(id),
                                               store.back().data(), store.back().size()});
        layer::RegisterResources(&entries.back(), 1);
    }
}

std::uint16_t Expected565(int index) {
    const std::uint16_t colours[4] = {0x0000, 0xF800, 0x07E0, 0x001F};
    return colours[index];
}

class SurfaceHelpers : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBitmaps();
        window = CreateWindowExA(0, TestWindowClass("SurfaceHelpersWindow"), "helpers", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOW);
        seam::PushFocus(window, true);
        Drain();
        dd = StartDirectDrawExclusiveMode(window, 800, 600, 16);
        ASSERT_NE(dd, nullptr);
    }
    void TearDown() override {
        for (IUnknown* object : owned) object->Release();
        if (dd) {
            EXPECT_EQ(dd->Release(), 0u);
        }
        DestroyWindow(window);
        Drain();
    }
    template <typename T>
    T* Own(T* object) {
        if (object) owned.push_back(object);
        return object;
    }
    static std::vector<std::uint16_t> Pixels(IDirectDrawSurface7* surface, int* width = nullptr) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        std::vector<std::uint16_t> out;
        EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        for (DWORD y = 0; y < desc.dwHeight; ++y) {
            const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) +
                                                                     y * desc.lPitch);
            out.insert(out.end(), row, row + desc.dwWidth);
        }
        surface->Unlock(nullptr);
        if (width) *width = static_cast<int>(desc.dwWidth);
        return out;
    }
    static void Write(IDirectDrawSurface7* surface, int x, int y, std::uint16_t value) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
        reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x] = value;
        surface->Unlock(nullptr);
    }

    HWND window = nullptr;
    IDirectDraw7* dd = nullptr;
    std::vector<IUnknown*> owned;
};

}  // namespace

TEST(SurfaceHelpersStart, RefusedModesGiveNull) {
    EXPECT_EQ(StartDirectDrawExclusiveMode(nullptr, 800, 600, 16), nullptr);
    static int marker;
    HWND someWindow = reinterpret_cast<HWND>(&marker);
    EXPECT_EQ(StartDirectDrawExclusiveMode(someWindow, 800, 600, 24), nullptr);
    EXPECT_EQ(StartDirectDrawExclusiveMode(someWindow, 799, 600, 16), nullptr);
}

TEST_F(SurfaceHelpers, ExclusiveModeAndFlippingChain) {
    DDSURFACEDESC2 mode{};
    mode.dwSize = sizeof(mode);
    ASSERT_EQ(dd->GetDisplayMode(&mode), DD_OK);
    EXPECT_EQ(mode.dwWidth, 800u);
    EXPECT_EQ(mode.dwHeight, 600u);
    EXPECT_EQ(mode.ddpfPixelFormat.dwRGBBitCount, 16u);

    IDirectDrawSurface7* back = nullptr;
    EXPECT_EQ(MakePrimaryFlippingChain(dd, &back, 0), nullptr);
    IDirectDrawSurface7* primary = Own(MakePrimaryFlippingChain(dd, &back, 1));
    ASSERT_NE(primary, nullptr);
    ASSERT_NE(back, nullptr);
    Own(back);
    DDSCAPS2 caps{};
    ASSERT_EQ(back->GetCaps(&caps), DD_OK);
    EXPECT_TRUE(caps.dwCaps & DDSCAPS_BACKBUFFER);
    Write(back, 10, 10, 0xABCD);
    EXPECT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
    int width = 0;
    EXPECT_EQ(Pixels(primary, &width)[10 * width + 10], 0xABCD);
}

TEST_F(SurfaceHelpers, OffscreenSurfaces) {
    IDirectDrawSurface7* surface = Own(MakeOffscreenSurface(dd, 37, 11));
    ASSERT_NE(surface, nullptr);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->GetSurfaceDesc(&desc), DD_OK);
    EXPECT_EQ(desc.dwWidth, 37u);
    EXPECT_EQ(desc.dwHeight, 11u);
    EXPECT_TRUE(desc.ddsCaps.dwCaps & DDSCAPS_OFFSCREENPLAIN);
    EXPECT_EQ(MakeOffscreenSurface(dd, 0, 5), nullptr);
}

TEST_F(SurfaceHelpers, ColourKeyIsExactlyThePixelsValue) {
    IDirectDrawSurface7* sprite = Own(MakeOffscreenSurface(dd, 3, 1));
    ASSERT_NE(sprite, nullptr);
    Write(sprite, 0, 0, 0x1234);
    Write(sprite, 1, 0, 0x1235);
    Write(sprite, 2, 0, 0x1233);
    ASSERT_EQ(SetSrcColourKey(sprite, 0, 0), 1);
    DDCOLORKEY key{};
    ASSERT_EQ(sprite->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x1234u);
    EXPECT_EQ(key.dwColorSpaceHighValue, 0x1234u);

    IDirectDrawSurface7* dest = Own(MakeOffscreenSurface(dd, 3, 1));
    for (int x = 0; x < 3; ++x) Write(dest, x, 0, 0x0F0F);
    ASSERT_EQ(dest->BltFast(0, 0, sprite, nullptr, DDBLTFAST_SRCCOLORKEY), DD_OK);
    EXPECT_EQ(Pixels(dest), (std::vector<std::uint16_t>{0x0F0F, 0x1235, 0x1233}));

    // A pixel elsewhere makes that colour the key.
    ASSERT_EQ(SetSrcColourKey(sprite, 2, 0), 1);
    ASSERT_EQ(sprite->GetColorKey(DDCKEY_SRCBLT, &key), DD_OK);
    EXPECT_EQ(key.dwColorSpaceLowValue, 0x1233u);
    EXPECT_EQ(SetSrcColourKey(sprite, 3, 0), 0);  // outside the surface
}

TEST_F(SurfaceHelpers, ColourKeyOnABusySurfaceFailsAtOnce) {
    IDirectDrawSurface7* sprite = Own(MakeOffscreenSurface(dd, 4, 4));
    ASSERT_NE(sprite, nullptr);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(sprite->Lock(nullptr, &desc, 0, nullptr), DD_OK);
    EXPECT_EQ(SetSrcColourKey(sprite, 0, 0), 0);
    sprite->Unlock(nullptr);
    HDC dc = nullptr;
    ASSERT_EQ(sprite->GetDC(&dc), DD_OK);
    EXPECT_EQ(SetSrcColourKey(sprite, 0, 0), 0);
    sprite->ReleaseDC(dc);
    DDCOLORKEY key{};
    EXPECT_EQ(sprite->GetColorKey(DDCKEY_SRCBLT, &key), DDERR_NOCOLORKEY);
}

TEST_F(SurfaceHelpers, LoadBitmapCreatesASurfaceOfTheBitmapsSize) {
    IDirectDrawSurface7* surface = nullptr;
    ASSERT_EQ(LoadBitmapToSurface(dd, &surface, kFiveByThree), 1);
    ASSERT_NE(surface, nullptr);
    Own(surface);
    int width = 0;
    const auto pixels = Pixels(surface, &width);
    ASSERT_EQ(width, 5);
    ASSERT_EQ(pixels.size(), 15u);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 5; ++x) EXPECT_EQ(pixels[y * 5 + x], Expected565((x + y) % 4)) << x << "," << y;
}

TEST_F(SurfaceHelpers, LoadBitmapStretchesOntoAnExistingSurface) {
    IDirectDrawSurface7* surface = Own(MakeOffscreenSurface(dd, 10, 6));
    ASSERT_NE(surface, nullptr);
    IDirectDrawSurface7* same = surface;
    ASSERT_EQ(LoadBitmapToSurface(dd, &same, kFiveByThree), 1);
    EXPECT_EQ(same, surface);
    const auto pixels = Pixels(surface);
    for (int y = 0; y < 6; ++y)
        for (int x = 0; x < 10; ++x)
            EXPECT_EQ(pixels[y * 10 + x], Expected565((x / 2 + y / 2) % 4)) << x << "," << y;
}

TEST_F(SurfaceHelpers, MissingBitmapFails) {
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(LoadBitmapToSurface(dd, &surface, kMissing), 0);
    EXPECT_EQ(surface, nullptr);
}

TEST_F(SurfaceHelpers, CopyBitmapWithRectangles) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kFiveByThree),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    IDirectDrawSurface7* surface = Own(MakeOffscreenSurface(dd, 4, 4));
    ASSERT_NE(surface, nullptr);
    RECT source{1, 1, 3, 2}, destination{2, 3, 4, 4};  // indices 2, 3 into the bottom right
    EXPECT_NE(CopyBitmapToSurface(surface, bitmap, &source, &destination), 0);
    const auto pixels = Pixels(surface);
    EXPECT_EQ(pixels[3 * 4 + 2], Expected565(2));
    EXPECT_EQ(pixels[3 * 4 + 3], Expected565(3));
    EXPECT_EQ(pixels[0], 0);
    // The helper hands the bitmap back out of its context, so it can be deleted.
    EXPECT_TRUE(DeleteObject(bitmap));
}

TEST_F(SurfaceHelpers, PaletteFromBitmap) {
    HBITMAP eight = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kFiveByThree),
                                                    IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    HBITMAP truecolour = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(kTrueColour),
                                                         IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(eight, nullptr);
    ASSERT_NE(truecolour, nullptr);
    EXPECT_EQ(MakePaletteFromBitmap(dd, truecolour), nullptr);
    IDirectDrawPalette* palette = Own(MakePaletteFromBitmap(dd, eight));
    ASSERT_NE(palette, nullptr);
    PALETTEENTRY entries[256];
    ASSERT_EQ(palette->GetEntries(0, 0, 256, entries), DD_OK);
    EXPECT_EQ(entries[1].peRed, 255);
    EXPECT_EQ(entries[1].peBlue, 0);
    EXPECT_EQ(entries[3].peBlue, 255);
    EXPECT_EQ(entries[3].peFlags, 0);
    DeleteObject(eight);
    DeleteObject(truecolour);
}

TEST_F(SurfaceHelpers, MouseDeviceIsBufferedAndAcquired) {
    IDirectInput7A* input = nullptr;
    ASSERT_EQ(DirectInputCreateEx(GetModuleHandleA(nullptr), 0x0700, IID_IDirectInput7A,
                                  reinterpret_cast<void**>(&input), nullptr),
              DI_OK);
    IDirectInputDevice7A* mouse = CreateMouseDevice(input, window, 10);
    ASSERT_NE(mouse, nullptr);
    EXPECT_EQ(mouse->Acquire(), S_FALSE);  // already acquired
    DIPROPDWORD property{};
    property.diph.dwSize = sizeof(property);
    property.diph.dwHeaderSize = sizeof(DIPROPHEADER);
    property.diph.dwHow = DIPH_DEVICE;
    ASSERT_EQ(mouse->GetProperty(DIPROP_BUFFERSIZE, &property.diph), DI_OK);
    EXPECT_EQ(property.dwData, 10u);
    EXPECT_EQ(mouse->Release(), 0u);

    // In the background the exclusive foreground mouse cannot be acquired.
    seam::PushFocus(window, false);
    Drain();
    EXPECT_EQ(CreateMouseDevice(input, window, 10), nullptr);
    EXPECT_EQ(input->Release(), 0u);
}
