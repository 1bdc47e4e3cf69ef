// The millisecond tick counter, the calendar clock and sleeping.
#include <atomic>
#include <chrono>
#include <thread>

#include "journal_session.h"
#include "seam_hooks.h"
#include "tick_clock.h"
#include "winbase.h"

namespace {

using Clock = std::chrono::steady_clock;

const Clock::time_point& Start() {
    static const Clock::time_point start = Clock::now();
    return start;
}

std::uint64_t ElapsedMs() {
    return static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - Start()).count());
}

// Added to the elapsed milliseconds; the sum is cut to 32 bits as Windows'
// counter is, so it wraps to 0 after 0xFFFFFFFF.
std::atomic<std::uint32_t> tickOffset{0};

}  // namespace

namespace layer {

std::chrono::steady_clock::time_point StartOfTick(DWORD tick) {
    const std::uint64_t elapsed = ElapsedMs();
    const auto ahead = static_cast<std::int32_t>(tick - (static_cast<DWORD>(elapsed) + tickOffset.load()));
    return Start() + std::chrono::milliseconds(static_cast<std::int64_t>(elapsed) + ahead);
}

DWORD LiveTickCount() { return static_cast<DWORD>(ElapsedMs()) + tickOffset.load(); }

}  // namespace layer

namespace layer::testing {
void SetTickBase(DWORD base) { tickOffset = static_cast<std::uint32_t>(base - static_cast<DWORD>(ElapsedMs())); }
}  // namespace layer::testing

extern "C" {

DWORD WINAPI GetTickCount(void) {
    return layer::JournaledResult(journal::Call::Tick, {}, layer::LiveTickCount);
}

void WINAPI GetSystemTimeAsFileTime(LPFILETIME time) {
    if (time == nullptr) return;
    // Milliseconds since 1601: Windows' calendar moves in steps of its
    // system tick, never finer than this, and a journal keeps it small.
    const auto live = [] {
        // From 1601 to 1970: 369 years, 89 of them leap years.
        constexpr std::int64_t kUnixEpochMs = 11644473600000;
        const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
        return kUnixEpochMs + std::chrono::duration_cast<std::chrono::milliseconds>(since1970).count();
    };
    const auto steps = static_cast<std::uint64_t>(layer::JournaledResult(journal::Call::Calendar, {}, live)) * 10000;
    time->dwLowDateTime = static_cast<DWORD>(steps);
    time->dwHighDateTime = static_cast<DWORD>(steps >> 32);
}

void WINAPI Sleep(DWORD milliseconds) {
    if (milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    if (milliseconds == INFINITE) {
        for (;;) std::this_thread::sleep_for(std::chrono::hours(24));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // extern "C"
