#include "surface_helpers.h"

#include <cstring>

IDirectDraw7* StartDirectDrawExclusiveMode(HWND window, int width, int height, int bitsPerPixel) {
    IDirectDraw7* dd = nullptr;
    if (FAILED(DirectDrawCreateEx(nullptr, reinterpret_cast<void**>(&dd), IID_IDirectDraw7, nullptr)) || !dd)
        return nullptr;
    // Every failure after creation hands the object back, so nothing leaks.
    if (FAILED(dd->SetCooperativeLevel(window, DDSCL_EXCLUSIVE | DDSCL_FULLSCREEN)) ||
        FAILED(dd->SetDisplayMode(static_cast<DWORD>(width), static_cast<DWORD>(height),
                                  static_cast<DWORD>(bitsPerPixel), 0, 0))) {
        dd->Release();
        return nullptr;
    }
    return dd;
}

IDirectDrawSurface7* MakePrimaryFlippingChain(IDirectDraw7* dd, IDirectDrawSurface7** backBuffer,
                                              int backBufferCount) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_BACKBUFFERCOUNT;
    desc.ddsCaps.dwCaps = DDSCAPS_PRIMARYSURFACE | DDSCAPS_FLIP | DDSCAPS_COMPLEX;
    desc.dwBackBufferCount = static_cast<DWORD>(backBufferCount);
    IDirectDrawSurface7* primary = nullptr;
    if (FAILED(dd->CreateSurface(&desc, &primary, nullptr)) || !primary) return nullptr;

    DDSCAPS2 caps;
    std::memset(&caps, 0, sizeof(caps));
    caps.dwCaps = DDSCAPS_BACKBUFFER;
    if (FAILED(primary->GetAttachedSurface(&caps, backBuffer))) {
        primary->Release();
        return nullptr;
    }
    return primary;
}

IDirectDrawSurface7* MakeOffscreenSurface(IDirectDraw7* dd, int width, int height) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH;
    desc.dwWidth = static_cast<DWORD>(width);
    desc.dwHeight = static_cast<DWORD>(height);
    desc.ddsCaps.dwCaps = DDSCAPS_OFFSCREENPLAIN;
    IDirectDrawSurface7* surface = nullptr;
    dd->CreateSurface(&desc, &surface, nullptr);
    return surface;
}

int SetSrcColourKey(IDirectDrawSurface7* surface, int x, int y) {
    DDSURFACEDESC2 desc;
    std::memset(&desc, 0, sizeof(desc));
    desc.dwSize = sizeof(desc);
    if (FAILED(surface->Lock(nullptr, &desc, 0, nullptr))) return 0;
    const DWORD bpp = desc.ddpfPixelFormat.dwRGBBitCount;
    // A pixel outside the surface has no colour to take.
    if (x < 0 || y < 0 || static_cast<DWORD>(x) >= desc.dwWidth || static_cast<DWORD>(y) >= desc.dwHeight ||
        bpp == 0 || bpp > 32 || bpp % 8 != 0) {
        surface->Unlock(nullptr);
        return 0;
    }
    const unsigned char* pixel =
        static_cast<const unsigned char*>(desc.lpSurface) + y * desc.lPitch + x * static_cast<int>(bpp / 8);
    DWORD value = 0;
    for (DWORD i = 0; i < bpp / 8; ++i) value |= static_cast<DWORD>(pixel[i]) << (8 * i);
    if (bpp < 32) value &= (1u << bpp) - 1;
    surface->Unlock(nullptr);

    DDCOLORKEY key;
    key.dwColorSpaceLowValue = value;
    key.dwColorSpaceHighValue = value;
    return SUCCEEDED(surface->SetColorKey(DDCKEY_SRCBLT, &key)) ? 1 : 0;
}

int LoadBitmapToSurface(IDirectDraw7* dd, IDirectDrawSurface7** surface, int bitmapId) {
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(bitmapId),
                                                     IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    // A bitmap that is not there would otherwise only show as a failure
    // further on, or as a surface of no size.
    if (!bitmap) return 0;
    if (*surface == nullptr) {
        BITMAP info;
        std::memset(&info, 0, sizeof(info));
        GetObjectA(bitmap, sizeof(info), &info);
        IDirectDrawSurface7* made = MakeOffscreenSurface(dd, info.bmWidth, info.bmHeight);
        if (!made) {
            DeleteObject(bitmap);
            return 0;
        }
        *surface = made;
    }
    const int copied = CopyBitmapToSurface(*surface, bitmap, nullptr, nullptr);
    DeleteObject(bitmap);
    return copied ? 1 : 0;
}

int CopyBitmapToSurface(IDirectDrawSurface7* surface, HBITMAP bitmap, RECT* source, RECT* destination) {
    HDC memoryDC = CreateCompatibleDC(nullptr);
    if (!memoryDC) return 0;
    HGDIOBJ previous = SelectObject(memoryDC, bitmap);
    HDC surfaceDC = nullptr;
    surface->GetDC(&surfaceDC);

    int srcX = 0, srcY = 0, srcWidth = 0, srcHeight = 0;
    if (source) {
        srcX = source->left;
        srcY = source->top;
        srcWidth = source->right - source->left;
        srcHeight = source->bottom - source->top;
    } else {
        BITMAP info;
        std::memset(&info, 0, sizeof(info));
        GetObjectA(bitmap, sizeof(info), &info);
        srcWidth = info.bmWidth;
        srcHeight = info.bmHeight;
    }
    int x = 0, y = 0, width = 0, height = 0;
    if (destination) {
        x = destination->left;
        y = destination->top;
        width = destination->right - destination->left;
        height = destination->bottom - destination->top;
    } else {
        DDSURFACEDESC2 desc;
        std::memset(&desc, 0, sizeof(desc));
        desc.dwSize = sizeof(desc);
        surface->GetSurfaceDesc(&desc);
        width = static_cast<int>(desc.dwWidth);
        height = static_cast<int>(desc.dwHeight);
    }
    const BOOL result = surfaceDC ? StretchBlt(surfaceDC, x, y, width, height, memoryDC, srcX, srcY, srcWidth,
                                               srcHeight, SRCCOPY)
                                  : FALSE;
    // The bitmap goes back out of the context, so the caller can delete it.
    if (previous) SelectObject(memoryDC, previous);
    DeleteDC(memoryDC);
    if (surfaceDC) surface->ReleaseDC(surfaceDC);
    return result;
}

IDirectDrawPalette* MakePaletteFromBitmap(IDirectDraw7* dd, HBITMAP bitmap) {
    DIBSECTION section;
    std::memset(&section, 0, sizeof(section));
    if (GetObjectA(bitmap, sizeof(section), &section) != static_cast<int>(sizeof(section))) return nullptr;
    const int bitCount = section.dsBmih.biBitCount;
    if (bitCount > 8 || bitCount <= 0) return nullptr;
    UINT count = section.dsBmih.biClrUsed ? section.dsBmih.biClrUsed : 1u << bitCount;
    if (count > 256) count = 256;

    RGBQUAD colours[256];
    std::memset(colours, 0, sizeof(colours));
    HDC memoryDC = CreateCompatibleDC(nullptr);
    if (!memoryDC) return nullptr;
    HGDIOBJ previous = SelectObject(memoryDC, bitmap);
    GetDIBColorTable(memoryDC, 0, count, colours);
    if (previous) SelectObject(memoryDC, previous);
    DeleteDC(memoryDC);

    // Entries beyond the bitmap's colours stay black.
    PALETTEENTRY entries[256];
    std::memset(entries, 0, sizeof(entries));
    for (UINT i = 0; i < count; ++i) {
        entries[i].peRed = colours[i].rgbRed;
        entries[i].peGreen = colours[i].rgbGreen;
        entries[i].peBlue = colours[i].rgbBlue;
        entries[i].peFlags = 0;
    }
    IDirectDrawPalette* palette = nullptr;
    if (FAILED(dd->CreatePalette(DDPCAPS_8BIT, entries, &palette, nullptr))) return nullptr;
    return palette;
}
