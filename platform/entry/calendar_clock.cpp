// The C library's time() for a program linked with -Wl,--wrap=time (see
// cmake/WinlayerProgram.cmake). A program written for Windows reads the
// calendar through the C library, out of the layer's sight; wrapped, the
// reading goes through the layer's calendar clock instead, which a replay
// journal records and answers like every other clock.
#include <windows.h>

#include <cstdint>
#include <ctime>

extern "C" std::time_t __wrap_time(std::time_t* out) {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    // 100-nanosecond steps since 1601 to seconds since 1970.
    const std::uint64_t steps = (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    const auto seconds = static_cast<std::time_t>((steps - 116444736000000000ull) / 10000000ull);
    if (out) *out = seconds;
    return seconds;
}
