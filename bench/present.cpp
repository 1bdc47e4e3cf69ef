// Showing an 800 x 600 RGB 5-6-5 frame: the flip of the layer's primary chain
// (texture upload and present into its full-screen window) against SDL's own
// software-renderer path for the same frame. Needs a display (run it under
// xvfb-run); with the dummy video driver it reports an error instead.
#include <SDL.h>

#include <cstring>
#include <vector>

#include <windows.h>
#include <ddraw.h>

#include "blit_ratios.h"

namespace {

std::vector<std::uint16_t> Frame() {
    std::vector<std::uint16_t> pixels(800 * 600);
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800; ++x) pixels[y * 800 + x] = static_cast<std::uint16_t>((x * 7) ^ (y * 13));
    return pixels;
}

bool HaveDisplay(benchmark::State& state) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0 || std::strcmp(SDL_GetCurrentVideoDriver(), "dummy") == 0) {
        state.SkipWithError("no display: run under xvfb-run");
        return false;
    }
    return true;
}

void PresentOurs(benchmark::State& state) {
    // The layer starts SDL's video itself, with its own settings (no OpenGL
    // behind the window surface); starting it here first would measure SDL's
    // defaults instead.
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "PresentBench";
    RegisterClassExA(&wc);
    HWND window = CreateWindowExA(0, "PresentBench", "present", WS_POPUP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                                  GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!window || !HaveDisplay(state)) return;
    ShowWindow(window, SW_SHOW);
    IDirectDraw7* dd = nullptr;
    DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr);
    dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN);
    dd->SetDisplayMode(800, 600, 16, 0, 0);
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = 1;
    IDirectDrawSurface7* primary = nullptr;
    dd->CreateSurface(&desc, &primary, nullptr);
    DDSCAPS2 caps{};
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    IDirectDrawSurface7* back = nullptr;
    primary->GetAttachedSurface(&caps, &back);
    const auto frame = Frame();
    for (IDirectDrawSurface7* s : {primary, back}) {
        DDSURFACEDESC2 lock{};
        lock.dwSize = sizeof(lock);
        s->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr);
        for (int y = 0; y < 600; ++y)
            std::memcpy(static_cast<std::uint8_t*>(lock.lpSurface) + y * lock.lPitch, frame.data() + y * 800, 1600);
        s->Unlock(nullptr);
    }
    primary->Flip(nullptr, DDFLIP_NOVSYNC);  // the window settles into full screen
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    for (auto _ : state) primary->Flip(nullptr, DDFLIP_NOVSYNC);
    back->Release();
    primary->Release();
    dd->Release();
    DestroyWindow(window);
}
BENCHMARK(PresentOurs)->UseRealTime()->Unit(benchmark::kMillisecond);

// SDL's software renderer drawing the frame 1:1 into an 800 x 600 window:
// its cheapest way to show the frame, with no scaling at all.
void PresentSdlSoftwareRenderer(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    SDL_Window* window = SDL_CreateWindow("reference", 0, 0, 800, 600, SDL_WINDOW_BORDERLESS);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    const auto frame = Frame();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    for (auto _ : state) {
        SDL_UpdateTexture(texture, nullptr, frame.data(), 1600);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, nullptr);
        SDL_RenderPresent(renderer);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
}
BENCHMARK(PresentSdlSoftwareRenderer)->UseRealTime()->Unit(benchmark::kMillisecond);

// The same renderer in a full-screen window the size of ours, the frame
// 1:1 in the middle on black, as ours shows it.
void PresentSdlSoftwareRendererFullScreen(benchmark::State& state) {
    if (!HaveDisplay(state)) return;
    SDL_Window* window = SDL_CreateWindow("reference", 0, 0, 800, 600, SDL_WINDOW_FULLSCREEN_DESKTOP);
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
    SDL_Texture* texture =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_RGB565, SDL_TEXTUREACCESS_STREAMING, 800, 600);
    const auto frame = Frame();
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
    }
    int width = 0, height = 0;
    SDL_GetRendererOutputSize(renderer, &width, &height);
    const SDL_Rect middle{(width - 800) / 2, (height - 600) / 2, 800, 600};
    for (auto _ : state) {
        SDL_UpdateTexture(texture, nullptr, frame.data(), 1600);
        SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
        SDL_RenderClear(renderer);
        SDL_RenderCopy(renderer, texture, nullptr, &middle);
        SDL_RenderPresent(renderer);
    }
    SDL_DestroyTexture(texture);
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(window);
}
BENCHMARK(PresentSdlSoftwareRendererFullScreen)->UseRealTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return RunWithRatios(argc, argv,
                         {{"PresentOurs", "PresentSdlSoftwareRendererFullScreen", 1.0},
                          {"PresentOurs", "PresentSdlSoftwareRenderer", 1.0}},
                         true);
}
