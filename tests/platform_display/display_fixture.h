// Shared helpers of the display tests: a DirectDraw object in the normal
// cooperative level, surfaces filled and read back through Lock, and a
// window of the layer for what needs one.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include <windows.h>
#include <ddraw.h>

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // An off-screen surface of the given size, every pixel `fill`.
    IDirectDrawSurface7* Make(int width, int height, std::uint16_t fill = 0);

    IDirectDraw7* dd = nullptr;
    std::vector<IDirectDrawSurface7*> made;
};

// An off-screen surface of `dd`, or null after a failed expectation.
IDirectDrawSurface7* OffscreenSurface(IDirectDraw7* dd, int width, int height);
// Every pixel of a surface, row by row, read through Lock.
std::vector<std::uint16_t> Pixels(IDirectDrawSurface7* surface);
std::uint16_t PixelAt(IDirectDrawSurface7* surface, int x, int y);
// Writes pixels row by row (width * height values) through Lock.
void Paint(IDirectDrawSurface7* surface, const std::vector<std::uint16_t>& pixels);
void PaintPixel(IDirectDrawSurface7* surface, int x, int y, std::uint16_t value);

// A shown, active top-level window of the layer.
class TestWindow {
public:
    TestWindow();
    ~TestWindow();
    HWND handle() const { return window_; }
    void Activate(bool active);

private:
    HWND window_ = nullptr;
};

// Takes every waiting message through its window procedure.
void Drain();

// A DirectDraw object in exclusive 800 x 600 x 16 mode on `window`, and the
// primary of its flipping chain with one back buffer, as a game starts.
void StartFullScreenChain(HWND window, IDirectDraw7** dd, IDirectDrawSurface7** primary);
