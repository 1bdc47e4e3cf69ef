// Every row of a surface carries a 64-bit name for the pixels it holds: two
// rows with the same name hold the same pixels. A whole-row copy gives the
// row its source row's name; a keyed copy names its result after the row
// beneath, the source row and the copy's placement; anything else gives the
// rows fresh names. Two things follow from the names alone:
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

std::uint64_t FreshRowName();
// The name of a keyed copy's result: `placement` is NamePlacement's.
std::uint64_t KeyedRowName(std::uint64_t beneath, std::uint64_t source, std::uint64_t placement);
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
// other rows already hold the result.
template <typename CopySpan>
void KeyedCopyRows(PixelStore& dest, int destTop, const PixelStore& source, int sourceTop, int height,
                   std::uint64_t placement, CopySpan copy);

// ---------------------------------------------------------------- details

// Decides one row of a keyed copy: true when its pixels must be drawn.
bool NameKeyedRow(PixelStore& dest, int destRow, std::uint64_t sourceName, std::uint64_t placement);
// Makes the copies deferred by other stores that still read from `store`.
void MakeCopiesReadingFrom(const PixelStore& store);

template <typename CopySpan>
void KeyedCopyRows(PixelStore& dest, int destTop, const PixelStore& source, int sourceTop, int height,
                   std::uint64_t placement, CopySpan copy) {
    MakeCopiesReadingFrom(dest);
    int spanStart = -1;
    for (int i = 0; i < height; ++i) {
        const bool draw = NameKeyedRow(dest, destTop + i, source.rowNames[sourceTop + i], placement);
        if (draw && spanStart < 0) spanStart = i;
        if (!draw && spanStart >= 0) {
            copy(spanStart, i - spanStart);
            spanStart = -1;
        }
    }
    if (spanStart >= 0) copy(spanStart, height - spanStart);
}

}  // namespace layer::ddraw
