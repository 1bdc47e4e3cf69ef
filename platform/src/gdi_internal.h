// What the DirectDraw surfaces need of GDI: a device context over a surface's
// pixels, handed out by GetDC and taken back by ReleaseDC.
#pragma once

#include <cstdint>

#include "windef.h"

namespace layer::gdi {

// A device context drawing into 16-bit RGB 5-6-5 pixels. The pixels stay the
// caller's and must outlive the context.
HDC CreateSurfaceDC(std::uint8_t* pixels, int width, int height, long pitch);
// False when `dc` is not a context from CreateSurfaceDC.
bool DestroySurfaceDC(HDC dc);

}  // namespace layer::gdi
