#include "widen_rows.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "rgb565.h"

namespace {

// round(v * 255 / 31) and round(v * 255 / 63) without a division; exact for
// every 5- and 6-bit value (checked below). The products stay under 2^14, so
// they fit a 16-bit lane: eight pixels go through each vector step.
constexpr std::uint32_t Nearest5(std::uint32_t v) { return (v * 527 + 23) >> 6; }
constexpr std::uint32_t Nearest6(std::uint32_t v) { return (v * 259 + 33) >> 6; }

constexpr bool SameAsRounding() {
    for (unsigned v = 0; v < 32; ++v)
        if (Nearest5(v) != layer::NearestFrom5(v) || v * 527 + 23 >= 1u << 15) return false;
    for (unsigned v = 0; v < 64; ++v)
        if (Nearest6(v) != layer::NearestFrom6(v) || v * 259 + 33 >= 1u << 15) return false;
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
    const __m128i mul5 = _mm_set1_epi16(527), add5 = _mm_set1_epi16(23);
    const __m128i mul6 = _mm_set1_epi16(259), add6 = _mm_set1_epi16(33);
    const __m128i low5 = _mm_set1_epi16(0x1F), low6 = _mm_set1_epi16(0x3F);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m128i p = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i r = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_srli_epi16(p, 11), mul5), add5), 6);
        const __m128i g = _mm_srli_epi16(
            _mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(_mm_srli_epi16(p, 5), low6), mul6), add6), 6);
        const __m128i b = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(_mm_and_si128(p, low5), mul5), add5), 6);
        const __m128i first = _mm_or_si128(
            _mm_or_si128(_mm_sll_epi32(_mm_unpacklo_epi16(r, zero), red),
                         _mm_sll_epi32(_mm_unpacklo_epi16(g, zero), green)),
            _mm_or_si128(_mm_sll_epi32(_mm_unpacklo_epi16(b, zero), blue), set));
        const __m128i second = _mm_or_si128(
            _mm_or_si128(_mm_sll_epi32(_mm_unpackhi_epi16(r, zero), red),
                         _mm_sll_epi32(_mm_unpackhi_epi16(g, zero), green)),
            _mm_or_si128(_mm_sll_epi32(_mm_unpackhi_epi16(b, zero), blue), set));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i), first);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(destination + i + 4), second);
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
