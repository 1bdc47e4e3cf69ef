#include "widen_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "rgb565.h"

namespace {

// round(v * 255 / 31) and round(v * 255 / 63) without a division; exact for
// every 5- and 6-bit value (checked below). The products stay under 2^14, so
// they fit a 16-bit lane: eight pixels go through each vector step.
constexpr std::uint32_t kTimes5 = 527, kPlus5 = 23, kTimes6 = 259, kPlus6 = 33;
constexpr std::uint32_t Nearest5(std::uint32_t v) { return (v * kTimes5 + kPlus5) >> 6; }
constexpr std::uint32_t Nearest6(std::uint32_t v) { return (v * kTimes6 + kPlus6) >> 6; }

constexpr bool SameAsRounding() {
    for (unsigned v = 0; v < 32; ++v)
        if (Nearest5(v) != layer::NearestFrom5(v) || v * kTimes5 + kPlus5 >= 1u << 15) return false;
    for (unsigned v = 0; v < 64; ++v)
        if (Nearest6(v) != layer::NearestFrom6(v) || v * kTimes6 + kPlus6 >= 1u << 15) return false;
    return true;
}
static_assert(SameAsRounding());

std::uint32_t WidenOne(std::uint32_t p, const layer::Channels32& c) {
    return Nearest5(p >> 11) << c.redShift | Nearest6((p >> 5) & 0x3F) << c.greenShift |
           Nearest5(p & 0x1F) << c.blueShift | c.alwaysSet;
}

#if defined(__SSE2__)
// Eight pixels: each channel widened in 16-bit lanes, then moved to its place
// in two vectors of four 32-bit pixels.
int WidenEights(const std::uint16_t* source, std::uint32_t* destination, int count, const layer::Channels32& c) {
    const __m128i red = _mm_cvtsi32_si128(static_cast<int>(c.redShift));
    const __m128i green = _mm_cvtsi32_si128(static_cast<int>(c.greenShift));
    const __m128i blue = _mm_cvtsi32_si128(static_cast<int>(c.blueShift));
    const __m128i set = _mm_set1_epi32(static_cast<int>(c.alwaysSet));
    const __m128i zero = _mm_setzero_si128();
    const auto lanes = [](std::uint32_t v) { return _mm_set1_epi16(static_cast<short>(v)); };
    const __m128i times5 = lanes(kTimes5), plus5 = lanes(kPlus5), times6 = lanes(kTimes6), plus6 = lanes(kPlus6);
    const __m128i low5 = lanes(0x1F), low6 = lanes(0x3F);
    // Four pixels from the 16-bit channels, widened by `unpack` with zeros.
    const auto place = [&](auto unpack, __m128i r, __m128i g, __m128i b) {
        return _mm_or_si128(_mm_or_si128(_mm_sll_epi32(unpack(r, zero), red), _mm_sll_epi32(unpack(g, zero), green)),
                            _mm_or_si128(_mm_sll_epi32(unpack(b, zero), blue), set));
    };
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i r = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(p, 11), times5), plus5), 6);
        const __m128i g = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(p, 5), low6), times6), plus6), 6);
        const __m128i b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(p, low5), times5), plus5), 6);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i),
                         place([](__m128i a, __m128i z) { return _mm_unpacklo_epi16(a, z); }, r, g, b));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i + 4),
                         place([](__m128i a, __m128i z) { return _mm_unpackhi_epi16(a, z); }, r, g, b));
    }
    return i;
}
#else
int WidenEights(const std::uint16_t*, std::uint32_t*, int, const layer::Channels32&) { return 0; }
#endif

}  // namespace

namespace layer {

void WidenRow(const std::uint16_t* __restrict source, std::uint32_t* __restrict destination, int count,
              const Channels32& channels) {
    for (int i = WidenEights(source, destination, count, channels); i < count; ++i)
        destination[i] = WidenOne(source[i], channels);
}

}  // namespace layer
