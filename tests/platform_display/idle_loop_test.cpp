// The idle loop of a game on the layer: an empty PeekMessageA sleeps until
// the next frame is due or something happens, and the frames still come on
// the game's own tick gate.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "display_fixture.h"
#include "seam/idle.h"
#include "seam/ticks.h"

namespace {

using Clock = std::chrono::steady_clock;

class IdleLoop : public ::testing::Test {
protected:
    void SetUp() override {
        seam::SleepWhenIdle(true);
        ASSERT_NO_FATAL_FAILURE(StartFullScreenChain(window.handle(), &dd, &primary));
    }
    void TearDown() override {
        seam::SleepWhenIdle(false);
        if (primary) primary->Release();
        if (dd) dd->Release();
    }

    // One pass of the framework's loop: a message if there is one, else idle.
    // Returns whether it was an idle pass.
    static bool Pass() {
        MSG msg;
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (GetMessageA(&msg, nullptr, 0, 0)) DispatchMessageA(&msg);
            return false;
        }
        return true;
    }

    TestWindow window;
    IDirectDraw7* dd = nullptr;
    IDirectDrawSurface7* primary = nullptr;
};

}  // namespace

// The game draws when more than 40 ticks have passed since its last frame.
// Sleeping between frames must not make a frame late: intervals stay 41 ms
// (42 when the tick turns while it draws), across the counter's wrap too,
// and the loop takes a few passes a frame instead of dozens.
TEST_F(IdleLoop, FramesKeepTheGameGateWhileTheLoopSleeps) {
    seam::SetTickBase(0xFFFFFFFFu - 800);
    DWORD last = GetTickCount() - 41;
    std::vector<DWORD> intervals;
    int idlePasses = 0;
    while (intervals.size() < 40) {
        if (!Pass()) continue;
        ++idlePasses;
        const DWORD tick = GetTickCount();
        if (tick - last > 40) {
            ASSERT_EQ(primary->Flip(nullptr, DDFLIP_WAIT), DD_OK);
            intervals.push_back(tick - last);
            last = tick;
        }
    }
    // The first frames teach the layer the cadence.
    std::vector<DWORD> steady(intervals.begin() + 3, intervals.end());
    EXPECT_GE(*std::min_element(steady.begin(), steady.end()), 41u);
    const auto onTime = std::count_if(steady.begin(), steady.end(), [](DWORD i) { return i <= 42; });
    // A busy machine (several builds and test runs at once, or a sanitizer
    // build) delays some wake-ups by a few milliseconds, as it would delay
    // any loop; a loop that oversleeps is late on most frames and in the median.
    EXPECT_GE(onTime * 2, static_cast<long>(steady.size())) << "of " << steady.size() << " frames";
    std::sort(steady.begin(), steady.end());
    EXPECT_EQ(steady[steady.size() / 2], 41u);
    EXPECT_LE(idlePasses, 6 * 40) << "the loop polls instead of sleeping";
}

// Nothing is due (no frames), so the loop sleeps long; a kernel event set on
// another thread, or a message posted from there, wakes it at once.
TEST_F(IdleLoop, EventsAndMessagesFromOtherThreadsWakeTheSleepingLoop) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    for (const bool post : {false, true}) {
        std::atomic<Clock::rep> setAt{0};
        Pass();  // the loop goes to sleep right after this
        std::thread other([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(40));
            setAt = Clock::now().time_since_epoch().count();
            if (post)
                PostMessageA(nullptr, WM_USER, 0, 0);
            else
                SetEvent(event);
        });
        bool seen = false;
        while (!seen) {
            MSG msg;
            if (post) {
                seen = PeekMessageA(&msg, nullptr, WM_USER, WM_USER, PM_REMOVE) != FALSE;
            } else {
                PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
                seen = WaitForSingleObject(event, 0) == WAIT_OBJECT_0;
            }
        }
        const auto late = Clock::now() - Clock::time_point(Clock::duration(setAt.load()));
        other.join();
        // Left asleep, the loop would wake only at its longest sleep, some
        // 60 ms after the wake-up.
        EXPECT_LT(late, std::chrono::milliseconds(30)) << (post ? "posted message" : "kernel event");
    }
    CloseHandle(event);
}
