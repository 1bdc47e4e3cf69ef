// The GDI object table, device contexts, and the object calls shared by all
// kinds: SelectObject, DeleteObject, GetObjectA, GetObjectType.
#include <cstring>
#include <unordered_map>

#include "gdi_internal.h"
#include "gdi_objects.h"
#include "winerror.h"
#include "layer_log.h"
#include "stock_objects.h"
#include "winuser.h"

namespace layer::gdi {

namespace {

std::unordered_map<HANDLE, std::unique_ptr<Object>>& Table() {
    static std::unordered_map<HANDLE, std::unique_ptr<Object>> table;
    return table;
}

// The 1 x 1 monochrome bitmap every memory DC starts with.
struct DefaultBitmap {
    int unused;
} defaultBitmap;
HGDIOBJ DefaultBitmapHandle() { return reinterpret_cast<HGDIOBJ>(&defaultBitmap); }

}  // namespace

std::recursive_mutex& Guard() {
    static std::recursive_mutex guard;
    return guard;
}

HANDLE Register(std::unique_ptr<Object> object) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    HANDLE handle = object.get();
    Table().emplace(handle, std::move(object));
    return handle;
}

Object* Find(HANDLE handle) {
    if (!handle) return nullptr;
    std::lock_guard<std::recursive_mutex> lock(Guard());
    auto it = Table().find(handle);
    return it == Table().end() ? nullptr : it->second.get();
}

void Destroy(Object* object) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Table().erase(object);
}

HDC CreateSurfaceDC(std::uint8_t* pixels, int width, int height, long pitch) {
    auto dc = std::make_unique<DC>(Kind::SurfaceDC);
    dc->pixels = pixels;
    dc->width = width;
    dc->height = height;
    dc->pitch = pitch;
    return static_cast<HDC>(Register(std::move(dc)));
}

bool DestroySurfaceDC(HDC handle) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    DC* dc = FindAs<DC>(handle, Kind::SurfaceDC);
    if (!dc) return false;
    Destroy(dc);
    return true;
}

}  // namespace layer::gdi

using namespace layer::gdi;

extern "C" {

HDC WINAPI CreateCompatibleDC(HDC reference) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (reference) {
        Object* object = Find(reference);
        if (!object || (object->kind != Kind::MemoryDC && object->kind != Kind::SurfaceDC)) return nullptr;
    }
    auto dc = std::make_unique<DC>(Kind::MemoryDC);
    return static_cast<HDC>(Register(std::move(dc)));
}

BOOL WINAPI DeleteDC(HDC handle) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Object* object = Find(handle);
    if (!object) return FALSE;
    if (object->kind == Kind::SurfaceDC) {
        // A surface's context goes back through IDirectDrawSurface7::ReleaseDC.
        layer::LogLine("DeleteDC: a DirectDraw surface's context is released with ReleaseDC");
        return FALSE;
    }
    if (object->kind != Kind::MemoryDC) return FALSE;
    DC* dc = static_cast<DC*>(object);
    if (dc->bitmap) dc->bitmap->selectedInto = nullptr;
    Destroy(dc);
    return TRUE;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Object* dcObject = Find(handle);
    if (!dcObject || (dcObject->kind != Kind::MemoryDC && dcObject->kind != Kind::SurfaceDC) || !object)
        return nullptr;
    DC* dc = static_cast<DC*>(dcObject);
    if (const layer::StockObject* stock = layer::StockObjectOf(object)) {
        const bool pen = stock->index == WHITE_PEN || stock->index == BLACK_PEN || stock->index == NULL_PEN;
        HGDIOBJ& slot = pen ? dc->pen : dc->brush;
        HGDIOBJ previous = slot ? slot : GetStockObject(pen ? BLACK_PEN : WHITE_BRUSH);
        slot = object;
        return previous;
    }
    if (object == DefaultBitmapHandle()) {
        if (dc->kind != Kind::MemoryDC) return nullptr;
        HGDIOBJ previous = dc->bitmap ? static_cast<HGDIOBJ>(dc->bitmap) : DefaultBitmapHandle();
        if (dc->bitmap) dc->bitmap->selectedInto = nullptr;
        dc->bitmap = nullptr;
        return previous;
    }
    Object* target = Find(object);
    if (!target) return nullptr;
    if (target->kind == Kind::Bitmap) {
        if (dc->kind != Kind::MemoryDC) return nullptr;
        auto* bitmap = static_cast<Bitmap*>(target);
        if (bitmap->selectedInto && bitmap->selectedInto != dc) return nullptr;  // one DC at a time
        HGDIOBJ previous = dc->bitmap ? static_cast<HGDIOBJ>(dc->bitmap) : DefaultBitmapHandle();
        if (dc->bitmap) dc->bitmap->selectedInto = nullptr;
        dc->bitmap = bitmap;
        bitmap->selectedInto = dc;
        return previous;
    }
    if (target->kind == Kind::Region) {
        layer::Unimplemented("SelectObject of a clipping region", E_NOTIMPL);
        return nullptr;
    }
    return nullptr;
}

BOOL WINAPI DeleteObject(HGDIOBJ handle) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (layer::StockObjectOf(handle) || handle == DefaultBitmapHandle()) return TRUE;
    Object* object = Find(handle);
    if (!object) return FALSE;
    if (object->kind == Kind::Bitmap) {
        // Deleting a bitmap still selected into a context would leave the context dangling.
        if (static_cast<Bitmap*>(object)->selectedInto) return FALSE;
    } else if (object->kind != Kind::Region) {
        return FALSE;
    }
    Destroy(object);
    return TRUE;
}

int WINAPI GetObjectA(HANDLE handle, int size, LPVOID buffer) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (handle == DefaultBitmapHandle()) {
        if (!buffer) return sizeof(BITMAP);
        if (size < static_cast<int>(sizeof(BITMAP))) return 0;
        BITMAP info{0, 1, 1, 2, 1, 1, nullptr};
        std::memcpy(buffer, &info, sizeof(info));
        return sizeof(BITMAP);
    }
    Bitmap* bitmap = FindAs<Bitmap>(handle, Kind::Bitmap);
    if (!bitmap) {
        if (Find(handle) || layer::StockObjectOf(handle))
            layer::Unimplemented("GetObjectA of anything but a bitmap", E_NOTIMPL);
        return 0;
    }
    BITMAP bm{};
    bm.bmType = 0;
    bm.bmWidth = bitmap->width;
    bm.bmHeight = bitmap->height;
    bm.bmWidthBytes = static_cast<LONG>(bitmap->stride);
    bm.bmPlanes = 1;
    bm.bmBitsPixel = static_cast<WORD>(bitmap->bitCount);
    bm.bmBits = bitmap->dibSection ? bitmap->bits.data() : nullptr;
    if (!buffer) return bitmap->dibSection ? sizeof(DIBSECTION) : sizeof(BITMAP);
    if (bitmap->dibSection && size >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = bm;
        BITMAPINFOHEADER& h = ds.dsBmih;
        h.biSize = sizeof(BITMAPINFOHEADER);
        h.biWidth = bitmap->width;
        h.biHeight = bitmap->topDown ? -bitmap->height : bitmap->height;
        h.biPlanes = 1;
        h.biBitCount = static_cast<WORD>(bitmap->bitCount);
        h.biCompression = bitmap->compression;
        h.biSizeImage = static_cast<DWORD>(bitmap->bits.size());
        h.biClrUsed = bitmap->coloursUsed;
        h.biClrImportant = 0;
        std::memcpy(ds.dsBitfields, bitmap->masks, sizeof(ds.dsBitfields));
        ds.dshSection = nullptr;
        ds.dsOffset = 0;
        std::memcpy(buffer, &ds, sizeof(ds));
        return sizeof(DIBSECTION);
    }
    if (size < static_cast<int>(sizeof(BITMAP))) return 0;
    std::memcpy(buffer, &bm, sizeof(bm));
    return sizeof(BITMAP);
}

DWORD WINAPI GetObjectType(HGDIOBJ handle) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (handle == DefaultBitmapHandle()) return OBJ_BITMAP;
    if (const layer::StockObject* stock = layer::StockObjectOf(handle))
        return (stock->index == WHITE_PEN || stock->index == BLACK_PEN || stock->index == NULL_PEN) ? OBJ_PEN
                                                                                                     : OBJ_BRUSH;
    Object* object = Find(handle);
    if (!object) return 0;
    switch (object->kind) {
    case Kind::Bitmap: return OBJ_BITMAP;
    case Kind::Region: return OBJ_REGION;
    case Kind::MemoryDC: return OBJ_MEMDC;
    case Kind::SurfaceDC: return OBJ_DC;
    }
    return 0;
}

int WINAPI SetStretchBltMode(HDC handle, int mode) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Object* object = Find(handle);
    if (!object || (object->kind != Kind::MemoryDC && object->kind != Kind::SurfaceDC)) return 0;
    if (mode < BLACKONWHITE || mode > HALFTONE) return 0;
    DC* dc = static_cast<DC*>(object);
    const int previous = dc->stretchMode;
    dc->stretchMode = mode;
    return previous;
}

int WINAPI GetStretchBltMode(HDC handle) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Object* object = Find(handle);
    if (!object || (object->kind != Kind::MemoryDC && object->kind != Kind::SurfaceDC)) return 0;
    return static_cast<DC*>(object)->stretchMode;
}

}  // extern "C"
