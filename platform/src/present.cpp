// Showing the front buffer, with the 4:3 picture kept whole (whole-number
// scale where it fits, otherwise the largest fit) and black around it. Full
// screen on the desktop by default; Alt+Enter switches to a window of the
// largest whole multiple of the frame that fits the desktop, and back.
//
// Two ways to show it, chosen once per process. With a real GPU, a renderer
// and a streaming texture. Without one (no GPU device, or a GL that rasterises
// on the CPU), SDL's window surface: the frame is compared with the last one
// shown in tiles and only the changed tiles are widened into the surface and
// sent to the display, which costs a fraction of the CPU rasteriser's frame.
// Both widen the 5-6-5 pixels themselves, each channel to its nearest 8-bit
// value, as Windows shows 16-bit modes; SDL's own conversion rounds some
// levels down.
#include "present.h"

#include <SDL.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

#include "frame_changes.h"
#include "idle_pacing.h"
#include "layer_log.h"
#include "seam_hooks.h"
#include "widen_rows.h"
#include "window_hooks.h"

namespace {

enum class Path { Undecided, Renderer, Surface };

struct Presenter {
    HWND window = nullptr;
    SDL_Window* sdl = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture* texture = nullptr;
    int textureWidth = 0;
    int textureHeight = 0;
    int vsync = -1;  // unknown
    bool windowed = false;
    // The first window takes the mode the program was started in; Alt+Enter then switches.
    bool modeChosen = false;
    bool hooked = false;
    // The window surface the frame was last drawn into, and its size; any
    // change of either, or a frame not drawn, means drawing all of it again.
    SDL_Surface* shown = nullptr;
    int shownWidth = 0;
    int shownHeight = 0;
    bool stale = true;
};

std::recursive_mutex& Guard() {
    static std::recursive_mutex guard;
    return guard;
}

Path path = Path::Undecided;
Presenter presenter;
std::vector<std::uint16_t> lastFrame;
std::vector<std::uint64_t> lastRowNames;  // 0: not known
int lastWidth = 0;
int lastHeight = 0;
unsigned long frameCount = 0;
std::vector<std::uint32_t> rowScratch;
std::vector<SDL_Rect> frameChanges;  // kept from frame to frame: a frame allocates nothing
std::vector<SDL_Rect> sentRects;
SDL_Surface* frameScratch = nullptr;  // the frame in 32 bits, for formats drawn through SDL

void DropRenderer() {
    if (presenter.texture) SDL_DestroyTexture(presenter.texture);
    if (presenter.renderer) SDL_DestroyRenderer(presenter.renderer);
    presenter.texture = nullptr;
    presenter.renderer = nullptr;
    presenter.textureWidth = presenter.textureHeight = 0;
    presenter.vsync = -1;
    presenter.shown = nullptr;
    presenter.stale = true;
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

void CopyWhole(const std::uint8_t* pixels, long pitch) {
    for (int y = 0; y < lastHeight; ++y)
        std::memcpy(lastFrame.data() + static_cast<std::size_t>(y) * lastWidth, pixels + y * pitch,
                    static_cast<std::size_t>(lastWidth) * 2);
}

bool EightBitChannels32(const SDL_PixelFormat& format) {
    return format.BytesPerPixel == 4 && format.Rloss == 0 && format.Gloss == 0 && format.Bloss == 0;
}

layer::Channels32 ChannelsOf(const SDL_PixelFormat& format) {
    return layer::Channels32{format.Rshift, format.Gshift, format.Bshift, format.Amask};
}

// Draws the part `area` of the last frame into `surface`, at a whole-number
// `scale` with the frame's top left at (left, top).
void DrawScaled(SDL_Surface* surface, const SDL_Rect& area, int left, int top, int scale) {
    const SDL_PixelFormat& format = *surface->format;
    const layer::Channels32 channels = ChannelsOf(format);
    auto* base = static_cast<std::uint8_t*>(surface->pixels);
    const int bytesPerPixel = format.BytesPerPixel;
    const std::size_t outBytes = static_cast<std::size_t>(area.w) * scale * bytesPerPixel;
    rowScratch.resize(static_cast<std::size_t>(area.w));
    for (int y = area.y; y < area.y + area.h; ++y) {
        const std::uint16_t* source = lastFrame.data() + static_cast<std::size_t>(y) * lastWidth + area.x;
        std::uint8_t* out = base + static_cast<std::size_t>(top + y * scale) * surface->pitch +
                            static_cast<std::size_t>(left + area.x * scale) * bytesPerPixel;
        if (bytesPerPixel == 4) {
            auto* out32 = reinterpret_cast<std::uint32_t*>(out);
            if (scale == 1) {
                layer::WidenRow(source, out32, area.w, channels);
                continue;
            }
            layer::WidenRow(source, rowScratch.data(), area.w, channels);
            for (int x = 0; x < area.w; ++x) std::fill_n(out32 + x * scale, scale, rowScratch[x]);
        } else {  // the window is 5-6-5 itself
            auto* out16 = reinterpret_cast<std::uint16_t*>(out);
            if (scale == 1) {
                std::memcpy(out16, source, outBytes);
                continue;
            }
            for (int x = 0; x < area.w; ++x) std::fill_n(out16 + x * scale, scale, source[x]);
        }
        for (int copy = 1; copy < scale; ++copy) std::memcpy(out + copy * surface->pitch, out, outBytes);
    }
}

// Any other window format, or a window smaller than the frame: the whole
// frame widened into a 32-bit surface and left to SDL to convert and scale.
bool DrawThroughSdl(SDL_Surface* surface, const SDL_Rect& place) {
    if (frameScratch && (frameScratch->w != lastWidth || frameScratch->h != lastHeight)) {
        SDL_FreeSurface(frameScratch);
        frameScratch = nullptr;
    }
    if (!frameScratch)
        frameScratch = SDL_CreateRGBSurfaceWithFormat(0, lastWidth, lastHeight, 32, SDL_PIXELFORMAT_RGB888);
    if (!frameScratch) return false;
    const layer::Channels32 channels = ChannelsOf(*frameScratch->format);
    for (int y = 0; y < lastHeight; ++y)
        layer::WidenRow(lastFrame.data() + static_cast<std::size_t>(y) * lastWidth,
                        reinterpret_cast<std::uint32_t*>(static_cast<std::uint8_t*>(frameScratch->pixels) +
                                                         y * frameScratch->pitch),
                        lastWidth, channels);
    SDL_Rect to = place;
    return SDL_BlitScaled(frameScratch, nullptr, surface, &to) == 0;
}

void DrawSurface(const std::vector<SDL_Rect>& changes) {
    SDL_Surface* surface = SDL_GetWindowSurface(presenter.sdl);
    if (!surface) {
        presenter.stale = true;
        return;
    }
    if (surface != presenter.shown || surface->w != presenter.shownWidth || surface->h != presenter.shownHeight)
        presenter.stale = true;
    const SDL_Rect place = Placement(std::max(surface->w, 1), std::max(surface->h, 1), lastWidth, lastHeight);
    const int scale = place.w / lastWidth;
    const bool ownDrawing = scale >= 1 && place.w == lastWidth * scale &&
                            (EightBitChannels32(*surface->format) ||
                             surface->format->format == SDL_PIXELFORMAT_RGB565);
    if (!ownDrawing) presenter.stale = true;
    if (SDL_MUSTLOCK(surface) && SDL_LockSurface(surface) != 0) return;
    std::vector<SDL_Rect>& sent = sentRects;
    sent.clear();
    if (presenter.stale) {
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, 0, 0, 0));
        if (ownDrawing)
            DrawScaled(surface, SDL_Rect{0, 0, lastWidth, lastHeight}, place.x, place.y, scale);
        else
            DrawThroughSdl(surface, place);
        sent.push_back(SDL_Rect{0, 0, surface->w, surface->h});
    } else {
        for (const SDL_Rect& change : changes) {
            DrawScaled(surface, change, place.x, place.y, scale);
            sent.push_back(SDL_Rect{place.x + change.x * scale, place.y + change.y * scale, change.w * scale,
                                    change.h * scale});
        }
    }
    if (SDL_MUSTLOCK(surface)) SDL_UnlockSurface(surface);
    if (!sent.empty() &&
        SDL_UpdateWindowSurfaceRects(presenter.sdl, sent.data(), static_cast<int>(sent.size())) != 0) {
        presenter.stale = true;
        return;
    }
    presenter.shown = surface;
    presenter.shownWidth = surface->w;
    presenter.shownHeight = surface->h;
    presenter.stale = false;
}

void DrawRenderer(bool waitForVblank) {
    if (!presenter.renderer || !presenter.texture) return;
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

// Everything shown again, as after the window was uncovered or resized.
void Redraw() {
    if (lastFrame.empty()) return;
    presenter.stale = true;
    if (path == Path::Surface && presenter.sdl) DrawSurface({});
    if (path == Path::Renderer) DrawRenderer(false);
}

void ApplyWindowMode() {
    if (!presenter.sdl) return;
    if (!presenter.windowed) {
        if (layer::WindowManagerRunning()) {
            SDL_SetWindowFullscreen(presenter.sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
            return;
        }
        // No window manager: a borderless window over the whole display is
        // full screen, and each change is left alone where it holds already.
        SDL_Rect bounds{};
        if (SDL_GetDisplayBounds(std::max(0, SDL_GetWindowDisplayIndex(presenter.sdl)), &bounds) != 0) return;
        if (SDL_GetWindowFlags(presenter.sdl) & SDL_WINDOW_FULLSCREEN) SDL_SetWindowFullscreen(presenter.sdl, 0);
        if (!(SDL_GetWindowFlags(presenter.sdl) & SDL_WINDOW_BORDERLESS)) SDL_SetWindowBordered(presenter.sdl, SDL_FALSE);
        int x = 0, y = 0, w = 0, h = 0;
        SDL_GetWindowPosition(presenter.sdl, &x, &y);
        SDL_GetWindowSize(presenter.sdl, &w, &h);
        if (w != bounds.w || h != bounds.h) SDL_SetWindowSize(presenter.sdl, bounds.w, bounds.h);
        if (x != bounds.x || y != bounds.y) SDL_SetWindowPosition(presenter.sdl, bounds.x, bounds.y);
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
        Redraw();
        return;
    }
    if (event.type == SDL_WINDOWEVENT && event.window.windowID == id &&
        (event.window.event == SDL_WINDOWEVENT_EXPOSED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED))
        Redraw();
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

bool HaveGpuDevice() {
    char node[32];
    for (int i = 128; i < 136; ++i) {
        std::snprintf(node, sizeof(node), "/dev/dri/renderD%d", i);
        if (access(node, R_OK | W_OK) == 0) return true;
    }
    return false;
}

// Mesa's rasterisers that run on the CPU, by their GL renderer strings.
bool RasterisesOnCpu(SDL_Renderer* renderer) {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(renderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0) return false;
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned int kGlRenderer = 0x1F01;
    const auto* name = getString ? reinterpret_cast<const char*>(getString(kGlRenderer)) : nullptr;
    if (!name) return false;
    const std::string text(name);
    for (const char* cpu : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (text.find(cpu) != std::string::npos) return true;
    return false;
}

// Decides the path once, the first time a frame is shown; on the renderer
// path leaves the renderer made.
void ChoosePath(SDL_Window* sdl) {
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* reason = nullptr;
    if (driver && (std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0))
        reason = "no display";
    else if (!HaveGpuDevice())
        reason = "no GPU device";
    if (!reason) {
        presenter.renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!presenter.renderer) {
            reason = "no GPU renderer";
        } else if (RasterisesOnCpu(presenter.renderer)) {
            reason = "GL rasterises on the CPU";
            DropRenderer();
        }
    }
    if (reason) {
        path = Path::Surface;
        layer::LogLine("present: window surface (%s)", reason);
        return;
    }
    path = Path::Renderer;
    presenter.vsync = 1;
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(presenter.renderer, &info) == 0) layer::LogLine("present: %s renderer", info.name);
}

bool EnsureRenderer(SDL_Window* sdl) {
    if (!presenter.renderer) {
        presenter.renderer = SDL_CreateRenderer(sdl, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
        if (!presenter.renderer) {
            layer::LogLine("present: no renderer for the window: %s", SDL_GetError());
            return false;
        }
        presenter.vsync = 1;
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

bool EnsurePresenter(HWND window) {
    if (!window || !layer::EnsureVideo()) return false;
    SDL_Window* sdl = layer::SdlWindowOf(window);
    if (!sdl) return false;
    if (presenter.sdl != sdl) {
        DropRenderer();
        presenter.window = window;
        presenter.sdl = sdl;
        if (!presenter.modeChosen) {
            presenter.windowed = layer::StartsWindowed();
            presenter.modeChosen = true;
        }
        Hook();
        ApplyWindowMode();
    }
    if (path == Path::Undecided) ChoosePath(sdl);
    return path == Path::Surface || EnsureRenderer(sdl);
}

}  // namespace

namespace layer::present {

void ShowFrame(HWND window, const std::uint8_t* pixels, const std::uint64_t* rowNames, int width, int height,
               long pitch, bool waitForVblank) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    std::vector<SDL_Rect>& changes = frameChanges;
    changes.clear();
    if (width != lastWidth || height != lastHeight || frameCount == 0) {
        lastWidth = width;
        lastHeight = height;
        lastFrame.assign(static_cast<std::size_t>(width) * height, 0);
        CopyWhole(pixels, pitch);
        presenter.stale = true;
    } else if (path == Path::Renderer) {
        CopyWhole(pixels, pitch);
    } else {
        layer::TakeFrameChanges(lastFrame, lastRowNames, lastWidth, lastHeight, pixels, rowNames, pitch, changes);
    }
    if (rowNames)
        lastRowNames.assign(rowNames, rowNames + height);
    else
        lastRowNames.assign(static_cast<std::size_t>(height), 0);
    ++frameCount;
    layer::NoteFrameShown();
    if (!EnsurePresenter(window)) {
        presenter.stale = true;
        return;
    }
    if (path == Path::Renderer)
        DrawRenderer(waitForVblank);
    else
        DrawSurface(changes);
}

void ReleaseWindow(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (window != presenter.window) return;
    DropRenderer();
    presenter.window = nullptr;
    presenter.sdl = nullptr;
}

bool FillWindow(SDL_Window* sdl, std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (sdl == presenter.sdl && frameCount > 0) return true;  // the frame owns the picture
    if (path == Path::Undecided) {
        ChoosePath(sdl);
        DropRenderer();  // a renderer is made for the window that shows frames
    }
    if (path == Path::Surface) {
        SDL_Surface* surface = SDL_GetWindowSurface(sdl);
        if (!surface) return false;
        SDL_FillRect(surface, nullptr, SDL_MapRGB(surface->format, red, green, blue));
        return SDL_UpdateWindowSurface(sdl) == 0;
    }
    if (SDL_GetRenderer(sdl) != nullptr) return true;
    SDL_Renderer* renderer = SDL_CreateRenderer(sdl, -1, 0);
    if (renderer == nullptr) return false;
    SDL_SetRenderDrawColor(renderer, red, green, blue, 255);
    SDL_RenderClear(renderer);
    SDL_RenderPresent(renderer);
    SDL_DestroyRenderer(renderer);
    return true;
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
