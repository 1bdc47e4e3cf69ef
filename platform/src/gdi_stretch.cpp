// StretchBlt and BitBlt: copying a bitmap, or a surface's pixels, into another
// device context with nearest-neighbour stretching and colour conversion.
#include <algorithm>
#include <vector>

#include "gdi_objects.h"
#include "layer_log.h"
#include "rgb565.h"
#include "winerror.h"

namespace {

using namespace layer::gdi;

// What a device context draws into or reads from.
struct Target {
    Bitmap* bitmap = nullptr;     // a memory DC's bitmap
    std::uint8_t* pixels = nullptr;  // a surface DC's 5-6-5 pixels
    int width = 0;
    int height = 0;
    long pitch = 0;
};

bool TargetOf(HDC handle, Target& target) {
    Object* object = Find(handle);
    if (!object) return false;
    if (object->kind == Kind::SurfaceDC) {
        DC* dc = static_cast<DC*>(object);
        target.pixels = dc->pixels;
        target.width = dc->width;
        target.height = dc->height;
        target.pitch = dc->pitch;
        return true;
    }
    if (object->kind != Kind::MemoryDC) return false;
    DC* dc = static_cast<DC*>(object);
    if (!dc->bitmap) return false;  // the default 1 x 1 bitmap holds nothing to copy
    target.bitmap = dc->bitmap;
    target.width = dc->bitmap->width;
    target.height = dc->bitmap->height;
    return true;
}

std::uint32_t Read(const Target& t, int x, int y) {
    if (t.bitmap) return ReadPixel(*t.bitmap, x, y);
    return layer::WidenRgb565(reinterpret_cast<const std::uint16_t*>(t.pixels + y * t.pitch)[x]);
}

bool Writable(const Target& t) {
    if (!t.bitmap) return true;
    return t.bitmap->bitCount == 24 || (t.bitmap->bitCount == 32 && t.bitmap->compression == BI_RGB);
}

void Write(Target& t, int x, int y, std::uint32_t rgb) {
    if (!t.bitmap) {
        reinterpret_cast<std::uint16_t*>(t.pixels + y * t.pitch)[x] = layer::NarrowToRgb565(rgb);
        return;
    }
    std::uint8_t* row = t.bitmap->Row(y);
    if (t.bitmap->bitCount == 24) {
        row[3 * x] = static_cast<std::uint8_t>(rgb);
        row[3 * x + 1] = static_cast<std::uint8_t>(rgb >> 8);
        row[3 * x + 2] = static_cast<std::uint8_t>(rgb >> 16);
    } else {
        reinterpret_cast<std::uint32_t*>(row)[x] = rgb;
    }
}

}  // namespace

extern "C" {

BOOL WINAPI StretchBlt(HDC destDC, int x, int y, int width, int height, HDC sourceDC, int srcX, int srcY,
                       int srcWidth, int srcHeight, DWORD rop) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (rop != SRCCOPY) {
        layer::Unimplemented("StretchBlt with a raster operation other than SRCCOPY", E_NOTIMPL);
        return FALSE;
    }
    Target dest, source;
    if (!TargetOf(destDC, dest) || !TargetOf(sourceDC, source)) return FALSE;
    if (width < 0 || height < 0 || srcWidth < 0 || srcHeight < 0) {
        layer::Unimplemented("StretchBlt with mirroring (negative sizes)", E_NOTIMPL);
        return FALSE;
    }
    if (!Writable(dest)) {
        layer::Unimplemented("StretchBlt into a palette or 16-bit bitmap", E_NOTIMPL);
        return FALSE;
    }
    if (width == 0 || height == 0 || srcWidth == 0 || srcHeight == 0) return TRUE;

    // Destination pixels whose source falls outside the source are left alone,
    // as are those outside the destination.
    const int left = std::max(x, 0), right = std::min<long long>(static_cast<long long>(x) + width, dest.width);
    const int top = std::max(y, 0), bottom = std::min<long long>(static_cast<long long>(y) + height, dest.height);
    if (left >= right || top >= bottom) return TRUE;
    std::vector<int> columns(right - left);
    for (int dx = left; dx < right; ++dx)
        columns[dx - left] = srcX + static_cast<int>(static_cast<long long>(dx - x) * srcWidth / width);

    // Palette bitmaps into a surface: convert the table once.
    const bool paletted = source.bitmap && source.bitmap->bitCount == 8 && !dest.bitmap;
    std::uint16_t table[256];
    if (paletted)
        for (int i = 0; i < 256; ++i) {
            const RGBQUAD& c = source.bitmap->colours[i];
            table[i] = layer::NarrowToRgb565(static_cast<std::uint32_t>(c.rgbRed) << 16 | c.rgbGreen << 8 | c.rgbBlue);
        }

    for (int dy = top; dy < bottom; ++dy) {
        const int sy = srcY + static_cast<int>(static_cast<long long>(dy - y) * srcHeight / height);
        if (sy < 0 || sy >= source.height) continue;
        if (paletted) {
            const std::uint8_t* in = source.bitmap->Row(sy);
            auto* out = reinterpret_cast<std::uint16_t*>(dest.pixels + dy * dest.pitch);
            for (int dx = left; dx < right; ++dx) {
                const int sx = columns[dx - left];
                if (sx >= 0 && sx < source.width) out[dx] = table[in[sx]];
            }
            continue;
        }
        for (int dx = left; dx < right; ++dx) {
            const int sx = columns[dx - left];
            if (sx >= 0 && sx < source.width) Write(dest, dx, dy, Read(source, sx, sy));
        }
    }
    return TRUE;
}

BOOL WINAPI BitBlt(HDC dest, int x, int y, int width, int height, HDC source, int srcX, int srcY, DWORD rop) {
    return StretchBlt(dest, x, y, width, height, source, srcX, srcY, width, height, rop);
}

}  // extern "C"
