// The GDI objects of the layer: bitmaps (device-independent), regions and
// device contexts. A handle is the object's address; every handle passed in is
// first looked up in the table of live objects, so a stale or made-up handle
// fails instead of being followed.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "wingdi.h"

namespace layer::gdi {

enum class Kind { Bitmap, Region, MemoryDC, SurfaceDC };

struct Object {
    explicit Object(Kind k) : kind(k) {}
    virtual ~Object() = default;
    Kind kind;
};

struct DC;

struct Bitmap : Object {
    Bitmap() : Object(Kind::Bitmap) {}
    int width = 0;
    int height = 0;         // rows, always positive
    bool topDown = false;   // rows stored top first (negative height in the header)
    int bitCount = 0;       // 1, 4, 8, 16, 24 or 32
    DWORD compression = BI_RGB;
    DWORD masks[3] = {0, 0, 0};  // red, green, blue for 16 and 32 bits
    long stride = 0;        // bytes per stored row, a multiple of 4
    std::vector<std::uint8_t> bits;
    // Always 1 << bitCount entries for 8 bits or fewer; entries the bitmap
    // does not define are black, so any pixel index finds a colour.
    std::vector<RGBQUAD> colours;
    DWORD coloursUsed = 0;  // entries the bitmap defines
    bool dibSection = true;
    DC* selectedInto = nullptr;

    // Start of stored row `y`, counted from the top of the picture.
    const std::uint8_t* Row(int y) const {
        return bits.data() + static_cast<std::size_t>(topDown ? y : height - 1 - y) * stride;
    }
    std::uint8_t* Row(int y) { return const_cast<std::uint8_t*>(static_cast<const Bitmap*>(this)->Row(y)); }
};

struct Region : Object {
    Region() : Object(Kind::Region) {}
    std::vector<RECT> rects;  // non-empty, non-overlapping
};

struct DC : Object {
    explicit DC(Kind k) : Object(k) {}
    // Memory DC: the selected bitmap, or null for the default 1 x 1 one.
    Bitmap* bitmap = nullptr;
    // Surface DC: 16-bit RGB 5-6-5 pixels owned by a DirectDraw surface.
    std::uint8_t* pixels = nullptr;
    int width = 0;
    int height = 0;
    long pitch = 0;
    int stretchMode = BLACKONWHITE;
    HGDIOBJ brush = nullptr;
    HGDIOBJ pen = nullptr;
};

// The lock that guards every GDI object.
std::recursive_mutex& Guard();
// Adds a new object to the table and hands out its handle.
HANDLE Register(std::unique_ptr<Object> object);
// The live object behind a handle, or null.
Object* Find(HANDLE handle);
template <typename T>
T* FindAs(HANDLE handle, Kind kind) {
    Object* object = Find(handle);
    return object && object->kind == kind ? static_cast<T*>(object) : nullptr;
}
// Removes and destroys an object.
void Destroy(Object* object);

// Builds a bitmap from a packed device-independent bitmap: an info header,
// the colour masks and table, then the pixels. Every size and count is
// checked against `size`; anything out of range is refused with null. A
// bitmap file says where its pixels start (`pixelsAt`, counted from the info
// header); 0 means right after the colour table, as in a resource.
std::unique_ptr<Bitmap> ParsePackedDib(const std::uint8_t* data, std::size_t size, std::size_t pixelsAt = 0);

// The bitmap in a .bmp file: the 14-byte file header, then a packed DIB. Only
// a regular file is read (a FIFO or device is refused without waiting on it);
// null with the Windows error code set on failure.
std::unique_ptr<Bitmap> ReadBitmapFile(const char* fileName);

// Reads pixel (x, y), counted from the top, as 0x00RRGGBB.
std::uint32_t ReadPixel(const Bitmap& bitmap, int x, int y);

}  // namespace layer::gdi
