#include "idle_pacing.h"

#include <algorithm>
#include <mutex>

#include "tick_clock.h"
#include "winbase.h"

namespace {

// With no frames to go by, the loop still looks every so often: a program
// may wait on the tick counter without drawing.
constexpr auto kLongestSleep = std::chrono::milliseconds(100);
// A gap between frames longer than this is a pause, not a cadence.
constexpr DWORD kLongestPeriod = 500;

// The last few intervals between frames: the shortest of them is the
// program's cadence. An interval is learnt only when the loop was waking on
// every tick before its frame (it knew no cadence yet, or the frame came
// later than the cadence said), so none is longer than the program made it;
// a cadence that grows costs wake-ups until the short ones have gone.
constexpr int kIntervalsKept = 8;

struct Pacing {
    bool seenFrame = false;
    DWORD lastFrame = 0;  // tick of the idle pass that drew the last frame
    DWORD passTick = 0;   // tick of the last idle pass
    DWORD passBefore = 0;  // and of the one before it
    bool passSeen = false;
    DWORD intervals[kIntervalsKept] = {};
    int kept = 0;
    int next = 0;
    bool passDue = false;  // the next idle pass runs without sleeping
    std::chrono::system_clock::time_point secondWoken{};

    DWORD Period() const { return kept ? *std::min_element(intervals, intervals + kept) : 0; }
};

std::mutex& Guard() {
    static std::mutex guard;
    return guard;
}

Pacing pacing;

// Programs count seconds with time(): wake when the wall clock turns one.
layer::IdleClock::time_point NextWallSecond(layer::IdleClock::time_point now,
                                            std::chrono::system_clock::time_point wall) {
    const auto next = std::chrono::ceil<std::chrono::seconds>(wall + std::chrono::microseconds(1));
    return now + std::chrono::duration_cast<layer::IdleClock::duration>(next - wall) +
           std::chrono::microseconds(200);
}

}  // namespace

namespace layer {

void NoteIdlePass() {
    std::lock_guard<std::mutex> lock(Guard());
    pacing.passBefore = pacing.passSeen ? pacing.passTick : LiveTickCount();
    pacing.passTick = LiveTickCount();
    pacing.passSeen = true;
}

void NoteFrameShown() {
    std::lock_guard<std::mutex> lock(Guard());
    // The program's gate counts from the tick its pass read, not from when
    // its drawing reached the present (which a slow frame puts later).
    // Outside an idle pass (a frame drawn for a message) the last pass's tick
    // is earlier still, which only makes the next wake-up earlier.
    const DWORD now = pacing.passSeen ? pacing.passTick : LiveTickCount();
    if (pacing.seenFrame) {
        const DWORD interval = now - pacing.lastFrame;
        // Only an interval the program chose itself tells its cadence: one
        // whose frame came on a pass a tick after the last pass that did not
        // draw. After a longer sleep the frame may have waited for the loop.
        const bool ownChoice = pacing.passTick - pacing.passBefore <= 1;
        if (interval > kLongestPeriod) {
            pacing.kept = pacing.next = 0;
        } else if (interval >= 1 && ownChoice) {
            pacing.intervals[pacing.next] = interval;
            pacing.next = (pacing.next + 1) % kIntervalsKept;
            pacing.kept = std::min(pacing.kept + 1, kIntervalsKept);
        }
    }
    pacing.seenFrame = true;
    pacing.lastFrame = now;
}

void NoteMessageTaken() {
    std::lock_guard<std::mutex> lock(Guard());
    pacing.passDue = true;
}

IdleClock::time_point IdleWakeTime(IdleClock::time_point now) {
    std::lock_guard<std::mutex> lock(Guard());
    const auto wall = std::chrono::system_clock::now();
    // What changes at a message or a second's turn may be drawn on the pass
    // after the one that saw it.
    const auto second = std::chrono::floor<std::chrono::seconds>(wall);
    if (second != pacing.secondWoken) {
        const bool justTurned = wall - second < std::chrono::milliseconds(2);
        if (justTurned) {
            pacing.secondWoken = second;
            pacing.passDue = true;
        }
    }
    if (pacing.passDue) {
        pacing.passDue = false;
        return now;
    }
    const auto wake = std::min(now + kLongestSleep, NextWallSecond(now, wall));
    if (!pacing.seenFrame) return wake;
    const DWORD tick = LiveTickCount();
    const DWORD sinceFrame = tick - pacing.lastFrame;
    if (sinceFrame > kLongestPeriod) return wake;  // not drawing now
    const DWORD period = pacing.Period();
    // Wake on the tick the frame is due. Every wake-up costs a context
    // switch, which is much of what an idle game costs, and a timer wakes a
    // sleeping thread well within the tick.
    if (period > 0 && sinceFrame < period) return std::min(wake, StartOfTick(pacing.lastFrame + period));
    return std::min(wake, StartOfTick(tick + 1));
}

}  // namespace layer
