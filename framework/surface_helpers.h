// DirectDraw set-up and picture loading for every screen and sprite: the
// exclusive display mode, the primary flipping chain, off-screen surfaces,
// bitmap resources of the running executable copied onto surfaces, the
// transparent colour of a surface and a palette from a bitmap. Each function reports failure only by its result; every
// interface returned carries one reference that belongs to the caller.
#pragma once

#include <windows.h>
#include <ddraw.h>

// The DirectDraw object in exclusive full-screen mode at the given display
// mode, or null.
IDirectDraw7* StartDirectDrawExclusiveMode(HWND window, int width, int height, int bitsPerPixel);

// The primary surface of a flipping chain with `backBufferCount` back
// buffers; the first back buffer goes to *backBuffer. Null on failure.
IDirectDrawSurface7* MakePrimaryFlippingChain(IDirectDraw7* dd, IDirectDrawSurface7** backBuffer,
                                              int backBufferCount);

// A new off-screen surface in the display's format, placed by DirectDraw, or null.
IDirectDrawSurface7* MakeOffscreenSurface(IDirectDraw7* dd, int width, int height);

// Makes the colour now stored at (x, y) the surface's source colour key.
// 1 when the key was set, else 0 (also when the surface is busy: no waiting).
int SetSrcColourKey(IDirectDrawSurface7* surface, int x, int y);

// Loads bitmap resource `bitmapId` of the running executable onto *surface,
// stretched to the surface's size; when *surface is null, first creates a
// surface of the bitmap's own size there. 1 on success, else 0.
int LoadBitmapToSurface(IDirectDraw7* dd, IDirectDrawSurface7** surface, int bitmapId);

// StretchBlt of the bitmap (all of it, or `source`) onto the surface (all of
// it, or `destination`); StretchBlt's result, non-zero on success.
int CopyBitmapToSurface(IDirectDrawSurface7* surface, HBITMAP bitmap, RECT* source, RECT* destination);

// An 8-bit palette with the colours of a DIB section of 8 bits or fewer, or null.
IDirectDrawPalette* MakePaletteFromBitmap(IDirectDraw7* dd, HBITMAP bitmap);
