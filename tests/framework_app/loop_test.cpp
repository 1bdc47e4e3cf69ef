// The message loop: OnIdle while active, none while inactive, and Escape
// closing the program through CloseApp, WM_DESTROY, ReleaseAll and WM_QUIT.
#include <SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "recording_app.h"
#include "seam/input.h"

namespace {

RecordingApp app(0, 0);

TEST(MessageLoop, DeactivationStopsIdleCallsUntilReactivation) {
    std::atomic<int> idle{0};
    std::atomic<int> phase{0};  // 0 before, 1 inactive, 2 reactivated
    std::atomic<int> idleWhileInactive{-1};
    std::atomic<DWORD> lastTick{0};
    std::thread helper;
    app.onIdle = [&](DWORD tick) {
        lastTick = tick;
        const int n = ++idle;
        if (phase == 0 && n == 3) {
            phase = 1;
            seam::PushFocus(app.GethWnd(), false);
            // Another thread plays the user coming back after a while.
            helper = std::thread([&] {
                Sleep(60);
                const int before = idle.load();
                Sleep(60);
                idleWhileInactive = idle.load() - before;
                phase = 2;
                seam::PushFocus(app.GethWnd(), true);
            });
        } else if (phase == 2) {
            phase = 3;
            seam::PushKey(app.GethWnd(), SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, true);
        }
    };
    const int result = vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    if (helper.joinable()) helper.join();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(idleWhileInactive.load(), 0) << "no OnIdle while inactive";
    EXPECT_EQ(phase.load(), 3) << "idle calls resumed after reactivation";
    EXPECT_NE(lastTick.load(), 0u);

    // Escape: the key reached ProcMessage, then CloseApp, then ReleaseAll.
    std::vector<std::string> order;
    for (const Call& c : app.calls) {
        if (c.hook == "ProcMessage" && c.msg == WM_KEYDOWN && c.wParam == VK_ESCAPE) order.push_back("Escape");
        if (c.hook == "CloseApp" || c.hook == "ReleaseAll") order.push_back(c.hook);
    }
    EXPECT_EQ(order, (std::vector<std::string>{"Escape", "CloseApp", "ReleaseAll"}));
    EXPECT_FALSE(IsWindow(app.GethWnd())) << "the window was destroyed";
}

}  // namespace
