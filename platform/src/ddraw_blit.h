// The 16-bit software blitter behind BltFast, Blt and the GDI copies onto
// surfaces. Callers have already checked every rectangle against its surface:
// these routines never clip and never look outside the spans they are given.
#pragma once

#include <cstdint>
#include <vector>

namespace layer::blit {

struct Plane {
    std::uint8_t* pixels;  // top-left pixel
    long pitch;            // bytes from one row to the next
};

struct ColourKey {
    bool enabled = false;
    std::uint16_t low = 0;   // a source pixel in [low, high] is left out
    std::uint16_t high = 0;
};

// Copies a width x height block; a key leaves its colours out. Overlapping
// source and destination (the same surface) are copied as if through a
// temporary.
void Copy(Plane dest, Plane source, int width, int height, const ColourKey& key);

// Nearest-neighbour stretch. The full destination rectangle (destWidth x
// destHeight) maps onto the full source rectangle (sourceWidth x
// sourceHeight); only the part [clipLeft, clipRight) x [clipTop, clipBottom)
// of the destination, given relative to the destination rectangle's origin,
// is written. Destination pixel d samples source pixel floor(d * source /
// dest) on each axis, so a rectangle clipped into parts samples exactly as the
// whole would.
void Stretch(Plane dest, int destWidth, int destHeight, Plane source, int sourceWidth, int sourceHeight,
             int clipLeft, int clipTop, int clipRight, int clipBottom, const ColourKey& key);

// The opaque runs of a keyed picture, row by row: where a keyed copy has
// something to copy. Built once for a picture that is drawn again and again,
// they let a keyed copy skip transparent stretches without looking at them.
struct OpaqueRuns {
    ColourKey key;
    std::vector<std::uint32_t> rowStart;  // height + 1 indexes into spans
    std::vector<std::uint32_t> spans;     // start << 16 | length, by start
};

OpaqueRuns BuildRuns(Plane source, int width, int height, const ColourKey& key);

// Builds the runs of rows [top, bottom) again from the picture's pixels (at
// `source`, `width` wide), after only those rows changed.
void RebuildRows(OpaqueRuns& runs, Plane source, int width, int top, int bottom);

// A keyed copy of the block [left, left + width) x [top, top + height) of the
// picture the runs were built from (its pixels at `source`) to `dest`.
void CopyRuns(Plane dest, Plane source, const OpaqueRuns& runs, int left, int top, int width, int height);

// Fills a block with one 16-bit value.
void Fill(Plane dest, int width, int height, std::uint16_t value);

}  // namespace layer::blit
