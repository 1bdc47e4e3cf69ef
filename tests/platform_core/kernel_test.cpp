// Events across threads, the message-and-event wait, ticks across the wrap,
// and the modules the layer knows.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>

#include "recorder.h"
#include "seam/modules.h"
#include "seam/ticks.h"

namespace {

TEST(Events, AutoResetReleasesOneWaitManualResetStaysSet) {
    HANDLE autoEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE manualEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    ASSERT_NE(autoEvent, nullptr);
    ASSERT_NE(manualEvent, nullptr);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(SetEvent(autoEvent));
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(autoEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manualEvent, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(ResetEvent(manualEvent));
    EXPECT_EQ(WaitForSingleObject(manualEvent, 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_TRUE(CloseHandle(autoEvent));
    EXPECT_TRUE(CloseHandle(manualEvent));
    SetLastError(0);
    EXPECT_FALSE(SetEvent(autoEvent));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(CloseHandle(autoEvent));
}

TEST(Events, SetFromAnotherThreadWakesAWaiter) {
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread setter([event] {
        Sleep(20);
        SetEvent(event);
    });
    EXPECT_EQ(WaitForSingleObject(event, INFINITE), WAIT_OBJECT_0);
    setter.join();
    // Only one of two waiters gets a single set of an auto-reset event.
    std::atomic<int> released{0};
    std::atomic<int> timedOut{0};
    auto waiter = [&] {
        const DWORD result = WaitForSingleObject(event, 300);
        (result == WAIT_OBJECT_0 ? released : timedOut)++;
    };
    std::thread a(waiter), b(waiter);
    Sleep(20);
    SetEvent(event);
    a.join();
    b.join();
    EXPECT_EQ(released.load(), 1);
    EXPECT_EQ(timedOut.load(), 1);
    CloseHandle(event);
}

TEST(Events, PingPongBetweenThreadsLosesNoWakeUp) {
    HANDLE ping = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE pong = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    constexpr int rounds = 500;
    std::atomic<int> answered{0};
    std::thread other([&] {
        for (int i = 0; i < rounds; ++i) {
            if (WaitForSingleObject(ping, 5000) != WAIT_OBJECT_0) return;
            ++answered;
            SetEvent(pong);
        }
    });
    int returned = 0;
    for (int i = 0; i < rounds; ++i) {
        SetEvent(ping);
        if (WaitForSingleObject(pong, 5000) != WAIT_OBJECT_0) break;
        ++returned;
    }
    other.join();
    EXPECT_EQ(returned, rounds);
    EXPECT_EQ(answered.load(), rounds);
    CloseHandle(ping);
    CloseHandle(pong);
}

TEST(MsgWait, ZeroTimeOutAnswersAtOnce) {
    RecordingWindow w;
    TakeAll();
    HANDLE autoEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    HANDLE manualEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);

    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));
    SetEvent(autoEvent);
    PostMessageA(w.handle(), WM_USER, 0, 0);
    // The event comes before the waiting input, and the wait clears it.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    // A wake mask without posted messages does not see them.
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_KEY), static_cast<DWORD>(WAIT_TIMEOUT));
    TakeAll();
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_ALLINPUT), static_cast<DWORD>(WAIT_TIMEOUT));

    SetEvent(manualEvent);
    const HANDLE both[] = {autoEvent, manualEvent};
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0 + 1);
    EXPECT_EQ(MsgWaitForMultipleObjects(2, both, FALSE, 0, QS_ALLINPUT), WAIT_OBJECT_0 + 1);

    CloseHandle(autoEvent);
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &autoEvent, FALSE, 0, QS_ALLINPUT), WAIT_FAILED);
    CloseHandle(manualEvent);
}

TEST(MsgWait, WaitsForAnEventSetByAnotherThread) {
    TakeAll();
    HANDLE event = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    std::thread setter([event] {
        Sleep(20);
        SetEvent(event);
    });
    EXPECT_EQ(MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT), WAIT_OBJECT_0);
    setter.join();
    CloseHandle(event);
}

TEST(Ticks, DifferencesSurviveTheWrap) {
    // A stall between setting the base and reading it could already cross
    // the wrap; set it again until the reading is still before it.
    DWORD before;
    do {
        seam::SetTickBase(0xFFFFFFE0u);
        before = GetTickCount();
    } while (before < 0xFFFFFFE0u);
    Sleep(40);
    const DWORD after = GetTickCount();
    EXPECT_LT(after, before) << "the counter wrapped";
    EXPECT_GE(static_cast<DWORD>(after - before), 40u);
    EXPECT_LT(static_cast<DWORD>(after - before), 0x80000000u);
    seam::SetTickBase(1000);
    EXPECT_GE(GetTickCount(), 1000u);
}

TEST(Modules, DirectDrawIsFoundByNameUnlessAbsent) {
    EXPECT_NE(GetModuleHandleA(nullptr), nullptr);
    HMODULE ddraw = LoadLibraryA("ddraw.dll");
    ASSERT_NE(ddraw, nullptr);
    EXPECT_EQ(LoadLibraryA("DDRAW.DLL"), ddraw);
    EXPECT_EQ(GetModuleHandleA("ddraw"), ddraw);
    // The entry point is the layer's own function when it is built in.
    EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(ddraw, "DirectDrawCreateEx")),
              dlsym(RTLD_DEFAULT, "DirectDrawCreateEx"));
    SetLastError(0);
    EXPECT_EQ(GetProcAddress(ddraw, "NoSuchEntry"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
    EXPECT_TRUE(FreeLibrary(ddraw));
    EXPECT_TRUE(FreeLibrary(ddraw));
    EXPECT_FALSE(FreeLibrary(ddraw));

    seam::SetModuleAbsent("ddraw.dll", true);
    SetLastError(0);
    EXPECT_EQ(LoadLibraryA("ddraw.dll"), nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
    seam::SetModuleAbsent("ddraw.dll", false);
    EXPECT_EQ(LoadLibraryA("nosuch.dll"), nullptr);
}

}  // namespace
