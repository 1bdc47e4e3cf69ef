// Band-limited interpolation for the mixer: a 16-tap Kaiser-windowed sinc cut
// off at the source's Nyquist frequency, tabulated at 1024 phases of a source
// frame and taken at the nearest one. Images of the source spectrum above its
// Nyquist frequency come out about 70 dB down, where linear interpolation
// leaves them 20 to 30 dB down. Phase 0 is a unit impulse, so a sound at the
// device's rate, and every output frame that falls on a source frame, pass
// through unchanged.
//
// Sounds played faster than the device rate are not filtered down to the
// device's Nyquist frequency: what lies above it folds back, as it did with
// linear interpolation.
#pragma once

#include <cstdint>

namespace layer::audio {

constexpr int kTaps = 16;
// The window of an output frame at source position p starts this many frames
// before floor(p).
constexpr int kTapsBefore = kTaps / 2 - 1;
constexpr int kPhaseBits = 10;
constexpr int kCoefficientShift = 14;

// The table of kernels, kTaps coefficients a row; row 0 is the impulse.
const std::int16_t* Kernels();

// The row for the fraction of a 32.32 position. A fraction that rounds up to
// the next frame gets the impulse one tap later, so the window never moves.
inline const std::int16_t* KernelAt(const std::int16_t* kernels, std::uint64_t position) {
    constexpr int shift = 32 - kPhaseBits;
    const std::uint32_t fraction = static_cast<std::uint32_t>(position);
    const std::uint32_t phase = (fraction >> shift) + ((fraction >> (shift - 1)) & 1);
    return kernels + phase * kTaps;
}

// The interpolated sample of a window of kTaps frames of one channel.
inline std::int32_t Interpolate(const std::int16_t* window, const std::int16_t* kernel) {
    std::int32_t sum = 0;
    for (int t = 0; t < kTaps; ++t) sum += std::int32_t(window[t]) * kernel[t];
    return (sum + (1 << (kCoefficientShift - 1))) >> kCoefficientShift;
}

}  // namespace layer::audio
