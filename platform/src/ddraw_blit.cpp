#include "ddraw_blit.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace layer::blit {

namespace {

inline bool Keyed(std::uint16_t pixel, const ColourKey& key) {
    return static_cast<std::uint16_t>(pixel - key.low) <= static_cast<std::uint16_t>(key.high - key.low);
}

#if defined(__SSE2__)
// The key's range in every lane, for KeyedLanes.
struct KeyLanes {
    explicit KeyLanes(const ColourKey& key)
        : low(_mm_set1_epi16(static_cast<short>(key.low))), high(_mm_set1_epi16(static_cast<short>(key.high))) {}
    __m128i low;
    __m128i high;
};

// All ones in each lane whose pixel is keyed: unsigned "low <= p <= high",
// lane by lane, is both saturated differences being zero.
inline __m128i KeyedLanes(__m128i pixels, const KeyLanes& key) {
    const __m128i outside = _mm_or_si128(_mm_subs_epu16(key.low, pixels), _mm_subs_epu16(pixels, key.high));
    return _mm_cmpeq_epi16(outside, _mm_setzero_si128());
}
#endif

// One row of a keyed copy. Eight pixels at a time: a block that is wholly
// transparent is skipped without touching the destination, a wholly opaque
// one is stored straight, and only mixed blocks are blended. Sprites are
// mostly long runs of one or the other, so most blocks take a fast exit.
void KeyedRow(std::uint16_t* dest, const std::uint16_t* source, int width, const ColourKey& key) {
    int x = 0;
#if defined(__SSE2__)
    const KeyLanes lanes(key);
    for (; x + 8 <= width; x += 8) {
        const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + x));
        const __m128i transparent = KeyedLanes(pixels, lanes);
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

namespace {

// Appends the opaque runs of one row, sixteen pixels at a time where it can:
// a block's keyed pixels as a bit mask, and the run edges found in the mask.
// Pictures are mostly long stretches of one kind, where a block has no edge.
void AppendRowRuns(std::vector<std::uint32_t>& spans, const std::uint16_t* row, int width, const ColourKey& key) {
    int start = -1;  // where the open run began
    auto close = [&](int end) {
        spans.push_back(static_cast<std::uint32_t>(start) << 16 | static_cast<std::uint32_t>(end - start));
        start = -1;
    };
    int x = 0;
#if defined(__SSE2__)
    const KeyLanes lanes(key);
    for (; x + 16 <= width; x += 16) {
        const __m128i low = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x));
        const __m128i high = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + x + 8));
        // One bit a pixel: bit i is set when pixel x + i is keyed.
        const unsigned keyed = static_cast<unsigned>(
            _mm_movemask_epi8(_mm_packs_epi16(KeyedLanes(low, lanes), KeyedLanes(high, lanes))));
        unsigned from = 0;  // bits below this are dealt with
        for (;;) {
            const unsigned edges = (start < 0 ? ~keyed : keyed) & (0xFFFFu << from) & 0xFFFFu;
            if (edges == 0) break;
            const unsigned at = static_cast<unsigned>(__builtin_ctz(edges));
            if (start < 0)
                start = x + static_cast<int>(at);
            else
                close(x + static_cast<int>(at));
            from = at + 1;
            if (from >= 16) break;
        }
    }
#endif
    for (; x < width; ++x) {
        const bool opaque = !Keyed(row[x], key);
        if (opaque && start < 0) start = x;
        if (!opaque && start >= 0) close(x);
    }
    if (start >= 0) close(width);
}

}  // namespace

OpaqueRuns BuildRuns(Plane source, int width, int height, const ColourKey& key) {
    OpaqueRuns runs;
    runs.key = key;
    runs.rowStart.reserve(static_cast<std::size_t>(height) + 1);
    for (int y = 0; y < height; ++y) {
        runs.rowStart.push_back(static_cast<std::uint32_t>(runs.spans.size()));
        AppendRowRuns(runs.spans, reinterpret_cast<const std::uint16_t*>(source.pixels + y * source.pitch), width, key);
    }
    runs.rowStart.push_back(static_cast<std::uint32_t>(runs.spans.size()));
    return runs;
}

void RebuildRows(OpaqueRuns& runs, Plane source, int width, int top, int bottom) {
    thread_local std::vector<std::uint32_t> fresh;
    thread_local std::vector<std::uint32_t> freshStart;
    fresh.clear();
    freshStart.clear();
    for (int y = top; y < bottom; ++y) {
        freshStart.push_back(static_cast<std::uint32_t>(fresh.size()));
        AppendRowRuns(fresh, reinterpret_cast<const std::uint16_t*>(source.pixels + y * source.pitch), width,
                      runs.key);
    }
    const std::uint32_t begin = runs.rowStart[top], end = runs.rowStart[bottom];
    const auto oldCount = static_cast<std::ptrdiff_t>(end - begin);
    const auto newCount = static_cast<std::ptrdiff_t>(fresh.size());
    if (newCount > oldCount)
        runs.spans.insert(runs.spans.begin() + end, static_cast<std::size_t>(newCount - oldCount), 0);
    else if (newCount < oldCount)
        runs.spans.erase(runs.spans.begin() + begin + newCount, runs.spans.begin() + end);
    std::copy(fresh.begin(), fresh.end(), runs.spans.begin() + begin);
    for (int y = top; y < bottom; ++y) runs.rowStart[y] = begin + freshStart[y - top];
    const auto shift = static_cast<std::uint32_t>(newCount - oldCount);  // wraps for a shrink, as intended
    for (std::size_t y = static_cast<std::size_t>(bottom); y < runs.rowStart.size(); ++y) runs.rowStart[y] += shift;
}

namespace {

// Copies n >= 1 pixels of a run. Every length is copied as a few loads and
// stores that may overlap one another but never leave the run: two words
// from either end for short runs, a stride of wide words and a last one
// ending on the run's end for long ones.
template <typename Wide>
inline void CopyPixels(std::uint16_t* to, const std::uint16_t* from, unsigned n) {
    if (n >= 16) {
        Wide::Long(to, from, n);
    } else if (n >= 8) {
#if defined(__SSE2__)
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n - 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to), head);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + n - 8), tail);
#else
        std::memcpy(to, from, static_cast<std::size_t>(n) * 2);
#endif
    } else if (n >= 4) {
        std::uint64_t head, tail;
        std::memcpy(&head, from, 8);
        std::memcpy(&tail, from + n - 4, 8);
        std::memcpy(to, &head, 8);
        std::memcpy(to + n - 4, &tail, 8);
    } else if (n >= 2) {
        std::uint32_t head, tail;
        std::memcpy(&head, from, 4);
        std::memcpy(&tail, from + n - 2, 4);
        std::memcpy(to, &head, 4);
        std::memcpy(to + n - 2, &tail, 4);
    } else {
        to[0] = from[0];
    }
}

struct Narrow {
    static void Long(std::uint16_t* to, const std::uint16_t* from, unsigned n) {
#if defined(__SSE2__)
        unsigned i = 0;
        for (; i + 8 <= n; i += 8)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
        if (i < n)
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + n - 8),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n - 8)));
#else
        std::memcpy(to, from, static_cast<std::size_t>(n) * 2);
#endif
    }
};

template <typename Wide>
inline void CopyRunsWith(Plane dest, Plane source, const OpaqueRuns& runs, int left, int top, int width,
                         int height) {
    const unsigned right = static_cast<unsigned>(left + width);
    const unsigned from = static_cast<unsigned>(left);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* span = runs.spans.data() + runs.rowStart[top + y];
        const std::uint32_t* end = runs.spans.data() + runs.rowStart[top + y + 1];
        if (span == end) continue;
        const auto* in = reinterpret_cast<const std::uint16_t*>(source.pixels + (top + y) * source.pitch);
        auto* out = reinterpret_cast<std::uint16_t*>(dest.pixels + y * dest.pitch);
        const std::uint32_t last = end[-1];
        if ((span[0] >> 16) >= from && (last >> 16) + (last & 0xFFFF) <= right) {
            // Every run of the row lies inside the block: no clipping.
            for (; span < end; ++span) {
                const unsigned a = *span >> 16;
                CopyPixels<Wide>(out + (a - from), in + a, *span & 0xFFFF);
            }
            continue;
        }
        for (; span < end; ++span) {
            unsigned a = *span >> 16;
            unsigned b = a + (*span & 0xFFFF);
            if (b <= from) continue;
            if (a >= right) break;
            if (a < from) a = from;
            if (b > right) b = right;
            CopyPixels<Wide>(out + (a - from), in + a, b - a);
        }
    }
}

#if defined(__x86_64__) && defined(__GNUC__)
#define ZARNOK_HAVE_AVX2_PATH 1

struct Wide256 {
    __attribute__((target("avx2"))) static void Long(std::uint16_t* to, const std::uint16_t* from, unsigned n) {
        unsigned i = 0;
        for (; i + 16 <= n; i += 16)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + i),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + i)));
        if (i < n)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(to + n - 16),
                                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(from + n - 16)));
    }
};

__attribute__((target("avx2"))) void CopyRunsAvx2(Plane dest, Plane source, const OpaqueRuns& runs, int left,
                                                  int top, int width, int height) {
    CopyRunsWith<Wide256>(dest, source, runs, left, top, width, height);
}
#endif

}  // namespace

void CopyRuns(Plane dest, Plane source, const OpaqueRuns& runs, int left, int top, int width, int height) {
#if defined(ZARNOK_HAVE_AVX2_PATH)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        CopyRunsAvx2(dest, source, runs, left, top, width, height);
        return;
    }
#endif
    CopyRunsWith<Narrow>(dest, source, runs, left, top, width, height);
}

void Fill(Plane dest, int width, int height, std::uint16_t value) {
    for (int y = 0; y < height; ++y) {
        auto* out = reinterpret_cast<std::uint16_t*>(dest.pixels + y * dest.pitch);
        for (int x = 0; x < width; ++x) out[x] = value;
    }
}

}  // namespace layer::blit
