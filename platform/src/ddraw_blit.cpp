#include "ddraw_blit.h"

#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace layer::blit {

namespace {

inline bool Keyed(std::uint16_t pixel, const ColourKey& key) {
    return static_cast<std::uint16_t>(pixel - key.low) <= static_cast<std::uint16_t>(key.high - key.low);
}

// One row of a keyed copy. Eight pixels at a time: a block that is wholly
// transparent is skipped without touching the destination, a wholly opaque
// one is stored straight, and only mixed blocks are blended. Sprites are
// mostly long runs of one or the other, so most blocks take a fast exit.
void KeyedRow(std::uint16_t* dest, const std::uint16_t* source, int width, const ColourKey& key) {
    int x = 0;
#if defined(__SSE2__)
    const __m128i low = _mm_set1_epi16(static_cast<short>(key.low));
    const __m128i high = _mm_set1_epi16(static_cast<short>(key.high));
    const __m128i zero = _mm_setzero_si128();
    for (; x + 8 <= width; x += 8) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        // Unsigned "low <= p <= high" lane by lane: both saturated differences are zero.
        const __m128i outside = _mm_or_si128(_mm_subs_epu16(low, pixels), _mm_subs_epu16(pixels, high));
        const __m128i transparent = _mm_cmpeq_epi16(outside, zero);
        const int mask = _mm_movemask_epi8(transparent);
        if (mask == 0xFFFF) continue;
        __m128i* out = reinterpret_cast<__m128i*>(dest + x);
        if (mask == 0) {
            _mm_storeu_si128(out, pixels);
        } else {
            const __m128i old = _mm_loadu_si128(out);
            _mm_storeu_si128(out, _mm_or_si128(_mm_and_si128(transparent, old), _mm_andnot_si128(transparent, pixels)));
        }
    }
#endif
    for (; x < width; ++x)
        if (!Keyed(source[x], key)) dest[x] = source[x];
}

}  // namespace

void Copy(Plane dest, Plane source, int width, int height, const ColourKey& key) {
    if (width <= 0 || height <= 0) return;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 2;
    // The same surface with overlapping blocks: read everything first.
    const std::uint8_t* sourceEnd = source.pixels + (height - 1) * source.pitch + rowBytes;
    const std::uint8_t* destEnd = dest.pixels + (height - 1) * dest.pitch + rowBytes;
    std::vector<std::uint8_t> staging;
    if (source.pixels < destEnd && dest.pixels < sourceEnd && source.pitch == dest.pitch) {
        staging.resize(rowBytes * height);
        for (int y = 0; y < height; ++y)
            std::memcpy(staging.data() + y * rowBytes, source.pixels + y * source.pitch, rowBytes);
        source = Plane{staging.data(), static_cast<long>(rowBytes)};
    }
    if (!key.enabled) {
        if (source.pitch == dest.pitch && static_cast<std::size_t>(dest.pitch) == rowBytes) {
            std::memcpy(dest.pixels, source.pixels, rowBytes * height);
            return;
        }
        for (int y = 0; y < height; ++y)
            std::memcpy(dest.pixels + y * dest.pitch, source.pixels + y * source.pitch, rowBytes);
        return;
    }
    for (int y = 0; y < height; ++y)
        KeyedRow(reinterpret_cast<std::uint16_t*>(dest.pixels + y * dest.pitch),
                 reinterpret_cast<const std::uint16_t*>(source.pixels + y * source.pitch), width, key);
}

void Stretch(Plane dest, int destWidth, int destHeight, Plane source, int sourceWidth, int sourceHeight,
             int clipLeft, int clipTop, int clipRight, int clipBottom, const ColourKey& key) {
    if (clipLeft >= clipRight || clipTop >= clipBottom) return;
    if (destWidth == sourceWidth && destHeight == sourceHeight) {
        Copy(Plane{dest.pixels + clipTop * dest.pitch + clipLeft * 2, dest.pitch},
             Plane{source.pixels + clipTop * source.pitch + clipLeft * 2, source.pitch}, clipRight - clipLeft,
             clipBottom - clipTop, key);
        return;
    }
    const int width = clipRight - clipLeft;
    std::vector<int> columns(width);
    for (int x = 0; x < width; ++x)
        columns[x] = static_cast<int>(static_cast<long long>(clipLeft + x) * sourceWidth / destWidth);
    // Stretching within one surface reads from a snapshot of the source.
    std::vector<std::uint8_t> staging;
    const std::uint8_t* sourceEnd = source.pixels + (sourceHeight - 1) * source.pitch + sourceWidth * 2;
    const std::uint8_t* destEnd = dest.pixels + (destHeight - 1) * dest.pitch + destWidth * 2;
    if (source.pixels < destEnd && dest.pixels < sourceEnd) {
        const std::size_t rowBytes = static_cast<std::size_t>(sourceWidth) * 2;
        staging.resize(rowBytes * sourceHeight);
        for (int y = 0; y < sourceHeight; ++y)
            std::memcpy(staging.data() + y * rowBytes, source.pixels + y * source.pitch, rowBytes);
        source = Plane{staging.data(), static_cast<long>(rowBytes)};
    }
    for (int y = clipTop; y < clipBottom; ++y) {
        const int sourceY = static_cast<int>(static_cast<long long>(y) * sourceHeight / destHeight);
        const auto* in = reinterpret_cast<const std::uint16_t*>(source.pixels + sourceY * source.pitch);
        auto* out = reinterpret_cast<std::uint16_t*>(dest.pixels + y * dest.pitch) + clipLeft;
        if (key.enabled) {
            for (int x = 0; x < width; ++x) {
                const std::uint16_t pixel = in[columns[x]];
                if (!Keyed(pixel, key)) out[x] = pixel;
            }
        } else {
            for (int x = 0; x < width; ++x) out[x] = in[columns[x]];
        }
    }
}

void Fill(Plane dest, int width, int height, std::uint16_t value) {
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<std::uint16_t*>(dest.pixels + y * dest.pitch);
        for (int x = 0; x < width; ++x) out[x] = value;
    }
}

}  // namespace layer::blit
