// IDirectDrawPalette: a table of colour entries for 1-, 2-, 4- or 8-bit
// surfaces. The display is 16-bit, so a palette here is only a record of its
// entries; no surface can take one.
#include <cstring>

#include "com_object.h"
#include "ddraw_internal.h"

namespace layer::ddraw {

namespace {

int EntryCount(DWORD flags) {
    switch (flags & (DDPCAPS_1BIT | DDPCAPS_2BIT | DDPCAPS_4BIT | DDPCAPS_8BIT)) {
    case DDPCAPS_1BIT: return 2;
    case DDPCAPS_2BIT: return 4;
    case DDPCAPS_4BIT: return 16;
    case DDPCAPS_8BIT: return 256;
    default: return 0;
    }
}

class Palette final : public com::Object<IDirectDrawPalette, IID_IUnknown, IID_IDirectDrawPalette> {
public:
    Palette(IDirectDraw7* owner, DWORD caps, int count, const PALETTEENTRY* entries)
        : owner_(owner), caps_(caps), count_(count) {
        std::memcpy(entries_, entries, count * sizeof(PALETTEENTRY));
        owner_->AddRef();
    }

    HRESULT STDMETHODCALLTYPE GetCaps(LPDWORD caps) override {
        if (!caps) return DDERR_INVALIDPARAMS;
        *caps = caps_;
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE GetEntries(DWORD flags, DWORD base, DWORD count, LPPALETTEENTRY entries) override {
        if (flags != 0 || !entries || base > static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - base)
            return DDERR_INVALIDPARAMS;
        std::memcpy(entries, entries_ + base, count * sizeof(PALETTEENTRY));
        return DD_OK;
    }

    HRESULT STDMETHODCALLTYPE Initialize(LPDIRECTDRAW, DWORD, LPPALETTEENTRY) override {
        return DDERR_ALREADYINITIALIZED;
    }

    HRESULT STDMETHODCALLTYPE SetEntries(DWORD flags, DWORD start, DWORD count, LPPALETTEENTRY entries) override {
        if (flags != 0 || !entries || start > static_cast<DWORD>(count_) || count > static_cast<DWORD>(count_) - start)
            return DDERR_INVALIDPARAMS;
        std::memcpy(entries_ + start, entries, count * sizeof(PALETTEENTRY));
        return DD_OK;
    }

private:
    ~Palette() { owner_->Release(); }

    IDirectDraw7* owner_;
    DWORD caps_;
    int count_;
    PALETTEENTRY entries_[256]{};
};

}  // namespace

HRESULT CreatePaletteObject(IDirectDraw7* owner, DWORD flags, LPPALETTEENTRY entries, LPDIRECTDRAWPALETTE* palette) {
    const int count = EntryCount(flags);
    if (count == 0 || !entries) return DDERR_INVALIDPARAMS;
    if (flags & (DDPCAPS_PRIMARYSURFACE | DDPCAPS_PRIMARYSURFACELEFT | DDPCAPS_ALPHA))
        return DDERR_INVALIDPARAMS;
    *palette = new Palette(owner, flags, count, entries);
    return DD_OK;
}

}  // namespace layer::ddraw
