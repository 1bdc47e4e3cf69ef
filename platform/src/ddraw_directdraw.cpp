// IDirectDraw7 and DirectDrawCreateEx: the display object, its cooperative
// level and display mode, and the making of surfaces, palettes and clippers.
#include <cstring>

#include "ddraw_internal.h"
#include "layer_log.h"
#include "present.h"

namespace layer::ddraw {

namespace {

struct Mode {
    int width;
    int height;
};
// The modes the software display offers, all at 16 bits per pixel.
constexpr Mode kModes[] = {{640, 480}, {800, 600}, {1024, 768}};

constexpr DWORD kUnsupportedCaps = DDSCAPS_OVERLAY | DDSCAPS_TEXTURE | DDSCAPS_3DDEVICE | DDSCAPS_ZBUFFER |
                                   DDSCAPS_MIPMAP | DDSCAPS_ALPHA | DDSCAPS_LIVEVIDEO | DDSCAPS_HWCODEC |
                                   DDSCAPS_MODEX | DDSCAPS_VIDEOPORT | DDSCAPS_PALETTE | DDSCAPS_OWNDC;
constexpr int kMaxSurfaceSide = 16384;
constexpr DWORD kMaxBackBuffers = 3;

bool IsDisplayFormat(const DDPIXELFORMAT& format) {
    return format.dwSize == sizeof(DDPIXELFORMAT) && (format.dwFlags & DDPF_RGB) && format.dwRGBBitCount == 16 &&
           format.dwRBitMask == 0xF800 && format.dwGBitMask == 0x07E0 && format.dwBBitMask == 0x001F;
}

}  // namespace

DirectDraw::DirectDraw() = default;

DirectDraw::~DirectDraw() {
    if (window_) present::ReleaseWindow(window_);
}

HRESULT STDMETHODCALLTYPE DirectDraw::SetCooperativeLevel(HWND window, DWORD flags) {
    const DWORD known = DDSCL_FULLSCREEN | DDSCL_ALLOWREBOOT | DDSCL_NOWINDOWCHANGES | DDSCL_NORMAL |
                        DDSCL_EXCLUSIVE | DDSCL_ALLOWMODEX | DDSCL_MULTITHREADED | DDSCL_FPUSETUP |
                        DDSCL_FPUPRESERVE;
    if (flags & ~known) {
        if (flags & (DDSCL_SETFOCUSWINDOW | DDSCL_SETDEVICEWINDOW | DDSCL_CREATEDEVICEWINDOW))
            return layer::Unimplemented("IDirectDraw7::SetCooperativeLevel with device windows", DDERR_UNSUPPORTED);
        return DDERR_INVALIDPARAMS;
    }
    const bool exclusive = (flags & DDSCL_EXCLUSIVE) != 0;
    const bool fullscreen = (flags & DDSCL_FULLSCREEN) != 0;
    const bool normal = (flags & DDSCL_NORMAL) != 0;
    // Exclusive and full-screen go together; normal excludes both.
    if (exclusive != fullscreen || normal == exclusive) return DDERR_INVALIDPARAMS;
    if (exclusive && !window) return DDERR_INVALIDPARAMS;
    if (window_ && window_ != window) present::ReleaseWindow(window_);
    window_ = window;
    level_ = flags;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::SetDisplayMode(DWORD width, DWORD height, DWORD bpp, DWORD, DWORD flags) {
    if (flags & ~DDSDM_STANDARDVGAMODE) return DDERR_INVALIDPARAMS;
    if (!(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
    if (flags & DDSDM_STANDARDVGAMODE)
        return layer::Unimplemented("IDirectDraw7::SetDisplayMode in a standard VGA mode", DDERR_UNSUPPORTED);
    if (bpp != 16) return DDERR_INVALIDMODE;
    for (const Mode& mode : kModes) {
        if (static_cast<DWORD>(mode.width) == width && static_cast<DWORD>(mode.height) == height) {
            width_ = mode.width;
            height_ = mode.height;
            modeSet_ = true;
            return DD_OK;
        }
    }
    return DDERR_INVALIDMODE;
}

HRESULT STDMETHODCALLTYPE DirectDraw::RestoreDisplayMode() {
    modeSet_ = false;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::GetDisplayMode(LPDDSURFACEDESC2 desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    std::memset(desc, 0, sizeof(*desc));
    desc->dwSize = sizeof(DDSURFACEDESC2);
    desc->dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
    desc->dwWidth = static_cast<DWORD>(width_);
    desc->dwHeight = static_cast<DWORD>(height_);
    desc->lPitch = width_ * 2;
    desc->dwRefreshRate = 60;
    FillPixelFormat(desc->ddpfPixelFormat);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::EnumDisplayModes(DWORD, LPDDSURFACEDESC2 filter, LPVOID context,
                                                       LPDDENUMMODESCALLBACK2 callback) {
    if (!callback) return DDERR_INVALIDPARAMS;
    for (const Mode& mode : kModes) {
        DDSURFACEDESC2 desc{};
        desc.dwSize = sizeof(desc);
        desc.dwFlags = DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT | DDSD_REFRESHRATE;
        desc.dwWidth = static_cast<DWORD>(mode.width);
        desc.dwHeight = static_cast<DWORD>(mode.height);
        desc.lPitch = mode.width * 2;
        desc.dwRefreshRate = 60;
        FillPixelFormat(desc.ddpfPixelFormat);
        if (filter && (filter->dwFlags & DDSD_WIDTH) && filter->dwWidth != desc.dwWidth) continue;
        if (filter && (filter->dwFlags & DDSD_HEIGHT) && filter->dwHeight != desc.dwHeight) continue;
        if (filter && (filter->dwFlags & DDSD_PIXELFORMAT) && filter->ddpfPixelFormat.dwRGBBitCount != 16) continue;
        if (callback(&desc, context) == DDENUMRET_CANCEL) break;
    }
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::CreateSurface(LPDDSURFACEDESC2 desc, LPDIRECTDRAWSURFACE7* out,
                                                    IUnknown* outer) {
    if (!out) return DDERR_INVALIDPARAMS;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (level_ == 0) return DDERR_NOCOOPERATIVELEVELSET;
    const DWORD caps = (desc->dwFlags & DDSD_CAPS) ? desc->ddsCaps.dwCaps : 0;
    if (caps & kUnsupportedCaps)
        return layer::Unimplemented("IDirectDraw7::CreateSurface of overlays, textures, palettes or z-buffers",
                                    DDERR_INVALIDCAPS);
    if ((caps & DDSCAPS_SYSTEMMEMORY) && (caps & DDSCAPS_VIDEOMEMORY)) return DDERR_INVALIDCAPS;
    if (desc->dwFlags & (DDSD_LPSURFACE | DDSD_PITCH))
        return layer::Unimplemented("IDirectDraw7::CreateSurface over the caller's memory", DDERR_UNSUPPORTED);
    if ((desc->dwFlags & DDSD_PIXELFORMAT) && !IsDisplayFormat(desc->ddpfPixelFormat)) {
        layer::LogLine("IDirectDraw7::CreateSurface: only the display's RGB 5-6-5 format is offered");
        return DDERR_INVALIDPIXELFORMAT;
    }
    const DWORD memoryCaps = (caps & DDSCAPS_VIDEOMEMORY) ? DDSCAPS_VIDEOMEMORY | DDSCAPS_LOCALVIDMEM
                                                          : DDSCAPS_SYSTEMMEMORY;
    // DirectDraw marks the front and back buffers itself; a caller naming
    // them, or asking for memory it may not read, describes no surface it makes.
    if (caps & (DDSCAPS_FRONTBUFFER | DDSCAPS_WRITEONLY)) return DDERR_INVALIDCAPS;
    const bool chain = (caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) != 0;
    DWORD backCount = 0;
    if (chain) {
        if ((caps & (DDSCAPS_FLIP | DDSCAPS_COMPLEX)) != (DDSCAPS_FLIP | DDSCAPS_COMPLEX) ||
            (caps & DDSCAPS_BACKBUFFER))
            return DDERR_INVALIDCAPS;
        if (!(desc->dwFlags & DDSD_BACKBUFFERCOUNT) || desc->dwBackBufferCount == 0) return DDERR_INVALIDCAPS;
        backCount = desc->dwBackBufferCount;
        if (backCount > kMaxBackBuffers) return DDERR_INVALIDPARAMS;
    }

    if (caps & DDSCAPS_PRIMARYSURFACE) {
        if (desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
        if (caps & (DDSCAPS_OFFSCREENPLAIN | DDSCAPS_BACKBUFFER)) return DDERR_INVALIDCAPS;
        if (!chain && (desc->dwFlags & DDSD_BACKBUFFERCOUNT)) return DDERR_INVALIDCAPS;
        if (chain && !(level_ & DDSCL_EXCLUSIVE)) return DDERR_NOEXCLUSIVEMODE;
        if (primaryExists_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        const HRESULT made = MakeChain(caps | DDSCAPS_VISIBLE | memoryCaps, width_, height_, backCount, out);
        if (made == DD_OK) primaryExists_ = true;
        return made;
    }

    if (caps & (DDSCAPS_BACKBUFFER | DDSCAPS_VISIBLE)) return DDERR_INVALIDCAPS;
    if ((desc->dwFlags & (DDSD_WIDTH | DDSD_HEIGHT)) != (DDSD_WIDTH | DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth == 0 || desc->dwHeight == 0) return DDERR_INVALIDPARAMS;
    if (desc->dwWidth > kMaxSurfaceSide) return DDERR_TOOBIGWIDTH;
    if (desc->dwHeight > kMaxSurfaceSide) return DDERR_TOOBIGHEIGHT;
    // An off-screen flipping chain is drawn and flipped like the primary's,
    // but never shown, so it needs no exclusive mode.
    return MakeChain((caps & ~(DDSCAPS_FLIP | DDSCAPS_COMPLEX) ? caps : caps | DDSCAPS_OFFSCREENPLAIN) | memoryCaps,
                     static_cast<int>(desc->dwWidth), static_cast<int>(desc->dwHeight), backCount, out);
}

HRESULT DirectDraw::MakeChain(DWORD frontCaps, int width, int height, DWORD backCount, LPDIRECTDRAWSURFACE7* out) {
    auto frontStore = MakePixelStore(width, height);
    if (!frontStore) return DDERR_OUTOFMEMORY;
    const bool flipping = backCount > 0;
    auto* front = new Surface(this, frontCaps | (flipping ? DDSCAPS_FRONTBUFFER : 0), std::move(frontStore));
    // Back buffers keep the front's kind and memory, never its place on screen.
    const DWORD backBase = (frontCaps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_VISIBLE)) | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    std::vector<Surface*> backs;
    for (DWORD i = 0; i < backCount; ++i) {
        auto store = MakePixelStore(width, height);
        if (!store) {
            for (Surface* back : backs) back->Release();
            front->Release();
            return DDERR_OUTOFMEMORY;
        }
        backs.push_back(new Surface(this, backBase | (i == 0 ? DDSCAPS_BACKBUFFER : 0), std::move(store)));
    }
    front->AttachChain(std::move(backs));
    *out = front;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::CreatePalette(DWORD flags, LPPALETTEENTRY entries,
                                                    LPDIRECTDRAWPALETTE* palette, IUnknown* outer) {
    if (!palette) return DDERR_INVALIDPARAMS;
    *palette = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreatePaletteObject(this, flags, entries, palette);
}

HRESULT STDMETHODCALLTYPE DirectDraw::CreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    return CreateClipperObject(clipper);
}

// Surfaces are in system memory and never lost, so there is nothing to give back.
HRESULT STDMETHODCALLTYPE DirectDraw::RestoreAllSurfaces() { return DD_OK; }

HRESULT STDMETHODCALLTYPE DirectDraw::TestCooperativeLevel() {
    if (level_ & DDSCL_EXCLUSIVE) return DD_OK;
    return level_ ? DDERR_EXCLUSIVEMODEALREADYSET : DDERR_NOCOOPERATIVELEVELSET;
}

HRESULT STDMETHODCALLTYPE DirectDraw::WaitForVerticalBlank(DWORD flags, HANDLE) {
    if (flags != DDWAITVB_BLOCKBEGIN && flags != DDWAITVB_BLOCKEND)
        return layer::Unimplemented("IDirectDraw7::WaitForVerticalBlank with an event", DDERR_UNSUPPORTED);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::GetMonitorFrequency(LPDWORD frequency) {
    if (!frequency) return DDERR_INVALIDPARAMS;
    *frequency = 60;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::GetVerticalBlankStatus(LPBOOL inBlank) {
    if (!inBlank) return DDERR_INVALIDPARAMS;
    *inBlank = FALSE;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::Initialize(GUID*) { return DDERR_ALREADYINITIALIZED; }
HRESULT STDMETHODCALLTYPE DirectDraw::Compact() { return DD_OK; }
HRESULT STDMETHODCALLTYPE DirectDraw::FlipToGDISurface() { return DD_OK; }

HRESULT STDMETHODCALLTYPE DirectDraw::GetAvailableVidMem(LPDDSCAPS2 caps, LPDWORD total, LPDWORD free) {
    if (!caps) return DDERR_INVALIDPARAMS;
    // Everything lives in system memory: report a generous, constant amount.
    if (total) *total = 64u << 20;
    if (free) *free = 64u << 20;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::GetDeviceIdentifier(LPDDDEVICEIDENTIFIER2 identifier, DWORD) {
    if (!identifier) return DDERR_INVALIDPARAMS;
    std::memset(identifier, 0, sizeof(*identifier));
    std::strncpy(identifier->szDriver, "winlayer", sizeof(identifier->szDriver) - 1);
    std::strncpy(identifier->szDescription, "Software display", sizeof(identifier->szDescription) - 1);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE DirectDraw::DuplicateSurface(LPDIRECTDRAWSURFACE7, LPDIRECTDRAWSURFACE7*) {
    return layer::Unimplemented("IDirectDraw7::DuplicateSurface", DDERR_CANTDUPLICATE);
}
HRESULT STDMETHODCALLTYPE DirectDraw::EnumSurfaces(DWORD, LPDDSURFACEDESC2, LPVOID, LPDDENUMSURFACESCALLBACK7) {
    return layer::Unimplemented("IDirectDraw7::EnumSurfaces", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE DirectDraw::GetCaps(LPDDCAPS, LPDDCAPS) {
    return layer::Unimplemented("IDirectDraw7::GetCaps", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE DirectDraw::GetFourCCCodes(LPDWORD count, LPDWORD) {
    if (!count) return DDERR_INVALIDPARAMS;
    *count = 0;
    return DD_OK;
}
HRESULT STDMETHODCALLTYPE DirectDraw::GetGDISurface(LPDIRECTDRAWSURFACE7*) {
    return layer::Unimplemented("IDirectDraw7::GetGDISurface", DDERR_NOTFOUND);
}
HRESULT STDMETHODCALLTYPE DirectDraw::GetScanLine(LPDWORD) {
    return layer::Unimplemented("IDirectDraw7::GetScanLine", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE DirectDraw::GetSurfaceFromDC(HDC, LPDIRECTDRAWSURFACE7*) {
    return layer::Unimplemented("IDirectDraw7::GetSurfaceFromDC", DDERR_NOTFOUND);
}
HRESULT STDMETHODCALLTYPE DirectDraw::StartModeTest(LPSIZE, DWORD, DWORD) {
    return layer::Unimplemented("IDirectDraw7::StartModeTest", DDERR_UNSUPPORTED);
}
HRESULT STDMETHODCALLTYPE DirectDraw::EvaluateMode(DWORD, DWORD*) {
    return layer::Unimplemented("IDirectDraw7::EvaluateMode", DDERR_UNSUPPORTED);
}

}  // namespace layer::ddraw

extern "C" HRESULT WINAPI DirectDrawCreateEx(GUID* driver, LPVOID* dd, REFIID iid, IUnknown* outer) {
    if (!dd) return DDERR_INVALIDPARAMS;
    *dd = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (!IsEqualGUID(iid, IID_IDirectDraw7)) return DDERR_INVALIDPARAMS;
    // Only the default display driver exists.
    const auto value = reinterpret_cast<std::uintptr_t>(driver);
    if (driver && value > 2) return DDERR_INVALIDDIRECTDRAWGUID;
    *dd = static_cast<IDirectDraw7*>(new layer::ddraw::DirectDraw());
    return DD_OK;
}

extern "C" HRESULT WINAPI DirectDrawCreateClipper(DWORD flags, LPDIRECTDRAWCLIPPER* clipper, IUnknown* outer) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    if (flags != 0) return DDERR_INVALIDPARAMS;
    return layer::ddraw::CreateClipperObject(clipper);
}
