// What the DirectDraw objects of the layer know of one another. The surfaces
// live in system memory in the display's pixel format (RGB 5-6-5), so nothing
// is ever lost behind the program's back.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "com_object.h"
#include "ddraw.h"
#include "ddraw_blit.h"

namespace layer::ddraw {

class DirectDraw;
class Clipper;

// Pixel storage of one surface. The flipping chain swaps these between its
// surfaces, so a surface's pixels are reached only through its current store.
struct PixelStore {
    int width = 0;
    int height = 0;
    long pitch = 0;  // bytes
    std::unique_ptr<std::uint16_t[]> memory;
    std::uint8_t* Row(int y) const { return reinterpret_cast<std::uint8_t*>(memory.get()) + y * pitch; }

    // What each row holds, and the whole-row copies not made yet: row y is
    // to hold row deferredFrom[y] of deferredSource, or -1 (ddraw_row_names.h).
    std::vector<std::uint64_t> rowNames;
    std::vector<std::int32_t> deferredFrom;
    const PixelStore* deferredSource = nullptr;
    int deferredCount = 0;

    PixelStore() = default;
    PixelStore(const PixelStore&) = delete;
    PixelStore& operator=(const PixelStore&) = delete;
    // Makes the copies other stores still owe from this one.
    ~PixelStore();

    // The opaque runs of the pixels under a key, kept while the pixels stay
    // as they are. A picture earns them on its second keyed copy since it
    // last changed, so pictures redrawn between single uses never pay.
    std::unique_ptr<blit::OpaqueRuns> runs;
    int keyedUses = 0;
    // Rows [staleTop, staleBottom) changed since the runs were built; a
    // picture drawn over a band at a time (a scrolling box, say) keeps the
    // runs of the rest and rebuilds only the band.
    int staleTop = 0;
    int staleBottom = 0;
    // The pixels may have changed.
    void Touch() {
        runs.reset();
        keyedUses = 0;
        staleTop = staleBottom = 0;
    }
    // Only rows [top, bottom) may have changed. A band of at most half the
    // picture still counts towards earning runs, and keeps runs already made.
    void TouchRows(int top, int bottom) {
        if (top >= bottom) return;
        if (2 * (bottom - top) > height) {
            Touch();
            return;
        }
        if (!runs) return;
        if (staleTop == staleBottom) {
            staleTop = top;
            staleBottom = bottom;
        } else {
            staleTop = std::min(staleTop, top);
            staleBottom = std::max(staleBottom, bottom);
        }
    }
};

std::shared_ptr<PixelStore> MakePixelStore(int width, int height);

// The pixel format of every surface: 16-bit RGB 5-6-5.
void FillPixelFormat(DDPIXELFORMAT& format);

class Surface final : public com::Object<IDirectDrawSurface7, IID_IUnknown, IID_IDirectDrawSurface7> {
public:
    Surface(DirectDraw* owner, DWORD caps, std::shared_ptr<PixelStore> store);

    HRESULT STDMETHODCALLTYPE AddAttachedSurface(LPDIRECTDRAWSURFACE7 surface) override;
    HRESULT STDMETHODCALLTYPE AddOverlayDirtyRect(LPRECT rect) override;
    HRESULT STDMETHODCALLTYPE Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT srcRect, DWORD flags,
                                  LPDDBLTFX fx) override;
    HRESULT STDMETHODCALLTYPE BltBatch(LPDDBLTBATCH batch, DWORD count, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 source, LPRECT srcRect,
                                      DWORD trans) override;
    HRESULT STDMETHODCALLTYPE DeleteAttachedSurface(DWORD flags, LPDIRECTDRAWSURFACE7 surface) override;
    HRESULT STDMETHODCALLTYPE EnumAttachedSurfaces(LPVOID context, LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT STDMETHODCALLTYPE EnumOverlayZOrders(DWORD flags, LPVOID context,
                                                 LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT STDMETHODCALLTYPE Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT STDMETHODCALLTYPE GetBltStatus(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDSCAPS2 caps) override;
    HRESULT STDMETHODCALLTYPE GetClipper(LPDIRECTDRAWCLIPPER* clipper) override;
    HRESULT STDMETHODCALLTYPE GetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT STDMETHODCALLTYPE GetDC(HDC* dc) override;
    HRESULT STDMETHODCALLTYPE GetFlipStatus(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetOverlayPosition(LPLONG x, LPLONG y) override;
    HRESULT STDMETHODCALLTYPE GetPalette(LPDIRECTDRAWPALETTE* palette) override;
    HRESULT STDMETHODCALLTYPE GetPixelFormat(LPDDPIXELFORMAT format) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceDesc(LPDDSURFACEDESC2 desc) override;
    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW dd, LPDDSURFACEDESC2 desc) override;
    HRESULT STDMETHODCALLTYPE IsLost() override;
    HRESULT STDMETHODCALLTYPE Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD flags, HANDLE event) override;
    HRESULT STDMETHODCALLTYPE ReleaseDC(HDC dc) override;
    HRESULT STDMETHODCALLTYPE Restore() override;
    HRESULT STDMETHODCALLTYPE SetClipper(LPDIRECTDRAWCLIPPER clipper) override;
    HRESULT STDMETHODCALLTYPE SetColorKey(DWORD flags, LPDDCOLORKEY key) override;
    HRESULT STDMETHODCALLTYPE SetOverlayPosition(LONG x, LONG y) override;
    HRESULT STDMETHODCALLTYPE SetPalette(LPDIRECTDRAWPALETTE palette) override;
    HRESULT STDMETHODCALLTYPE Unlock(LPRECT rect) override;
    HRESULT STDMETHODCALLTYPE UpdateOverlay(LPRECT srcRect, LPDIRECTDRAWSURFACE7 dest, LPRECT destRect, DWORD flags,
                                            LPDDOVERLAYFX fx) override;
    HRESULT STDMETHODCALLTYPE UpdateOverlayDisplay(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE UpdateOverlayZOrder(DWORD flags, LPDIRECTDRAWSURFACE7 reference) override;
    HRESULT STDMETHODCALLTYPE GetDDInterface(LPVOID* dd) override;
    HRESULT STDMETHODCALLTYPE PageLock(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE PageUnlock(DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetSurfaceDesc(LPDDSURFACEDESC2 desc, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetPrivateData(REFGUID tag, LPVOID data, DWORD size, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE GetPrivateData(REFGUID tag, LPVOID buffer, LPDWORD size) override;
    HRESULT STDMETHODCALLTYPE FreePrivateData(REFGUID tag) override;
    HRESULT STDMETHODCALLTYPE GetUniquenessValue(LPDWORD value) override;
    HRESULT STDMETHODCALLTYPE ChangeUniquenessValue() override;
    HRESULT STDMETHODCALLTYPE SetPriority(DWORD priority) override;
    HRESULT STDMETHODCALLTYPE GetPriority(LPDWORD priority) override;
    HRESULT STDMETHODCALLTYPE SetLOD(DWORD lod) override;
    HRESULT STDMETHODCALLTYPE GetLOD(LPDWORD lod) override;

    // The flipping chain: the front keeps a reference on each back buffer.
    void AttachChain(std::vector<Surface*> backBuffers);
    const PixelStore& Store() const { return *store_; }
    bool Busy() const { return locked_ || dc_ != nullptr; }

private:
    ~Surface();
    HRESULT BltChecked(LPRECT destRect, Surface* source, LPRECT srcRect, DWORD flags, LPDDBLTFX fx);
    // A keyed 1:1 copy of the block at (left, top) of `source` to (destLeft,
    // destTop), drawing only the rows that do not hold the result already.
    void KeyedCopy(int destLeft, int destTop, Surface* source, int left, int top, int width, int height,
                   const blit::ColourKey& key);
    void KeyedCopyPixels(blit::Plane dest, Surface* source, int left, int top, int width, int height,
                         const blit::ColourKey& key);

    DirectDraw* owner_;
    DWORD caps_;
    std::shared_ptr<PixelStore> store_;
    blit::ColourKey srcKey_;
    DDCOLORKEY srcKeyRaw_{};
    bool destKeySet_ = false;
    DDCOLORKEY destKeyRaw_{};
    Clipper* clipper_ = nullptr;
    IDirectDrawPalette* palette_ = nullptr;
    bool locked_ = false;
    HDC dc_ = nullptr;
    std::vector<Surface*> backBuffers_;  // a chain's front only, front to back
    Surface* front_ = nullptr;            // back buffers: the chain's front (not counted)
    DWORD uniqueness_ = 1;
};

// The clipper's clip list, in destination-surface coordinates, or the
// whole surface when it clips to a window. False when it has neither.
bool ClipRectsOf(Clipper* clipper, int surfaceWidth, int surfaceHeight, std::vector<RECT>& rects);
Clipper* AsClipper(IDirectDrawClipper* clipper);
IDirectDrawClipper* AsInterface(Clipper* clipper);

HRESULT CreateClipperObject(LPDIRECTDRAWCLIPPER* clipper);
HRESULT CreatePaletteObject(IDirectDraw7* owner, DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette);

class DirectDraw final : public com::Object<IDirectDraw7, IID_IUnknown, IID_IDirectDraw7> {
public:
    DirectDraw();

    HRESULT STDMETHODCALLTYPE Compact() override;
    HRESULT STDMETHODCALLTYPE CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE CreatePalette(DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette,
                                            IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* surface,
                                            IUnknown* outer) override;
    HRESULT STDMETHODCALLTYPE DuplicateSurface(LPDIRECTDRAWSURFACE7 source, LPDIRECTDRAWSURFACE7* copy) override;
    HRESULT STDMETHODCALLTYPE EnumDisplayModes(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                               LPDDENUMMODESCALLBACK2 callback) override;
    HRESULT STDMETHODCALLTYPE EnumSurfaces(DWORD flags, LPDDSURFACEDESC2 filter, LPVOID context,
                                           LPDDENUMSURFACESCALLBACK7 callback) override;
    HRESULT STDMETHODCALLTYPE FlipToGDISurface() override;
    HRESULT STDMETHODCALLTYPE GetCaps(LPDDCAPS driverCaps, LPDDCAPS helCaps) override;
    HRESULT STDMETHODCALLTYPE GetDisplayMode(LPDDSURFACEDESC2 desc) override;
    HRESULT STDMETHODCALLTYPE GetFourCCCodes(LPDWORD count, LPDWORD codes) override;
    HRESULT STDMETHODCALLTYPE GetGDISurface(LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT STDMETHODCALLTYPE GetMonitorFrequency(LPDWORD frequency) override;
    HRESULT STDMETHODCALLTYPE GetScanLine(LPDWORD line) override;
    HRESULT STDMETHODCALLTYPE GetVerticalBlankStatus(LPBOOL inBlank) override;
    HRESULT STDMETHODCALLTYPE Initialize(GUID* driver) override;
    HRESULT STDMETHODCALLTYPE RestoreDisplayMode() override;
    HRESULT STDMETHODCALLTYPE SetCooperativeLevel(HWND window, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD refreshRate,
                                             DWORD flags) override;
    HRESULT STDMETHODCALLTYPE WaitForVerticalBlank(DWORD flags, HANDLE event) override;
    HRESULT STDMETHODCALLTYPE GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) override;
    HRESULT STDMETHODCALLTYPE GetSurfaceFromDC(HDC dc, LPDIRECTDRAWSURFACE7* surface) override;
    HRESULT STDMETHODCALLTYPE RestoreAllSurfaces() override;
    HRESULT STDMETHODCALLTYPE TestCooperativeLevel() override;
    HRESULT STDMETHODCALLTYPE GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 identifier, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE StartModeTest(LPSIZE modes, DWORD count, DWORD flags) override;
    HRESULT STDMETHODCALLTYPE EvaluateMode(DWORD flags, DWORD* secondsUntilTimeout) override;

    HWND Window() const { return window_; }
    // The primary chain lets go of its slot when it dies.
    void PrimaryGone() { primaryExists_ = false; }

private:
    ~DirectDraw();
    // A front surface of `frontCaps` and `backCount` back buffers flipping with it.
    HRESULT MakeChain(DWORD frontCaps, int width, int height, DWORD backCount, LPDIRECTDRAWSURFACE7* out);
    HWND window_ = nullptr;
    DWORD level_ = 0;
    int width_ = 800;
    int height_ = 600;
    bool modeSet_ = false;
    bool primaryExists_ = false;
};

}  // namespace layer::ddraw
