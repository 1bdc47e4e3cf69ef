// Every row of a surface carries a 64-bit name for the pixels it holds: two
// rows with the same name hold the same pixels. A whole-row copy gives the
// row its source row's name; a keyed copy over a row whose copy is still
// owed names its result after the owed row, the source row and the copy's
// placement; anything else (a keyed copy over a row already made among them)
// gives the rows fresh names. Two things follow from the names alone:
//
// - The present compares only the rows whose names differ from the last
//   frame's (frame_changes.h).
// - A game that redraws its whole background every frame and then puts the
//   same pictures over it asks for the same rows it drew two frames ago.
//   Whole-row copies are therefore deferred: the row remembers where its
//   pixels are to come from, and a copy that the next keyed copy would turn
//   back into what the row already holds is never made. Every read of a
//   store, and every other write, makes the deferred copies it meets first.
#pragma once

#include <cstdint>

#include "ddraw_internal.h"

namespace layer::ddraw {

// The first of `count` fresh names in a row (first, first + 1, ...).
std::uint64_t FreshRowNames(int count);
// What a keyed copy's names depend on besides the rows: where it reads and
// writes, how wide, and its key.
std::uint64_t NamePlacement(int sourceLeft, int destLeft, int width, const blit::ColourKey& key);

// Before the program or a blit reads rows [top, bottom) of `store`.
void MakeDeferredRows(PixelStore& store, int top, int bottom);
// Before rows [top, bottom) of `store` are written by anything but the two
// copies below; name them afterwards with NameRowsFreshly.
void PrepareRowsForWriting(PixelStore& store, int top, int bottom);
void NameRowsFreshly(PixelStore& store, int top, int bottom);

// A copy of whole rows between two stores of the same width (neither keyed
// nor clipped): made later, or never when the rows already hold them.
void CopyWholeRows(PixelStore& dest, int destTop, PixelStore& source, int sourceTop, int height);

// A keyed copy of source rows [sourceTop, sourceTop + height) onto dest rows
// from destTop. Names the rows and calls `copy(first, count)` for each span
// of rows whose pixels must actually be drawn (relative to the tops); the
// other rows already hold the result. `placement()` gives NamePlacement's
// value for the copy, asked only when a row still owed needs it.
template <typename Placement, typename CopySpan>
void KeyedCopyRows(PixelStore& dest, int destTop, const PixelStore& source, int sourceTop, int height,
                   Placement placement, CopySpan copy);

// ---------------------------------------------------------------- details

// Decides one row of a keyed copy over a row whose copy is still owed: true
// when its pixels must be drawn.
bool NameKeyedRowOverOwedRow(PixelStore& dest, int destRow, std::uint64_t sourceName, std::uint64_t placement);
// Makes the copies deferred by other stores that still read from `store`.
void MakeCopiesReadingFrom(const PixelStore& store);

template <typename Placement, typename CopySpan>
void KeyedCopyRows(PixelStore& dest, int destTop, const PixelStore& source, int sourceTop, int height,
                   Placement placement, CopySpan copy) {
    MakeCopiesReadingFrom(dest);
    // Only a row still owed can come back to what it held: over a row already
    // made, the result is named freshly, which costs no hashing. Sprites drawn
    // over one another are then compared by the present rather than known.
    const std::uint64_t fresh = FreshRowNames(height);
    std::uint64_t* names = dest.rowNames.data() + destTop;
    if (dest.deferredCount == 0) {
        for (int i = 0; i < height; ++i) names[i] = fresh + static_cast<std::uint64_t>(i);
        if (height > 0) copy(0, height);
        return;
    }
    const std::int32_t* owed = dest.deferredFrom.data() + destTop;
    const std::uint64_t* sourceNames = source.rowNames.data() + sourceTop;
    const std::uint64_t where = placement();
    int spanStart = -1;
    for (int i = 0; i < height; ++i) {
        bool draw = true;
        if (owed[i] >= 0)
            draw = NameKeyedRowOverOwedRow(dest, destTop + i, sourceNames[i], where);
        else
            names[i] = fresh + static_cast<std::uint64_t>(i);
        if (draw && spanStart < 0) spanStart = i;
        if (!draw && spanStart >= 0) {
            copy(spanStart, i - spanStart);
            spanStart = -1;
        }
    }
    if (spanStart >= 0) copy(spanStart, height - spanStart);
}

}  // namespace layer::ddraw
