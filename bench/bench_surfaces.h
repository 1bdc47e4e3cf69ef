// The benchmarks' one way to make a DirectDraw picture from RGB565 pixels.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

#include <windows.h>
#include <ddraw.h>

// An off-screen surface holding `pixels` (rows of `width`); with `keyed`, its
// source colour key is `key`.
inline IDirectDrawSurface7* OffscreenSurface(IDirectDraw7* dd, int width, int height,
                                             const std::vector<std::uint16_t>& pixels, bool keyed,
                                             std::uint16_t key) {
    DDSURFACEDESC2 desc{};
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    dd->CreateSurface(&desc, &surface, nullptr);
    DDSURFACEDESC2 lock{};
    lock.dwSize = sizeof(lock);
    surface->Lock(nullptr, &lock, DDLOCK_WAIT, nullptr);
    for (int y = 0; y < height; ++y)
        std::memcpy(static_cast<std::uint8_t*>(lock.lpSurface) + y * lock.lPitch, pixels.data() + y * width,
                    static_cast<std::size_t>(width) * 2);
    surface->Unlock(nullptr);
    if (keyed) {
        DDCOLORKEY colourKey{key, key};
        surface->SetColorKey(DDCKEY_SRCBLT, &colourKey);
    }
    return surface;
}
