// The stock GDI objects behind GetStockObject, so that the drawing services
// can tell a stock brush's colour from its handle.
#pragma once

#include "windef.h"

namespace layer {

struct StockObject {
    int index;            // WHITE_BRUSH ... NULL_PEN
    bool isNull;          // NULL_BRUSH, NULL_PEN: draws nothing
    std::uint32_t rgb;    // 0x00BBGGRR, as a COLORREF
};

// The stock object behind a handle, or null when it is not one.
const StockObject* StockObjectOf(HGDIOBJ object);

}  // namespace layer
