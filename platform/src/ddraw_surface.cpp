// IDirectDrawSurface7: a block of 16-bit pixels in system memory, the software
// blits between such blocks, locking, device contexts and the flipping chain.
#include <algorithm>
#include <cstddef>
#include <cstring>

#include "ddraw_internal.h"
#include "ddraw_row_names.h"
#include "gdi_internal.h"
#include "frame_output.h"
#include "injected_faults.h"
#include "journal_session.h"
#include "layer_log.h"
#include "present.h"

namespace layer::ddraw {

namespace {

constexpr DWORD kUnsupportedBltFlags = DDBLT_ALPHADEST | DDBLT_ALPHADESTCONSTOVERRIDE | DDBLT_ALPHADESTNEG |
                                       DDBLT_ALPHADESTSURFACEOVERRIDE | DDBLT_ALPHAEDGEBLEND | DDBLT_ALPHASRC |
                                       DDBLT_ALPHASRCCONSTOVERRIDE | DDBLT_ALPHASRCNEG |
                                       DDBLT_ALPHASRCSURFACEOVERRIDE | DDBLT_DDFX | DDBLT_DDROPS | DDBLT_KEYDEST |
                                       DDBLT_KEYDESTOVERRIDE | DDBLT_ROTATIONANGLE | DDBLT_ZBUFFER |
                                       DDBLT_ZBUFFERDESTCONSTOVERRIDE | DDBLT_ZBUFFERDESTOVERRIDE |
                                       DDBLT_ZBUFFERSRCCONSTOVERRIDE | DDBLT_ZBUFFERSRCOVERRIDE | DDBLT_DEPTHFILL;

bool ValidRect(const RECT& r) { return r.left < r.right && r.top < r.bottom; }

bool Inside(const RECT& r, int width, int height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}

RECT Whole(const PixelStore& store) { return RECT{0, 0, store.width, store.height}; }

blit::ColourKey KeyFrom(const DDCOLORKEY& key) {
    blit::ColourKey result;
    result.enabled = true;
    result.low = static_cast<std::uint16_t>(key.dwColorSpaceLowValue);
    const auto high = static_cast<std::uint16_t>(key.dwColorSpaceHighValue);
    // A single key leaves the high value unused; only a real range widens it.
    result.high = high < result.low ? result.low : high;
    return result;
}

Surface* Unwrap(LPDIRECTDRAWSURFACE7 surface) { return static_cast<Surface*>(surface); }

}  // namespace

std::shared_ptr<PixelStore> MakePixelStore(int width, int height) {
    auto store = std::make_shared<PixelStore>();
    store->width = width;
    store->height = height;
    // Rows start on 8-byte boundaries, as display memory of the time did.
    const long rowPixels = (static_cast<long>(width) + 3) & ~3L;
    store->pitch = rowPixels * 2;
    store->memory.reset(new (std::nothrow) std::uint16_t[static_cast<std::size_t>(rowPixels) * height]());
    if (!store->memory) return nullptr;
    store->rowNames.resize(static_cast<std::size_t>(height));
    store->deferredFrom.assign(static_cast<std::size_t>(height), -1);
    NameRowsFreshly(*store, 0, height);
    return store;
}

void FillPixelFormat(DDPIXELFORMAT& format) {
    std::memset(&format, 0, sizeof(format));
    format.dwSize = sizeof(DDPIXELFORMAT);
    format.dwFlags = DDPF_RGB;
    format.dwRGBBitCount = 16;
    format.dwRBitMask = 0xF800;
    format.dwGBitMask = 0x07E0;
    format.dwBBitMask = 0x001F;
    format.dwRGBAlphaBitMask = 0;
}

Surface::Surface(DirectDraw* owner, DWORD caps, std::shared_ptr<PixelStore> store)
    : owner_(owner), caps_(caps), store_(std::move(store)) {
    if (owner_) owner_->AddRef();
}

Surface::~Surface() {
    if (clipper_) AsInterface(clipper_)->Release();
    if (palette_) palette_->Release();
    if (dc_) gdi::DestroySurfaceDC(dc_);
    for (Surface* back : backBuffers_) {
        back->front_ = nullptr;
        back->Release();
    }
    if ((caps_ & DDSCAPS_PRIMARYSURFACE) && owner_) owner_->PrimaryGone();
    if (owner_) owner_->Release();
}

void Surface::AttachChain(std::vector<Surface*> backBuffers) {
    backBuffers_ = std::move(backBuffers);
    for (Surface* back : backBuffers_) back->front_ = this;
}

// ---------------------------------------------------------------- blits

HRESULT STDMETHODCALLTYPE Surface::BltFast(DWORD x, DWORD y, LPDIRECTDRAWSURFACE7 sourceInterface, LPRECT srcRect,
                                           DWORD trans) {
    if (const HRESULT fault = TakeFault(seam::FaultCall::BltFast); fault != S_OK) return fault;
    if (!sourceInterface) return DDERR_INVALIDPARAMS;
    if (trans & ~(DDBLTFAST_SRCCOLORKEY | DDBLTFAST_DESTCOLORKEY | DDBLTFAST_WAIT | DDBLTFAST_DONOTWAIT))
        return DDERR_INVALIDPARAMS;
    if ((trans & DDBLTFAST_SRCCOLORKEY) && (trans & DDBLTFAST_DESTCOLORKEY)) return DDERR_INVALIDPARAMS;
    if (trans & DDBLTFAST_DESTCOLORKEY)
        return layer::Unimplemented("IDirectDrawSurface7::BltFast with DDBLTFAST_DESTCOLORKEY", DDERR_UNSUPPORTED);
    // BltFast cannot clip, so it refuses a destination that has a clipper.
    if (clipper_) return DDERR_UNSUPPORTED;
    Surface* source = Unwrap(sourceInterface);
    if (Busy() || source->Busy()) return DDERR_SURFACEBUSY;

    PixelStore& from = *source->store_;
    const RECT sourceRect = srcRect ? *srcRect : Whole(from);
    if (!ValidRect(sourceRect) || !Inside(sourceRect, from.width, from.height)) return DDERR_INVALIDRECT;
    const long long width = sourceRect.right - sourceRect.left;
    const long long height = sourceRect.bottom - sourceRect.top;
    if (static_cast<long long>(x) + width > store_->width || static_cast<long long>(y) + height > store_->height)
        return DDERR_INVALIDRECT;

    const int top = static_cast<int>(y), bottom = static_cast<int>(y + height);
    const bool wholeRows = x == 0 && sourceRect.left == 0 && width == from.width && width == store_->width;
    if ((trans & DDBLTFAST_SRCCOLORKEY) && source->srcKey_.enabled) {
        KeyedCopy(static_cast<int>(x), top, source, sourceRect.left, sourceRect.top, static_cast<int>(width),
                  static_cast<int>(height), source->srcKey_);
    } else if (wholeRows && &from != store_.get()) {
        CopyWholeRows(*store_, top, from, sourceRect.top, static_cast<int>(height));
    } else {
        MakeDeferredRows(from, sourceRect.top, sourceRect.bottom);
        PrepareRowsForWriting(*store_, top, bottom);
        blit::Copy(blit::Plane{store_->Row(top) + x * 2, store_->pitch},
                   blit::Plane{from.Row(sourceRect.top) + sourceRect.left * 2, from.pitch}, static_cast<int>(width),
                   static_cast<int>(height), blit::ColourKey{});
        NameRowsFreshly(*store_, top, bottom);
    }
    store_->TouchRows(top, bottom);
    return DD_OK;
}

void Surface::KeyedCopy(int destLeft, int destTop, Surface* source, int left, int top, int width, int height,
                        const blit::ColourKey& key) {
    PixelStore& from = *source->store_;
    MakeDeferredRows(from, 0, from.height);
    const auto rowsAt = [&](int first) { return blit::Plane{store_->Row(destTop + first) + destLeft * 2, store_->pitch}; };
    if (&from == store_.get()) {
        // It reads what it writes: no name can tell what the rows become.
        PrepareRowsForWriting(*store_, destTop, destTop + height);
        KeyedCopyPixels(rowsAt(0), source, left, top, width, height, key);
        NameRowsFreshly(*store_, destTop, destTop + height);
        return;
    }
    KeyedCopyRows(*store_, destTop, from, top, height, [&] { return NamePlacement(left, destLeft, width, key); },
                  [&](int first, int count) {
                      KeyedCopyPixels(rowsAt(first), source, left, top + first, width, count, key);
                  });
}

void Surface::KeyedCopyPixels(blit::Plane dest, Surface* source, int left, int top, int width, int height,
                              const blit::ColourKey& key) {
    PixelStore& from = *source->store_;
    const bool sameKey = from.runs && from.runs->key.low == key.low && from.runs->key.high == key.high;
    if (source != this && (sameKey || ++from.keyedUses >= 2)) {
        if (!sameKey)
            from.runs = std::make_unique<blit::OpaqueRuns>(
                blit::BuildRuns(blit::Plane{from.Row(0), from.pitch}, from.width, from.height, key));
        else if (from.staleTop < from.staleBottom)
            blit::RebuildRows(*from.runs, blit::Plane{from.Row(0), from.pitch}, from.width, from.staleTop,
                              from.staleBottom);
        from.staleTop = from.staleBottom = 0;
        blit::CopyRuns(dest, blit::Plane{from.Row(0), from.pitch}, *from.runs, left, top, width, height);
        return;
    }
    blit::Copy(dest, blit::Plane{from.Row(top) + left * 2, from.pitch}, width, height, key);
}

HRESULT STDMETHODCALLTYPE Surface::Blt(LPRECT destRect, LPDIRECTDRAWSURFACE7 source, LPRECT srcRect, DWORD flags,
                                       LPDDBLTFX fx) {
    if (const HRESULT fault = TakeFault(seam::FaultCall::Blt); fault != S_OK) return fault;
    return BltChecked(destRect, Unwrap(source), srcRect, flags, fx);
}

HRESULT Surface::BltChecked(LPRECT destRect, Surface* source, LPRECT srcRect, DWORD flags, LPDDBLTFX fx) {
    if (flags & kUnsupportedBltFlags) return layer::Unimplemented("IDirectDrawSurface7::Blt with effects", DDERR_NOBLTHW);
    if ((flags & (DDBLT_COLORFILL | DDBLT_KEYSRCOVERRIDE | DDBLT_ROP)) && (!fx || fx->dwSize != sizeof(DDBLTFX)))
        return DDERR_INVALIDPARAMS;
    if ((flags & DDBLT_ROP) && fx->dwROP != SRCCOPY)
        return layer::Unimplemented("IDirectDrawSurface7::Blt with a raster operation other than SRCCOPY",
                                    DDERR_NORASTEROPHW);
    const bool fill = (flags & DDBLT_COLORFILL) != 0;
    if (!fill && !source) return DDERR_INVALIDPARAMS;
    if (Busy() || (source && source->Busy())) return DDERR_SURFACEBUSY;

    const RECT dest = destRect ? *destRect : Whole(*store_);
    if (!ValidRect(dest)) return DDERR_INVALIDRECT;
    RECT from{};
    if (!fill) {
        from = srcRect ? *srcRect : Whole(*source->store_);
        if (!ValidRect(from) || !Inside(from, source->store_->width, source->store_->height))
            return DDERR_INVALIDRECT;
    }

    // The parts of the destination to write, relative to the destination rectangle.
    std::vector<RECT> parts;
    if (clipper_) {
        std::vector<RECT> clips;
        if (!ClipRectsOf(clipper_, store_->width, store_->height, clips)) return DDERR_NOCLIPLIST;
        for (const RECT& clip : clips) {
            RECT part{std::max<LONG>({dest.left, clip.left, 0}), std::max<LONG>({dest.top, clip.top, 0}),
                      std::min({dest.right, clip.right, static_cast<LONG>(store_->width)}),
                      std::min({dest.bottom, clip.bottom, static_cast<LONG>(store_->height)})};
            if (ValidRect(part))
                parts.push_back(RECT{part.left - dest.left, part.top - dest.top, part.right - dest.left,
                                     part.bottom - dest.top});
        }
    } else {
        if (!Inside(dest, store_->width, store_->height)) return DDERR_INVALIDRECT;
        parts.push_back(RECT{0, 0, dest.right - dest.left, dest.bottom - dest.top});
    }

    const blit::Plane destPlane{store_->Row(dest.top) + dest.left * 2, store_->pitch};
    const int destWidth = dest.right - dest.left;
    const int destHeight = dest.bottom - dest.top;
    int touchedTop = store_->height, touchedBottom = 0;
    for (const RECT& part : parts) {
        touchedTop = std::min<int>(touchedTop, dest.top + part.top);
        touchedBottom = std::max<int>(touchedBottom, dest.top + part.bottom);
    }
    store_->TouchRows(touchedTop, touchedBottom);
    if (fill) {
        PrepareRowsForWriting(*store_, touchedTop, touchedBottom);
        const auto colour = static_cast<std::uint16_t>(fx->dwFillColor);
        for (const RECT& part : parts)
            blit::Fill(blit::Plane{destPlane.pixels + part.top * destPlane.pitch + part.left * 2, destPlane.pitch},
                       part.right - part.left, part.bottom - part.top, colour);
        NameRowsFreshly(*store_, touchedTop, touchedBottom);
        return DD_OK;
    }

    blit::ColourKey key;
    if (flags & DDBLT_KEYSRCOVERRIDE)
        key = KeyFrom(fx->ddckSrcColorkey);
    else if (flags & DDBLT_KEYSRC)
        key = source->srcKey_;
    PixelStore& store = *source->store_;
    const int sourceWidth = from.right - from.left, sourceHeight = from.bottom - from.top;
    if (key.enabled && sourceWidth == destWidth && sourceHeight == destHeight) {
        for (const RECT& part : parts)
            KeyedCopy(dest.left + part.left, dest.top + part.top, source, from.left + part.left, from.top + part.top,
                      part.right - part.left, part.bottom - part.top, key);
        return DD_OK;
    }
    MakeDeferredRows(store, from.top, from.bottom);
    PrepareRowsForWriting(*store_, touchedTop, touchedBottom);
    const blit::Plane sourcePlane{store.Row(from.top) + from.left * 2, store.pitch};
    for (const RECT& part : parts)
        blit::Stretch(destPlane, destWidth, destHeight, sourcePlane, from.right - from.left, from.bottom - from.top,
                      part.left, part.top, part.right, part.bottom, key);
    NameRowsFreshly(*store_, touchedTop, touchedBottom);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::BltBatch(LPDDBLTBATCH, DWORD, DWORD) {
    // Never implemented by DirectDraw itself either.
    return DDERR_UNSUPPORTED;
}

// ---------------------------------------------------------------- flipping

HRESULT STDMETHODCALLTYPE Surface::Flip(LPDIRECTDRAWSURFACE7 target, DWORD flags) {
    if (const HRESULT fault = TakeFault(seam::FaultCall::Flip); fault != S_OK) return fault;
    if (!(caps_ & DDSCAPS_FLIP) || backBuffers_.empty()) return DDERR_NOTFLIPPABLE;
    if (target)
        return layer::Unimplemented("IDirectDrawSurface7::Flip to a chosen buffer", DDERR_UNSUPPORTED);
    if (flags & (DDFLIP_EVEN | DDFLIP_ODD | DDFLIP_STEREO)) return DDERR_INVALIDPARAMS;
    if (Busy()) return DDERR_SURFACEBUSY;
    for (Surface* back : backBuffers_)
        if (back->Busy()) return DDERR_SURFACEBUSY;
    // The front takes the first back buffer's pixels, each back buffer the
    // next one's, and the last back buffer the old front's.
    std::shared_ptr<PixelStore> oldFront = std::move(store_);
    store_ = std::move(backBuffers_.front()->store_);
    for (std::size_t i = 0; i + 1 < backBuffers_.size(); ++i)
        backBuffers_[i]->store_ = std::move(backBuffers_[i + 1]->store_);
    backBuffers_.back()->store_ = std::move(oldFront);
    ++uniqueness_;
    if (caps_ & DDSCAPS_PRIMARYSURFACE) {
        MakeDeferredRows(*store_, 0, store_->height);
        present::ShowFrame(owner_ ? owner_->Window() : nullptr, store_->Row(0), store_->rowNames.data(),
                           store_->width, store_->height, store_->pitch, (flags & DDFLIP_NOVSYNC) == 0);
        layer::NoteFrameShown(store_->Row(0), store_->width, store_->height, store_->pitch);
        // A recording cut short by a crash or a kill keeps every frame but the last.
        layer::FlushJournal();
    }
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetAttachedSurface(LPDDSCAPS2 caps, LPDIRECTDRAWSURFACE7* surface) {
    if (!caps || !surface) return DDERR_INVALIDPARAMS;
    *surface = nullptr;
    const DWORD wanted = caps->dwCaps;
    if (wanted == 0 || (wanted & ~(DDSCAPS_BACKBUFFER | DDSCAPS_FLIP))) return DDERR_NOTFOUND;
    // What is attached is the next surface of the chain: the front buffer's
    // is the first back buffer, the last back buffer's the front again.
    Surface* next = nullptr;
    if (!backBuffers_.empty()) {
        next = backBuffers_.front();
    } else if (front_) {
        const auto& chain = front_->backBuffers_;
        const auto at = std::find(chain.begin(), chain.end(), this);
        if (at != chain.end()) next = at + 1 == chain.end() ? front_ : *(at + 1);
    }
    // Only the first back buffer carries DDSCAPS_BACKBUFFER.
    if (!next || ((wanted & DDSCAPS_BACKBUFFER) && !(next->caps_ & DDSCAPS_BACKBUFFER))) return DDERR_NOTFOUND;
    next->AddRef();
    *surface = next;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetFlipStatus(DWORD flags) {
    if (flags != DDGFS_CANFLIP && flags != DDGFS_ISFLIPDONE) return DDERR_INVALIDPARAMS;
    if (!(caps_ & DDSCAPS_FLIP)) return DDERR_NOTFLIPPABLE;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetBltStatus(DWORD flags) {
    if (flags != DDGBS_CANBLT && flags != DDGBS_ISBLTDONE) return DDERR_INVALIDPARAMS;
    return DD_OK;
}

// ---------------------------------------------------------------- memory access

HRESULT STDMETHODCALLTYPE Surface::Lock(LPRECT rect, LPDDSURFACEDESC2 desc, DWORD, HANDLE) {
    // A failed Lock leaves no pointer behind that a careless caller could write through.
    if (desc && desc->dwSize >= offsetof(DDSURFACEDESC2, lpSurface) + sizeof(desc->lpSurface))
        desc->lpSurface = nullptr;
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    if (Busy()) return DDERR_SURFACEBUSY;
    const RECT area = rect ? *rect : Whole(*store_);
    // An empty rectangle locks nothing but is no error; one reaching outside is.
    if (area.left > area.right || area.top > area.bottom || !Inside(area, store_->width, store_->height))
        return DDERR_INVALIDPARAMS;
    GetSurfaceDesc(desc);
    desc->dwFlags |= DDSD_LPSURFACE;
    desc->lpSurface = store_->Row(area.top) + area.left * 2;
    locked_ = true;
    // What the program writes through the pointer cannot be named.
    PrepareRowsForWriting(*store_, 0, store_->height);
    NameRowsFreshly(*store_, 0, store_->height);
    store_->Touch();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::Unlock(LPRECT) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    ++uniqueness_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetDC(HDC* dc) {
    if (!dc) return DDERR_INVALIDPARAMS;
    *dc = nullptr;
    if (dc_) return DDERR_DCALREADYCREATED;
    if (locked_) return DDERR_SURFACEBUSY;
    PrepareRowsForWriting(*store_, 0, store_->height);
    NameRowsFreshly(*store_, 0, store_->height);
    dc_ = gdi::CreateSurfaceDC(store_->Row(0), store_->width, store_->height, store_->pitch);
    store_->Touch();
    if (!dc_) return DDERR_CANTCREATEDC;
    *dc = dc_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::ReleaseDC(HDC dc) {
    if (!dc_) return DDERR_NODC;
    if (dc != dc_) return DDERR_INVALIDPARAMS;
    gdi::DestroySurfaceDC(dc_);
    dc_ = nullptr;
    ++uniqueness_;
    return DD_OK;
}

// ---------------------------------------------------------------- description

HRESULT STDMETHODCALLTYPE Surface::GetSurfaceDesc(LPDDSURFACEDESC2 desc) {
    if (!desc || desc->dwSize != sizeof(DDSURFACEDESC2)) return DDERR_INVALIDPARAMS;
    std::memset(desc, 0, sizeof(*desc));
    desc->dwSize = sizeof(DDSURFACEDESC2);
    desc->dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc->dwWidth = static_cast<DWORD>(store_->width);
    desc->dwHeight = static_cast<DWORD>(store_->height);
    desc->lPitch = static_cast<LONG>(store_->pitch);
    if (!backBuffers_.empty()) {
        desc->dwFlags |= DDSD_BACKBUFFERCOUNT;
        desc->dwBackBufferCount = static_cast<DWORD>(backBuffers_.size());
    }
    if (srcKey_.enabled) {
        desc->dwFlags |= DDSD_CKSRCBLT;
        desc->ddckCKSrcBlt = srcKeyRaw_;
    }
    if (destKeySet_) {
        desc->dwFlags |= DDSD_CKDESTBLT;
        desc->ddckCKDestBlt = destKeyRaw_;
    }
    FillPixelFormat(desc->ddpfPixelFormat);
    desc->ddsCaps.dwCaps = caps_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetPixelFormat(LPDDPIXELFORMAT format) {
    if (!format) return DDERR_INVALIDPARAMS;
    FillPixelFormat(*format);
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetCaps(LPDDSCAPS2 caps) {
    if (!caps) return DDERR_INVALIDPARAMS;
    *caps = DDSCAPS2{};
    caps->dwCaps = caps_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::SetColorKey(DWORD flags, LPDDCOLORKEY key) {
    const DWORD which = flags & ~DDCKEY_COLORSPACE;
    if (which == DDCKEY_SRCBLT) {
        if (!key) {
            srcKey_ = blit::ColourKey{};
            return DD_OK;
        }
        // The pixels from low to high are transparent; a single key gives
        // both as the same value.
        srcKey_ = KeyFrom(DDCOLORKEY{key->dwColorSpaceLowValue & 0xFFFF, key->dwColorSpaceHighValue & 0xFFFF});
        // Reported as it is used: a high value under the low one reads back as the low one.
        srcKeyRaw_ = DDCOLORKEY{srcKey_.low, srcKey_.high};
        return DD_OK;
    }
    if (which == DDCKEY_DESTBLT) {
        destKeySet_ = key != nullptr;
        if (key) destKeyRaw_ = *key;
        return DD_OK;
    }
    if (which == DDCKEY_SRCOVERLAY || which == DDCKEY_DESTOVERLAY) return DDERR_NOOVERLAYHW;
    return DDERR_INVALIDPARAMS;
}

HRESULT STDMETHODCALLTYPE Surface::GetColorKey(DWORD flags, LPDDCOLORKEY key) {
    if (!key) return DDERR_INVALIDPARAMS;
    if (flags == DDCKEY_SRCBLT) {
        if (!srcKey_.enabled) return DDERR_NOCOLORKEY;
        *key = srcKeyRaw_;
        return DD_OK;
    }
    if (flags == DDCKEY_DESTBLT) {
        if (!destKeySet_) return DDERR_NOCOLORKEY;
        *key = destKeyRaw_;
        return DD_OK;
    }
    return DDERR_INVALIDPARAMS;
}

HRESULT STDMETHODCALLTYPE Surface::SetClipper(LPDIRECTDRAWCLIPPER clipper) {
    if (clipper) clipper->AddRef();
    if (clipper_) AsInterface(clipper_)->Release();
    clipper_ = clipper ? AsClipper(clipper) : nullptr;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetClipper(LPDIRECTDRAWCLIPPER* clipper) {
    if (!clipper) return DDERR_INVALIDPARAMS;
    *clipper = nullptr;
    if (!clipper_) return DDERR_NOCLIPPERATTACHED;
    *clipper = AsInterface(clipper_);
    (*clipper)->AddRef();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::SetPalette(LPDIRECTDRAWPALETTE palette) {
    // Palettes colour 8-bit surfaces only; every surface here is 16-bit.
    if (palette) return DDERR_INVALIDPIXELFORMAT;
    if (palette_) palette_->Release();
    palette_ = nullptr;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetPalette(LPDIRECTDRAWPALETTE* palette) {
    if (!palette) return DDERR_INVALIDPARAMS;
    *palette = nullptr;
    return DDERR_NOPALETTEATTACHED;
}

HRESULT STDMETHODCALLTYPE Surface::IsLost() { return DD_OK; }
HRESULT STDMETHODCALLTYPE Surface::Restore() { return DD_OK; }

HRESULT STDMETHODCALLTYPE Surface::GetDDInterface(LPVOID* dd) {
    if (!dd) return DDERR_INVALIDPARAMS;
    *dd = static_cast<IDirectDraw7*>(owner_);
    if (owner_) owner_->AddRef();
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::GetUniquenessValue(LPDWORD value) {
    if (!value) return DDERR_INVALIDPARAMS;
    *value = uniqueness_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::ChangeUniquenessValue() {
    ++uniqueness_;
    return DD_OK;
}

HRESULT STDMETHODCALLTYPE Surface::PageLock(DWORD) { return DD_OK; }
HRESULT STDMETHODCALLTYPE Surface::PageUnlock(DWORD) { return DD_OK; }

}  // namespace layer::ddraw
