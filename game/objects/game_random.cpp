#include "objects/game_random.h"

#include <bit>
#include <cstdint>

namespace {

std::uint32_t randomState = 1;

// The single-precision value nearest to 1/32767. It is a shade above 1/32768,
// so the largest draw times the scale stays just below 1 and a scaled draw
// never reaches k itself.
constexpr float kRandomScale = std::bit_cast<float>(std::uint32_t{0x38000100});

}  // namespace

int GameRandom() {
    randomState = randomState * 214013u + 2531011u;
    return static_cast<int>((randomState >> 16) & 0x7FFFu);
}

int RandomScaled(int k) {
    const double value = static_cast<double>(GameRandom());
    // Products in double, then truncation toward zero (a cast, not floor), so
    // a negative k mirrors the positive one.
    return static_cast<int>(value * static_cast<double>(kRandomScale) * static_cast<double>(k));
}

void SetGameRandomState(std::uint32_t state) { randomState = state; }
