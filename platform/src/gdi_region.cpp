// Rectangular regions and their data, as clip lists are built from them.
#include <algorithm>
#include <cstring>

#include "gdi_objects.h"

using namespace layer::gdi;

extern "C" {

HRGN WINAPI CreateRectRgn(int left, int top, int right, int bottom) {
    auto region = std::make_unique<Region>();
    // Windows orders the corners; a rectangle without area is the empty region.
    if (left > right) std::swap(left, right);
    if (top > bottom) std::swap(top, bottom);
    if (left < right && top < bottom) region->rects.push_back(RECT{left, top, right, bottom});
    return static_cast<HRGN>(Register(std::move(region)));
}

HRGN WINAPI CreateRectRgnIndirect(const RECT* rect) {
    if (!rect) return nullptr;
    return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

DWORD WINAPI GetRegionData(HRGN handle, DWORD count, LPRGNDATA data) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Region* region = FindAs<Region>(handle, Kind::Region);
    if (!region) return 0;
    const DWORD needed = static_cast<DWORD>(sizeof(RGNDATAHEADER) + region->rects.size() * sizeof(RECT));
    if (!data) return needed;
    if (count < needed) return 0;
    RGNDATAHEADER& header = data->rdh;
    header.dwSize = sizeof(RGNDATAHEADER);
    header.iType = RDH_RECTANGLES;
    header.nCount = static_cast<DWORD>(region->rects.size());
    header.nRgnSize = static_cast<DWORD>(region->rects.size() * sizeof(RECT));
    header.rcBound = region->rects.empty() ? RECT{0, 0, 0, 0} : region->rects.front();
    for (const RECT& r : region->rects) {
        header.rcBound.left = std::min(header.rcBound.left, r.left);
        header.rcBound.top = std::min(header.rcBound.top, r.top);
        header.rcBound.right = std::max(header.rcBound.right, r.right);
        header.rcBound.bottom = std::max(header.rcBound.bottom, r.bottom);
    }
    if (!region->rects.empty()) std::memcpy(data->Buffer, region->rects.data(), header.nRgnSize);
    return count;
}

int WINAPI GetRgnBox(HRGN handle, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Region* region = FindAs<Region>(handle, Kind::Region);
    if (!region || !rect) return ERROR;
    if (region->rects.empty()) {
        *rect = RECT{0, 0, 0, 0};
        return NULLREGION;
    }
    *rect = region->rects.front();
    return region->rects.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

}  // extern "C"
