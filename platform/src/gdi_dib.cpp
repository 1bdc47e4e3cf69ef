// Device-independent bitmaps: reading bitmap resources (LoadImageA), making
// DIB sections, their colour tables, and reading their pixels.
#include <cerrno>
#include <cstring>
#include <vector>

#include "gdi_objects.h"
#include "regular_file.h"
#include "winerror.h"
#include "layer_log.h"
#include "libloaderapi.h"
#include "rgb565.h"
#include "winbase.h"
#include "winuser.h"

namespace layer::gdi {

namespace {

// Larger pictures than this are taken for damaged headers, not pictures.
constexpr long long kMaxSide = 32768;
constexpr long long kMaxPixels = 64LL * 1024 * 1024;
// The largest bitmap file that could hold such a picture: 32 bits a pixel,
// with room for the headers and a table.
constexpr std::size_t kMaxFileBytes = static_cast<std::size_t>(kMaxPixels) * 4 + 4096;

std::uint32_t Load32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

int MaskShift(DWORD mask) {
    int shift = 0;
    while (mask && !(mask & 1)) {
        mask >>= 1;
        ++shift;
    }
    return shift;
}

int MaskBits(DWORD mask) {
    mask >>= MaskShift(mask);
    int bits = 0;
    while (mask & 1) {
        mask >>= 1;
        ++bits;
    }
    return bits;
}

// Scales a channel of `bits` bits to 8 bits.
std::uint32_t Channel(std::uint32_t value, DWORD mask) {
    if (!mask) return 0;
    const int bits = MaskBits(mask);
    const std::uint32_t v = (value & mask) >> MaskShift(mask);
    if (bits >= 8) return v >> (bits - 8);
    // Narrow channels widen to the nearest 8-bit value, as 16-bit pixels do
    // everywhere else in the layer.
    if (bits == 5) return layer::NearestFrom5(v);
    if (bits == 6) return layer::NearestFrom6(v);
    const std::uint32_t top = (1u << bits) - 1;
    return (v * 255 + top / 2) / top;
}

struct Header {
    long long width = 0;
    long long height = 0;
    int bitCount = 0;
    DWORD compression = BI_RGB;
    DWORD coloursUsed = 0;
    DWORD masks[3] = {0, 0, 0};
};

// Checks a BITMAPINFOHEADER and works out the colour count and masks. False
// when the header describes something this layer does not read.
bool CheckHeader(const BITMAPINFOHEADER& h, Header& out, const char* who) {
    if (h.biWidth <= 0 || h.biHeight == 0 || h.biWidth > kMaxSide || h.biHeight > kMaxSide ||
        h.biHeight < -kMaxSide) {
        layer::LogLine("%s: bitmap size %d x %d refused", who, static_cast<int>(h.biWidth),
                       static_cast<int>(h.biHeight));
        return false;
    }
    const long long rows = h.biHeight < 0 ? -static_cast<long long>(h.biHeight) : h.biHeight;
    if (static_cast<long long>(h.biWidth) * rows > kMaxPixels) {
        layer::LogLine("%s: bitmap of %lld pixels refused", who, static_cast<long long>(h.biWidth) * rows);
        return false;
    }
    if (h.biPlanes != 1) {
        layer::LogLine("%s: %u planes refused", who, static_cast<unsigned>(h.biPlanes));
        return false;
    }
    switch (h.biBitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: break;
    default:
        layer::LogLine("%s: %u bits per pixel not read", who, static_cast<unsigned>(h.biBitCount));
        return false;
    }
    if (h.biCompression == BI_BITFIELDS) {
        if (h.biBitCount != 16 && h.biBitCount != 32) {
            layer::LogLine("%s: colour masks on a %u-bit bitmap refused", who, static_cast<unsigned>(h.biBitCount));
            return false;
        }
    } else if (h.biCompression != BI_RGB) {
        layer::Unimplemented("bitmaps with compression (RLE, JPEG, PNG)", E_NOTIMPL);
        return false;
    }
    const DWORD maxColours = h.biBitCount <= 8 ? 1u << h.biBitCount : 256u;
    if (h.biClrUsed > maxColours) {
        layer::LogLine("%s: %u colours for %u bits per pixel refused", who, static_cast<unsigned>(h.biClrUsed),
                       static_cast<unsigned>(h.biBitCount));
        return false;
    }
    out.width = h.biWidth;
    out.height = h.biHeight;
    out.bitCount = h.biBitCount;
    out.compression = h.biCompression;
    out.coloursUsed = h.biClrUsed ? h.biClrUsed : (h.biBitCount <= 8 ? maxColours : 0);
    if (h.biCompression == BI_RGB) {
        if (h.biBitCount == 16) {
            out.masks[0] = 0x7C00;
            out.masks[1] = 0x03E0;
            out.masks[2] = 0x001F;
        } else if (h.biBitCount == 32) {
            out.masks[0] = 0xFF0000;
            out.masks[1] = 0x00FF00;
            out.masks[2] = 0x0000FF;
        }
    }
    return true;
}

std::unique_ptr<Bitmap> MakeBitmap(const Header& header) {
    auto bitmap = std::make_unique<Bitmap>();
    bitmap->width = static_cast<int>(header.width);
    bitmap->topDown = header.height < 0;
    bitmap->height = static_cast<int>(header.height < 0 ? -header.height : header.height);
    bitmap->bitCount = header.bitCount;
    bitmap->compression = header.compression;
    std::memcpy(bitmap->masks, header.masks, sizeof(bitmap->masks));
    bitmap->stride = static_cast<long>((header.width * header.bitCount + 31) / 32 * 4);
    bitmap->coloursUsed = header.bitCount <= 8 ? header.coloursUsed : 0;
    if (header.bitCount <= 8) bitmap->colours.assign(1u << header.bitCount, RGBQUAD{0, 0, 0, 0});
    return bitmap;
}

}  // namespace

std::unique_ptr<Bitmap> ParsePackedDib(const std::uint8_t* data, std::size_t size, std::size_t pixelsAt) {
    const char* who = "LoadImageA";
    if (!data || size < 4) return nullptr;
    const std::uint32_t headerSize = Load32(data);
    if (headerSize == sizeof(BITMAPCOREHEADER)) {
        layer::Unimplemented("bitmaps with the old core header", E_NOTIMPL);
        return nullptr;
    }
    // The info header and its longer V4 and V5 forms begin alike.
    if ((headerSize != 40 && headerSize != 108 && headerSize != 124) || headerSize > size) {
        layer::LogLine("%s: bitmap header of %u bytes in %zu refused", who, headerSize, size);
        return nullptr;
    }
    BITMAPINFOHEADER h;
    std::memcpy(&h, data, sizeof(h));
    Header header;
    if (!CheckHeader(h, header, who)) return nullptr;

    std::size_t offset = headerSize;
    if (header.compression == BI_BITFIELDS) {
        if (headerSize == 40) {
            // The three masks follow a plain info header.
            if (size - offset < 12) return nullptr;
            for (int i = 0; i < 3; ++i) header.masks[i] = Load32(data + offset + 4 * i);
            offset += 12;
        } else {
            for (int i = 0; i < 3; ++i) header.masks[i] = Load32(data + 40 + 4 * i);
        }
        if (!header.masks[0] && !header.masks[1] && !header.masks[2]) {
            layer::LogLine("%s: bitmap without colour masks refused", who);
            return nullptr;
        }
    }
    auto bitmap = MakeBitmap(header);
    // A table beyond the pixel formats that use one is skipped.
    const std::size_t tableBytes = static_cast<std::size_t>(header.bitCount <= 8 ? header.coloursUsed
                                                                                   : h.biClrUsed) * 4;
    if (size - offset < tableBytes) {
        layer::LogLine("%s: colour table beyond the data", who);
        return nullptr;
    }
    for (DWORD i = 0; header.bitCount <= 8 && i < header.coloursUsed; ++i)
        std::memcpy(&bitmap->colours[i], data + offset + 4 * i, 4);
    offset += tableBytes;
    if (pixelsAt != 0) {
        if (pixelsAt < offset || pixelsAt > size) {
            layer::LogLine("%s: pixels said to start at %zu, inside the header or past the data", who, pixelsAt);
            return nullptr;
        }
        offset = pixelsAt;
    }
    const std::size_t pixelBytes = static_cast<std::size_t>(bitmap->stride) * bitmap->height;
    if (size - offset < pixelBytes) {
        layer::LogLine("%s: pixels beyond the data (%zu bytes wanted, %zu there)", who, pixelBytes, size - offset);
        return nullptr;
    }
    bitmap->bits.assign(data + offset, data + offset + pixelBytes);
    return bitmap;
}

std::unique_ptr<Bitmap> ReadBitmapFile(const char* fileName) {
    constexpr std::size_t kFileHeader = 14;
    std::vector<std::uint8_t> bytes;
    if (!layer::ReadRegularFile(fileName, kMaxFileBytes, bytes)) {
        SetLastError(errno == ENOENT ? ERROR_FILE_NOT_FOUND
                     : errno == EACCES ? ERROR_ACCESS_DENIED
                                       : ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (bytes.size() < kFileHeader || bytes[0] != 'B' || bytes[1] != 'M') {
        layer::LogLine("LoadImageA: \"%s\" is not a bitmap file", fileName);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::uint32_t pixelsAt = Load32(bytes.data() + 10);
    // An offset of 0 is taken to mean what a resource means: right after the
    // colour table. Any other offset must point past the file header.
    if (pixelsAt != 0 && pixelsAt <= kFileHeader) {
        layer::LogLine("LoadImageA: \"%s\" says its pixels start at %u", fileName, pixelsAt);
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap =
        ParsePackedDib(bytes.data() + kFileHeader, bytes.size() - kFileHeader, pixelsAt == 0 ? 0 : pixelsAt - kFileHeader);
    if (!bitmap) SetLastError(ERROR_INVALID_PARAMETER);
    return bitmap;
}

std::uint32_t ReadPixel(const Bitmap& bitmap, int x, int y) {
    const std::uint8_t* row = bitmap.Row(y);
    auto fromTable = [&](unsigned index) {
        const RGBQUAD& c = bitmap.colours[index];  // the table covers every index
        return static_cast<std::uint32_t>(c.rgbRed) << 16 | static_cast<std::uint32_t>(c.rgbGreen) << 8 | c.rgbBlue;
    };
    switch (bitmap.bitCount) {
    case 1: return fromTable((row[x >> 3] >> (7 - (x & 7))) & 1);
    case 4: return fromTable((row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF);
    case 8: return fromTable(row[x]);
    case 16:
    case 32: {
        const std::uint32_t value = bitmap.bitCount == 16
                                        ? static_cast<std::uint32_t>(row[2 * x] | row[2 * x + 1] << 8)
                                        : Load32(row + 4 * x);
        return Channel(value, bitmap.masks[0]) << 16 | Channel(value, bitmap.masks[1]) << 8 |
               Channel(value, bitmap.masks[2]);
    }
    case 24: {
        const std::uint8_t* p = row + 3 * x;
        return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
    }
    default: return 0;
    }
}

}  // namespace layer::gdi

using namespace layer::gdi;

extern "C" {

HANDLE WINAPI LoadImageA(HINSTANCE instance, LPCSTR name, UINT type, int width, int height, UINT flags) {
    if (type != IMAGE_BITMAP) {
        layer::Unimplemented("LoadImageA of icons and cursors", E_NOTIMPL);
        return nullptr;
    }
    std::unique_ptr<Bitmap> bitmap;
    if (flags & LR_LOADFROMFILE) {
        // The name is the file's path; the instance plays no part.
        if (!name || IS_INTRESOURCE(name)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
        bitmap = ReadBitmapFile(name);
        if (!bitmap) return nullptr;
    } else {
        const HRSRC resource = FindResourceA(instance, name, RT_BITMAP);
        if (!resource) return nullptr;
        const HGLOBAL loaded = LoadResource(instance, resource);
        const auto* data = static_cast<const std::uint8_t*>(LockResource(loaded));
        const DWORD size = SizeofResource(instance, resource);
        bitmap = ParsePackedDib(data, size);
        if (!bitmap) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return nullptr;
        }
    }
    if ((width != 0 && width != bitmap->width) || (height != 0 && height != bitmap->height)) {
        layer::Unimplemented("LoadImageA with a size other than the bitmap's own", E_NOTIMPL);
        return nullptr;
    }
    // Without LR_CREATEDIBSECTION Windows makes a device-dependent bitmap;
    // its pixels are the same, it only does not describe itself as a DIB.
    bitmap->dibSection = (flags & LR_CREATEDIBSECTION) != 0;
    return Register(std::move(bitmap));
}

HBITMAP WINAPI CreateDIBSection(HDC, const BITMAPINFO* info, UINT usage, VOID** bits, HANDLE section, DWORD) {
    if (bits) *bits = nullptr;
    if (!info) return nullptr;
    if (usage != DIB_RGB_COLORS) {
        layer::Unimplemented("CreateDIBSection with palette-index colours", E_NOTIMPL);
        return nullptr;
    }
    if (section) {
        layer::Unimplemented("CreateDIBSection over a file mapping", E_NOTIMPL);
        return nullptr;
    }
    const BITMAPINFOHEADER& h = info->bmiHeader;
    if (h.biSize != 40 && h.biSize != 108 && h.biSize != 124) return nullptr;
    Header header;
    if (!CheckHeader(h, header, "CreateDIBSection")) return nullptr;
    const auto* after = reinterpret_cast<const std::uint8_t*>(info) + h.biSize;
    if (header.compression == BI_BITFIELDS) {
        const auto* masks = h.biSize == 40 ? after : reinterpret_cast<const std::uint8_t*>(info) + 40;
        for (int i = 0; i < 3; ++i) header.masks[i] = Load32(masks + 4 * i);
        if (h.biSize == 40) after += 12;
    }
    auto bitmap = MakeBitmap(header);
    for (DWORD i = 0; header.bitCount <= 8 && i < header.coloursUsed; ++i)
        std::memcpy(&bitmap->colours[i], after + 4 * i, 4);
    bitmap->bits.assign(static_cast<std::size_t>(bitmap->stride) * bitmap->height, 0);
    if (bits) *bits = bitmap->bits.data();
    return static_cast<HBITMAP>(Register(std::move(bitmap)));
}

UINT WINAPI GetDIBColorTable(HDC handle, UINT start, UINT count, RGBQUAD* colours) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    DC* dc = FindAs<DC>(handle, Kind::MemoryDC);
    if (!dc || !dc->bitmap || !colours || dc->bitmap->bitCount > 8) return 0;
    const Bitmap& bitmap = *dc->bitmap;
    const UINT defined = bitmap.coloursUsed;
    if (start >= defined) return 0;
    const UINT n = count < defined - start ? count : defined - start;
    std::memcpy(colours, bitmap.colours.data() + start, n * sizeof(RGBQUAD));
    return n;
}

UINT WINAPI SetDIBColorTable(HDC handle, UINT start, UINT count, const RGBQUAD* colours) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    DC* dc = FindAs<DC>(handle, Kind::MemoryDC);
    if (!dc || !dc->bitmap || !colours || dc->bitmap->bitCount > 8) return 0;
    Bitmap& bitmap = *dc->bitmap;
    const UINT size = static_cast<UINT>(bitmap.colours.size());
    if (start >= size) return 0;
    const UINT n = count < size - start ? count : size - start;
    std::memcpy(bitmap.colours.data() + start, colours, n * sizeof(RGBQUAD));
    return n;
}

}  // extern "C"
