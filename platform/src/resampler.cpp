// The resampler's kernel table, made once.
#include "resampler.h"

#include <array>
#include <cmath>
#include <numbers>

namespace layer::audio {

namespace {

constexpr int kPhases = 1 << kPhaseBits;
constexpr double kKaiserBeta = 7.0;

// The zeroth-order modified Bessel function of the first kind, by its series.
double BesselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 40; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

using Table = std::array<std::int16_t, (kPhases + 1) * kTaps>;

Table MakeTable() {
    Table table{};
    const double half = kTaps / 2.0;
    for (int phase = 0; phase <= kPhases; ++phase) {
        const double fraction = double(phase) / kPhases;
        double ideal[kTaps];
        double sum = 0;
        for (int t = 0; t < kTaps; ++t) {
            const double x = (t - kTapsBefore) - fraction;  // distance in source frames
            const double sinc = x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
            const double r = x / half;
            const double window = r * r >= 1 ? 0.0 : BesselI0(kKaiserBeta * std::sqrt(1 - r * r)) / BesselI0(kKaiserBeta);
            ideal[t] = sinc * window;
            sum += ideal[t];
        }
        // Every row passes a constant unchanged, so the phases do not
        // modulate it; the rounding left over goes to the largest tap.
        std::int16_t* row = table.data() + phase * kTaps;
        int total = 0, largest = 0;
        for (int t = 0; t < kTaps; ++t) {
            row[t] = static_cast<std::int16_t>(std::lround(ideal[t] / sum * (1 << kCoefficientShift)));
            total += row[t];
            if (row[t] > row[largest]) largest = t;
        }
        row[largest] = static_cast<std::int16_t>(row[largest] + (1 << kCoefficientShift) - total);
    }
    return table;
}

}  // namespace

const std::int16_t* Kernels() {
    static const Table table = MakeTable();
    return table.data();
}

}  // namespace layer::audio
