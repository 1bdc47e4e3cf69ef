#include "display_fixture.h"

#include <SDL.h>

#include "seam/input.h"
#include "test_window.h"

void DisplayTest::SetUp() {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ(dd->SetCooperativeLevel(nullptr, DDSCL_NORMAL), DD_OK);
}

void DisplayTest::TearDown() {
    for (IDirectDrawSurface7* surface : made) surface->Release();
    if (dd) {
        EXPECT_EQ(dd->Release(), 0u);
    }
}

IDirectDrawSurface7* OffscreenSurface(IDirectDraw7* dd, int width, int height) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    EXPECT_EQ(dd->CreateSurface(&desc, &surface, nullptr), DD_OK);
    return surface;
}

IDirectDrawSurface7* DisplayTest::Make(int width, int height, std::uint16_t fill) {
    IDirectDrawSurface7* surface = OffscreenSurface(dd, width, height);
    if (!surface) return nullptr;
    made.push_back(surface);
    Paint(surface, std::vector<std::uint16_t>(static_cast<std::size_t>(width) * height, fill));
    return surface;
}

std::vector<std::uint16_t> Pixels(IDirectDrawSurface7* surface) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    std::vector<std::uint16_t> out;
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    if (!desc.lpSurface) return out;
    for (DWORD y = 0; y < desc.dwHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(desc.lpSurface) +
                                                                 y * desc.lPitch);
        out.insert(out.end(), row, row + desc.dwWidth);
    }
    surface->Unlock(nullptr);
    return out;
}

std::uint16_t PixelAt(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    EXPECT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    const std::uint16_t value =
        reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x];
    surface->Unlock(nullptr);
    return value;
}

void Paint(IDirectDrawSurface7* surface, const std::vector<std::uint16_t>& pixels) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(desc.dwWidth) * desc.dwHeight);
    for (DWORD y = 0; y < desc.dwHeight; ++y)
        std::copy(pixels.begin() + y * desc.dwWidth, pixels.begin() + (y + 1) * desc.dwWidth,
                  reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch));
    surface->Unlock(nullptr);
}

void PaintPixel(IDirectDrawSurface7* surface, int x, int y, std::uint16_t value) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    ASSERT_EQ(surface->Lock(nullptr, &desc, DDLOCK_WAIT, nullptr), DD_OK);
    reinterpret_cast<std::uint16_t*>(static_cast<std::uint8_t*>(desc.lpSurface) + y * desc.lPitch)[x] = value;
    surface->Unlock(nullptr);
}

void Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

TestWindow::TestWindow() {
    window_ = CreateWindowExA(0, TestWindowClass("DisplayTestWindow"), "display", WS_POPUP, 0, 0, 800, 600, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window_, nullptr);
    ShowWindow(window_, SW_SHOW);
    Activate(true);
}

TestWindow::~TestWindow() {
    if (IsWindow(window_)) DestroyWindow(window_);
    Drain();
}

void TestWindow::Activate(bool active) {
    seam::PushFocus(window_, active);
    Drain();
}

void StartFullScreenChain(HWND window, IDirectDraw7** dd, IDirectDrawSurface7** primary) {
    ASSERT_EQ(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(dd), IID_IDirectDraw7, nullptr), DD_OK);
    ASSERT_EQ((*dd)->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN), DD_OK);
    ASSERT_EQ((*dd)->SetDisplayMode(800, 600, 16, 0, 0), DD_OK);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    ASSERT_EQ((*dd)->CreateSurface(&desc, primary, nullptr), DD_OK);
}
