#include "widen_rows.h"

#include "rgb565.h"

namespace {

// round(v * 255 / 31) and round(v * 255 / 63) without a division; exact for
// every 5- and 6-bit value (checked below).
constexpr std::uint32_t Nearest5(std::uint32_t v) { return (v * 527 + 23) >> 6; }
constexpr std::uint32_t Nearest6(std::uint32_t v) { return (v * 259 + 33) >> 6; }

constexpr bool SameAsRounding() {
    for (unsigned v = 0; v < 32; ++v)
        if (Nearest5(v) != layer::NearestFrom5(v)) return false;
    for (unsigned v = 0; v < 64; ++v)
        if (Nearest6(v) != layer::NearestFrom6(v)) return false;
    return true;
}
static_assert(SameAsRounding());

}  // namespace

namespace layer {

void WidenRow(const std::uint16_t* __restrict source, std::uint32_t* __restrict destination, int count,
              const Channels32& channels) {
    const unsigned rs = channels.redShift, gs = channels.greenShift, bs = channels.blueShift;
    const std::uint32_t set = channels.alwaysSet;
    for (int i = 0; i < count; ++i) {
        const std::uint32_t p = source[i];
        destination[i] = Nearest5(p >> 11) << rs | Nearest6((p >> 5) & 0x3F) << gs | Nearest5(p & 0x1F) << bs | set;
    }
}

}  // namespace layer
