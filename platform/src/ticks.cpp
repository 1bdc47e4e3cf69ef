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
    const auto live = [] {
        // From 1601 to 1970: 369 years, 89 of them leap years.
        constexpr std::int64_t kUnixEpoch = 116444736000000000;
        const auto since1970 = std::chrono::system_clock::now().time_since_epoch();
        return kUnixEpoch + std::chrono::duration_cast<std::chrono::nanoseconds>(since1970).count() / 100;
    };
    const std::int64_t value = layer::JournaledResult(journal::Call::Calendar, {}, live);
    time->dwLowDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value));
    time->dwHighDateTime = static_cast<DWORD>(static_cast<std::uint64_t>(value) >> 32);
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
