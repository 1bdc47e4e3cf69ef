#include "stock_objects.h"

#include "winuser.h"

namespace {

const layer::StockObject stockObjects[] = {
    {WHITE_BRUSH, false, 0x00FFFFFF}, {LTGRAY_BRUSH, false, 0x00C0C0C0}, {GRAY_BRUSH, false, 0x00808080},
    {DKGRAY_BRUSH, false, 0x00404040}, {BLACK_BRUSH, false, 0x00000000}, {NULL_BRUSH, true, 0},
    {WHITE_PEN, false, 0x00FFFFFF},    {BLACK_PEN, false, 0x00000000},   {NULL_PEN, true, 0},
};
constexpr int stockCount = sizeof(stockObjects) / sizeof(stockObjects[0]);

}  // namespace

namespace layer {
const StockObject* StockObjectOf(HGDIOBJ object) {
    for (const StockObject& stock : stockObjects)
        if (object == &stock) return &stock;
    return nullptr;
}
}  // namespace layer

extern "C" HGDIOBJ WINAPI GetStockObject(int index) {
    if (index < 0 || index >= stockCount) return nullptr;
    return const_cast<layer::StockObject*>(&stockObjects[index]);
}
