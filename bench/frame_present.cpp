// A whole frame through the layer, as the game makes it: DirectDraw blits into
// the back buffer of a full-screen flipping chain, then Flip shows it in the
// window. CPU time per frame of this process (the display server's share is
// its own); the goal is under half a millisecond for play and title alike.
// A plain memcpy of the frame is measured in the same run as the floor.
// Needs a display (run it under xvfb-run); with the dummy video driver it
// reports an error instead.
//
//   xvfb-run -s "-screen 0 800x600x24" build/bin/bench_frame_present
#include <SDL.h>

#include <cstring>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "bench_surfaces.h"
#include "blit_ratios.h"

namespace {

constexpr std::uint16_t kKey = 0;
constexpr int kWidth = 800;
constexpr int kHeight = 600;

struct Chain {
    HWND window = nullptr;
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
    IDirectDrawSurface7* back = nullptr;

    bool Open(benchmark::State& state) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "FrameBench";
        RegisterClassExA(&wc);
        window = CreateWindowExA(0, "FrameBench", "frame", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                 GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        // The layer starts SDL's video with its own settings; asking SDL first
        // would start it without them.
        const char* driver = SDL_GetCurrentVideoDriver();
        if (!window || !driver || std::strcmp(driver, "dummy") == 0) {
            state.SkipWithError("no display: run under xvfb-run");
            return false;
        }
        ShowWindow(window, SW_SHOW);
        DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
        dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
        dd->SetDisplayMode(kWidth, kHeight, 16, 0, 0);
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
        desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
        desc.dwBackBufferCount = 1;
        dd->CreateSurface(&desc, &primary, nullptr);
        DDSCAPS2 caps{};
        caps.dwCaps = DDSCAPS_BACKBUFFER;
        primary->GetAttachedSurface(&caps, &back);
        return back != nullptr;
    }

    IDirectDrawSurface7* Surface(int width, int height, const std::vector<std::uint16_t>& pixels) {
        return OffscreenSurface(dd, width, height, pixels, true, kKey);
    }

    // The window settles into full screen before anything is measured.
    void Settle() {
        primary->Flip(nullptr, DDFLIP_NOVSYNC);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }

    ~Chain() {
        if (back) back->Release();
        if (primary) primary->Release();
        if (dd) dd->Release();
        if (window) DestroyWindow(window);
    }
};

std::vector<std::uint16_t> Background() {
    std::vector<std::uint16_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) pixels[y * kWidth + x] = static_cast<std::uint16_t>(((x ^ y) * 37) | 1);
    return pixels;
}

// A shaded disc on the transparent colour.
std::vector<std::uint16_t> Figure(int size, unsigned shade) {
    std::vector<std::uint16_t> pixels(static_cast<std::size_t>(size) * size, kKey);
    const int r = size / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            if ((x - r) * (x - r) + (y - r) * (y - r) < r * r)
                pixels[y * size + x] = static_cast<std::uint16_t>(shade + x * 64 + y);
    return pixels;
}

// A picture over the whole screen, four fifths of it the transparent colour
// as the game's title picture is, with a box left open where rows of text
// scroll.
std::vector<std::uint16_t> Overlay() {
    std::vector<std::uint16_t> pixels(kWidth * kHeight);
    for (int y = 0; y < kHeight; ++y)
        for (int x = 0; x < kWidth; ++x) {
            const bool box = y >= 400 && y < 500 && x >= 50 && x < 750;
            const bool opaque = !box && (x / 40 + y / 40) % 5 == 0;
            pixels[y * kWidth + x] = opaque ? static_cast<std::uint16_t>(x * 3 + y + 1) : kKey;
        }
    return pixels;
}

// Play: the background, a dozen figures that move a few pixels a frame, the
// cursor figure and the status bar.
void PlayFrame(benchmark::State& state) {
    Chain chain;
    if (!chain.Open(state)) return;
    IDirectDrawSurface7* background = chain.Surface(kWidth, kHeight, Background());
    IDirectDrawSurface7* figure = chain.Surface(48, 48, Figure(48, 0x4208));
    IDirectDrawSurface7* cursor = chain.Surface(40, 60, Figure(40, 0x8410));
    std::vector<std::uint16_t> bar(kWidth * 35, 0x1234);
    IDirectDrawSurface7* statusBar = chain.Surface(kWidth, 35, bar);
    chain.Settle();
    int frame = 0;
    for (auto _ : state) {
        chain.back->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY);
        for (int i = 0; i < 12; ++i) {
            const int x = (i * 61 + frame * (1 + i % 3)) % (kWidth - 48);
            const int y = 40 + (i * 43 + frame * (2 - i % 2)) % (kHeight - 48 - 40);
            chain.back->BltFast(x, y, figure, nullptr, DDBLTFAST_SRCCOLORKEY);
        }
        chain.back->BltFast(300 + frame % 200, 250, cursor, nullptr, DDBLTFAST_SRCCOLORKEY);
        chain.back->BltFast(0, 0, statusBar, nullptr, DDBLTFAST_SRCCOLORKEY);
        chain.primary->Flip(nullptr, 0);
        ++frame;
    }
    for (IDirectDrawSurface7* s : {background, figure, cursor, statusBar}) s->Release();
}
BENCHMARK(PlayFrame)->Unit(benchmark::kMillisecond);

// Title: the background, then a whole-screen keyed picture whose scroll box
// is drawn again every frame with rows of text one pixel higher.
void TitleFrame(benchmark::State& state) {
    Chain chain;
    if (!chain.Open(state)) return;
    IDirectDrawSurface7* background = chain.Surface(kWidth, kHeight, Background());
    const std::vector<std::uint16_t> overlayPixels = Overlay();
    IDirectDrawSurface7* picture = chain.Surface(kWidth, kHeight, overlayPixels);
    IDirectDrawSurface7* overlay = chain.Surface(kWidth, kHeight, overlayPixels);
    // Letters: strokes a few pixels wide on the transparent colour.
    std::vector<std::uint16_t> letters(400 * 20, kKey);
    for (int i = 0; i < 400 * 20; ++i)
        if (i % 9 < 3 && (i / 400) % 6 != 5) letters[i] = 0xFFFF;
    IDirectDrawSurface7* text = chain.Surface(400, 20, letters);
    chain.Settle();
    RECT band{50, 400, 750, 500};
    int frame = 0;
    for (auto _ : state) {
        overlay->BltFast(band.left, band.top, picture, &band, DDBLTFAST_NOCOLORKEY);
        for (int row = 0; row < 6; ++row) {
            const int y = band.top + (row * 16 + 1000 - frame % 1000) % 80;
            overlay->BltFast(200, y, text, nullptr, DDBLTFAST_SRCCOLORKEY);
        }
        chain.back->BltFast(0, 0, background, nullptr, DDBLTFAST_NOCOLORKEY);
        chain.back->BltFast(0, 0, overlay, nullptr, DDBLTFAST_SRCCOLORKEY);
        chain.primary->Flip(nullptr, DDFLIP_WAIT);
        ++frame;
    }
    for (IDirectDrawSurface7* s : {background, picture, overlay, text}) s->Release();
}
BENCHMARK(TitleFrame)->Unit(benchmark::kMillisecond);

// The floor: one copy of a whole frame.
void CopyFrame(benchmark::State& state) {
    std::vector<std::uint16_t> to(kWidth * kHeight), from = Background();
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * 2);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(CopyFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunWithRatios(argc, argv, {}, false); }
