// Message queue order, filters, removal and the blocking calls.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "recorder.h"

namespace {

TEST(MessageQueue, PostedMessagesComeInOrderThenQuitThenInput) {
    RecordingWindow w;
    TakeAll();
    PostMessageA(w.handle(), WM_USER + 1, 11, 12);
    PostQuitMessage(7);
    PostMessageA(nullptr, WM_USER + 2, 21, 22);
    const auto all = TakeAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].message, static_cast<UINT>(WM_USER + 1));
    EXPECT_EQ(all[0].hwnd, w.handle());
    EXPECT_EQ(all[0].wParam, 11u);
    EXPECT_EQ(all[0].lParam, 12);
    EXPECT_EQ(all[1].message, static_cast<UINT>(WM_USER + 2));
    EXPECT_EQ(all[1].hwnd, nullptr);
    EXPECT_EQ(all[2].message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(all[2].wParam, 7u);
}

TEST(MessageQueue, NoRemoveLeavesTheMessageAndFiltersSelect) {
    RecordingWindow w;
    TakeAll();
    PostMessageA(w.handle(), WM_USER + 5, 0, 0);
    PostMessageA(w.handle(), WM_USER + 9, 0, 0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
    // A range that skips the first message takes the second one out of turn.
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 6, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 9));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER + 6, WM_USER + 10, PM_REMOVE));
    // A window filter excludes thread messages.
    PostMessageA(nullptr, WM_USER + 3, 0, 0);
    ASSERT_TRUE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 5));
    EXPECT_FALSE(PeekMessageA(&msg, w.handle(), 0, 0, PM_REMOVE));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 3));
}

TEST(MessageQueue, GetMessageReturnsZeroOnlyForQuit) {
    PostMessageA(nullptr, WM_USER, 0, 0);
    PostQuitMessage(3);
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 3u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
}

TEST(MessageQueue, PostingToADeadWindowFails) {
    HWND dead;
    {
        RecordingWindow w;
        dead = w.handle();
    }
    SetLastError(0);
    EXPECT_FALSE(PostMessageA(dead, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST(MessageQueue, DestroyingAWindowDropsItsQueuedMessages) {
    RecordingWindow keep;
    HWND doomed = CreateWindowExA(0, "RecordingWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(doomed, nullptr);
    TakeAll();
    PostMessageA(doomed, WM_USER + 1, 0, 0);
    PostMessageA(keep.handle(), WM_USER + 2, 0, 0);
    DestroyWindow(doomed);
    const auto all = TakeAll();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].hwnd, keep.handle());
}

TEST(MessageQueue, BlockingCallsWakeForAMessagePostedByAnotherThread) {
    TakeAll();
    std::thread poster([] {
        Sleep(30);
        PostMessageA(nullptr, WM_USER + 4, 0, 0);
    });
    EXPECT_TRUE(WaitMessage());
    MSG msg{};
    EXPECT_EQ(GetMessageA(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 4));
    poster.join();
}

TEST(MessageQueue, DispatchCallsTheWindowProcedure) {
    RecordingWindow w;
    TakeAll();
    w.log().clear();
    PostMessageA(w.handle(), WM_USER + 7, 70, 71);
    w.Drain();
    ASSERT_EQ(w.log().size(), 1u);
    EXPECT_EQ(w.log()[0].msg, static_cast<UINT>(WM_USER + 7));
    EXPECT_EQ(w.log()[0].wParam, 70u);
    EXPECT_EQ(w.log()[0].lParam, 71);
}

}  // namespace
