// Showing the front buffer: the RGB 5-6-5 frame widened by us (each channel
// to its nearest 8-bit value, as Windows shows 16-bit modes; SDL's own
// conversion rounds some levels down) into a 32-bit streaming texture, drawn
// into the window with the 4:3 picture kept whole (whole-number scale where it fits,
// otherwise the largest fit), black around it. Full screen on the desktop by
// default; Alt+Enter switches to a window of the largest whole multiple of the
// frame that fits the desktop, and back.
#include "present.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

#include "layer_log.h"
#include "seam_hooks.h"
#include "widen_rows.h"
#include "window_hooks.h"

namespace {

struct Presenter {
    HWND window = nullptr;
    SDL_Window* sdl = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int vsync = -1;  // unknown
    bool windowed = false;
    bool hooked = false;
};

std::recursive_mutex& Guard() {
    static std::recursive_mutex guard;
    return guard;
}

Presenter presenter;
std::vector<std::uint16_t> lastFrame;
int lastWidth = 0;
int lastHeight = 0;
unsigned long frameCount = 0;

void DropRenderer() {
    if (presenter.texture) SDL_DestroyTexture(presenter.texture);
    if (presenter.renderer) SDL_DestroyRenderer(presenter.renderer);
    presenter.texture = nullptr;
    presenter.renderer = nullptr;
    presenter.textureWidth = presenter.textureHeight = 0;
    presenter.vsync = -1;
}

// The picture's place in an output of outWidth x outHeight.
SDL_Rect Placement(int outWidth, int outHeight, int width, int height) {
    SDL_Rect dst{0, 0, width, height};
    const int scale = std::min(outWidth / width, outHeight / height);
    if (scale >= 1) {
        dst.w = width * scale;
        dst.h = height * scale;
    } else if (static_cast<long long>(outWidth) * height <= static_cast<long long>(outHeight) * width) {
        dst.w = outWidth;
        dst.h = static_cast<int>(static_cast<long long>(outWidth) * height / width);
    } else {
        dst.h = outHeight;
        dst.w = static_cast<int>(static_cast<long long>(outHeight) * width / height);
    }
    dst.x = (outWidth - dst.w) / 2;
    dst.y = (outHeight - dst.h) / 2;
    return dst;
}

void Draw(bool waitForVblank);

void ApplyWindowMode() {
    if (!presenter.sdl) return;
    if (!presenter.windowed) {
        SDL_SetWindowFullscreen(presenter.sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
        return;
    }
    SDL_SetWindowFullscreen(presenter.sdl, 0);
    const int width = lastWidth ? lastWidth : 800;
    const int height = lastHeight ? lastHeight : 600;
    SDL_Rect usable{0, 0, width, height};
    const int display = std::max(0, SDL_GetWindowDisplayIndex(presenter.sdl));
    SDL_GetDisplayUsableBounds(display, &usable);
    int top = 0, left = 0, bottom = 0, right = 0;
    SDL_SetWindowBordered(presenter.sdl, SDL_TRUE);
    SDL_GetWindowBordersSize(presenter.sdl, &top, &left, &bottom, &right);
    const int scale = std::max(1, std::min((usable.w - left - right) / width, (usable.h - top - bottom) / height));
    SDL_SetWindowSize(presenter.sdl, width * scale, height * scale);
    SDL_SetWindowPosition(presenter.sdl, SDL_WINDOWPOS_CENTERED_DISPLAY(display),
                          SDL_WINDOWPOS_CENTERED_DISPLAY(display));
}

void OnSdlEvent(const SDL_Event& event) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (!presenter.sdl) return;
    const Uint32 id = SDL_GetWindowID(presenter.sdl);
    if (event.type == SDL_KEYDOWN && event.key.windowID == id && event.key.keysym.sym == SDLK_RETURN &&
        (event.key.keysym.mod & KMOD_ALT) && !event.key.repeat) {
        presenter.windowed = !presenter.windowed;
        ApplyWindowMode();
        Draw(false);
        return;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == id &&
        (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        Draw(false);
}

void Hook() {
    if (presenter.hooked) return;
    presenter.hooked = true;
    layer::AddSdlEventObserver(OnSdlEvent);
    layer::AddWindowDestroyListener([](HWND window) {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (window == presenter.window) layer::present::ReleaseWindow(window);
    });
}

bool EnsureRenderer(HWND window) {
    if (!window || !layer::EnsureVideo()) return false;
    SDL_Window* sdl = layer::SdlWindowOf(window);
    if (!sdl) return false;
    if (presenter.sdl != sdl) {
        DropRenderer();
        presenter.window = window;
        presenter.sdl = sdl;
        Hook();
        ApplyWindowMode();
    }
    if (!presenter.renderer) {
        presenter.renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!presenter.renderer) presenter.renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_SOFTWARE);
        if (!presenter.renderer) {
            layer::LogLine("present: no renderer for the window: %s", SDL_GetError());
            return false;
        }
        presenter.vsync = 1;
        SDL_RendererInfo info;
        if (SDL_GetRendererInfo(presenter.renderer, &info) == 0) layer::LogLine("present: %s renderer", info.name);
    }
    if (!presenter.texture || presenter.textureWidth != lastWidth || presenter.textureHeight != lastHeight) {
        if (presenter.texture) SDL_DestroyTexture(presenter.texture);
        presenter.texture = SDL_CreateTexture(presenter.renderer, SDL_PIXELFORMAT_RGB888,
                                              SDL_TEXTUREACCESS_STREAMING, lastWidth, lastHeight);
        if (!presenter.texture) {
            layer::LogLine("present: no %d x %d texture: %s", lastWidth, lastHeight, SDL_GetError());
            return false;
        }
        SDL_SetTextureScaleMode(presenter.texture, SDL_ScaleModeNearest);
        presenter.textureWidth = lastWidth;
        presenter.textureHeight = lastHeight;
    }
    return true;
}

void Draw(bool waitForVblank) {
    if (!presenter.renderer || !presenter.texture || lastFrame.empty()) return;
    void* pixels = nullptr;
    int pitch = 0;
    if (SDL_LockTexture(presenter.texture, nullptr, &pixels, &pitch) != 0) return;
    for (int y = 0; y < lastHeight; ++y)
        layer::WidenRow(lastFrame.data() + static_cast<std::size_t>(y) * lastWidth,
                        reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(pixels) + y * pitch), lastWidth,
                        layer::Channels32{});
    SDL_UnlockTexture(presenter.texture);
    const int vsync = waitForVblank ? 1 : 0;
    if (presenter.vsync != vsync) {
        SDL_RenderSetVSync(presenter.renderer, vsync);
        presenter.vsync = vsync;
    }
    int outWidth = 0, outHeight = 0;
    SDL_GetRendererOutputSize(presenter.renderer, &outWidth, &outHeight);
    const SDL_Rect dst = Placement(std::max(outWidth, 1), std::max(outHeight, 1), lastWidth, lastHeight);
    // Only the borders around the picture need painting black.
    if (dst.x > 0 || dst.y > 0) {
        const SDL_Rect borders[4] = {{0, 0, outWidth, dst.y},
                                     {0, dst.y + dst.h, outWidth, outHeight - dst.y - dst.h},
                                     {0, dst.y, dst.x, dst.h},
                                     {dst.x + dst.w, dst.y, outWidth - dst.x - dst.w, dst.h}};
        SDL_SetRenderDrawColor(presenter.renderer, 0, 0, 0, 255);
        SDL_RenderFillRects(presenter.renderer, borders, 4);
    }
    SDL_RenderCopy(presenter.renderer, presenter.texture, nullptr, &dst);
    SDL_RenderPresent(presenter.renderer);
}

}  // namespace

namespace layer::present {

void ShowFrame(HWND window, const std::uint8_t* pixels, int width, int height, long pitch, bool waitForVblank) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    lastFrame.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y)
        std::memcpy(lastFrame.data() + static_cast<std::size_t>(y) * width, pixels + y * pitch,
                    static_cast<std::size_t>(width) * 2);
    lastWidth = width;
    lastHeight = height;
    ++frameCount;
    if (EnsureRenderer(window)) Draw(waitForVblank);
}

void ReleaseWindow(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (window != presenter.window) return;
    DropRenderer();
    presenter.window = nullptr;
    presenter.sdl = nullptr;
}

}  // namespace layer::present

namespace layer::testing {

bool ReadPresentedFrame(seam::PresentedFrame& frame) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (frameCount == 0) return false;
    frame.width = lastWidth;
    frame.height = lastHeight;
    frame.pixels = lastFrame;
    frame.count = frameCount;
    return true;
}

bool DisplayWindowed() {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return presenter.windowed;
}

}  // namespace layer::testing
