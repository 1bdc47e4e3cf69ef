#include "ddraw_row_names.h"

#include <algorithm>
#include <atomic>
#include <cstring>

namespace layer::ddraw {

namespace {

// A bijection of 64-bit values that spreads every input bit over the output.
std::uint64_t Spread(std::uint64_t x) {
    x += 0x9e3779b97f4a7c15ull;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ull;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebull;
    return x ^ (x >> 31);
}

// For any two of the three parts fixed, the name is a bijection of the
// third (an odd multiplier, an addition, an exclusive or and the spread are
// each one), so changing one part always changes the name. Zero stands for
// "no name" in the present's record of the last frame.
std::uint64_t KeyedRowName(std::uint64_t beneath, std::uint64_t source, std::uint64_t placement) {
    const std::uint64_t name = Spread(beneath ^ (source * 0xd6e8feb86659fd93ull + placement));
    return name != 0 ? name : 1;
}

// Stores that owe deferred copies. Never destroyed: stores kept by a program
// until its exit may be destroyed after every static object.
std::vector<PixelStore*>& Owing() {
    static auto* stores = new std::vector<PixelStore*>;
    return *stores;
}

void StopOwing(PixelStore& store) {
    store.deferredSource = nullptr;
    auto& owing = Owing();
    owing.erase(std::remove(owing.begin(), owing.end(), &store), owing.end());
}

void ClearDeferral(PixelStore& store, int y) {
    store.deferredFrom[y] = -1;
    if (--store.deferredCount == 0) StopOwing(store);
}

// The deferred copy of row y, unless the row already holds those pixels.
void MakeRow(PixelStore& store, int y) {
    const PixelStore& source = *store.deferredSource;
    const int from = store.deferredFrom[y];
    if (source.rowNames[from] != store.rowNames[y]) {
        std::memcpy(store.Row(y), source.Row(from), static_cast<std::size_t>(store.width) * 2);
        store.rowNames[y] = source.rowNames[from];
    }
    ClearDeferral(store, y);
}

}  // namespace

std::uint64_t FreshRowNames(int count) {
    // Fresh names need only differ from every other name, so they are counted
    // (from 1: zero is "no name"). A keyed name equals one with odds of 2^-64.
    static std::atomic<std::uint64_t> issued{1};
    return issued.fetch_add(static_cast<std::uint64_t>(count), std::memory_order_relaxed);
}

std::uint64_t NamePlacement(int sourceLeft, int destLeft, int width, const blit::ColourKey& key) {
    std::uint64_t placement = Spread(static_cast<std::uint32_t>(sourceLeft));
    placement = Spread(placement ^ static_cast<std::uint32_t>(destLeft));
    placement = Spread(placement ^ static_cast<std::uint32_t>(width));
    return Spread(placement ^ (std::uint64_t(key.low) << 16 | key.high));
}

void MakeDeferredRows(PixelStore& store, int top, int bottom) {
    if (store.deferredCount == 0) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, store.height);
    for (int y = top; y < bottom && store.deferredCount > 0; ++y)
        if (store.deferredFrom[y] >= 0) MakeRow(store, y);
}

void MakeCopiesReadingFrom(const PixelStore& store) {
    // Making a store's copies takes it off the list, so look again each time.
    for (;;) {
        const auto& owing = Owing();
        const auto reader =
            std::find_if(owing.begin(), owing.end(), [&](PixelStore* other) { return other->deferredSource == &store; });
        if (reader == owing.end()) return;
        PixelStore& other = **reader;
        MakeDeferredRows(other, 0, other.height);
    }
}

void PrepareRowsForWriting(PixelStore& store, int top, int bottom) {
    MakeDeferredRows(store, top, bottom);
    MakeCopiesReadingFrom(store);
}

void NameRowsFreshly(PixelStore& store, int top, int bottom) {
    top = std::max(top, 0);
    bottom = std::min(bottom, store.height);
    if (top >= bottom) return;
    const std::uint64_t first = FreshRowNames(bottom - top);
    for (int y = top; y < bottom; ++y) store.rowNames[y] = first + static_cast<std::uint64_t>(y - top);
}

void CopyWholeRows(PixelStore& dest, int destTop, PixelStore& source, int sourceTop, int height) {
    MakeCopiesReadingFrom(dest);
    // Copies are made from pixels, never from other deferred copies.
    MakeDeferredRows(source, sourceTop, sourceTop + height);
    if (dest.deferredSource != nullptr && dest.deferredSource != &source) MakeDeferredRows(dest, 0, dest.height);
    for (int i = 0; i < height; ++i) {
        const int y = destTop + i;
        if (source.rowNames[sourceTop + i] == dest.rowNames[y]) {
            if (dest.deferredFrom[y] >= 0) ClearDeferral(dest, y);
            continue;
        }
        if (dest.deferredFrom[y] < 0) {
            if (dest.deferredCount++ == 0) Owing().push_back(&dest);
        }
        dest.deferredFrom[y] = sourceTop + i;
        dest.deferredSource = &source;
    }
}

bool NameKeyedRowOverOwedRow(PixelStore& dest, int destRow, std::uint64_t sourceName, std::uint64_t placement) {
    const int from = dest.deferredFrom[destRow];
    const std::uint64_t result = KeyedRowName(dest.deferredSource->rowNames[from], sourceName, placement);
    if (result == dest.rowNames[destRow]) {
        ClearDeferral(dest, destRow);
        return false;
    }
    MakeRow(dest, destRow);
    dest.rowNames[destRow] = result;
    return true;
}

PixelStore::~PixelStore() {
    MakeCopiesReadingFrom(*this);
    if (deferredCount > 0) StopOwing(*this);
}

}  // namespace layer::ddraw
