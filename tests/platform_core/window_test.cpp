// Window classes, window creation and destruction, activation, and the
// default window procedure.
#include <SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "recorder.h"
#include "seam/input.h"
#include "seam/observers.h"

namespace {

LRESULT CALLBACK PlainProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

LRESULT CALLBACK RefusingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_CREATE) return -1;
    return DefWindowProcA(window, msg, wParam, lParam);
}

WNDCLASSEXA ClassOf(const char* name, WNDPROC proc) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    return wc;
}

TEST(WindowClass, ASecondRegistrationOfTheSameNameFails) {
    WNDCLASSEXA wc = ClassOf("DuplicateClass", PlainProc);
    const ATOM first = RegisterClassExA(&wc);
    EXPECT_NE(first, 0);
    SetLastError(0);
    wc.lpszClassName = "duplicateCLASS";  // names compare without case
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));
    EXPECT_TRUE(UnregisterClassA("DuplicateClass", GetModuleHandleA(nullptr)));
    EXPECT_NE(RegisterClassExA(&wc), 0);
    EXPECT_TRUE(UnregisterClassA("DuplicateClass", GetModuleHandleA(nullptr)));
}

TEST(WindowClass, BadStructuresAreRefused) {
    WNDCLASSEXA wc = ClassOf("BadClass", PlainProc);
    wc.cbSize = 48 - 1;
    SetLastError(0);
    EXPECT_EQ(RegisterClassExA(&wc), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    wc = ClassOf("BadClass", nullptr);
    EXPECT_EQ(RegisterClassExA(&wc), 0);
}

TEST(Window, CreationSendsItsMessagesInOrder) {
    RecordingWindow w;
    const auto got = w.messages();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0], static_cast<UINT>(WM_NCCREATE));
    EXPECT_EQ(got[1], static_cast<UINT>(WM_NCCALCSIZE));
    EXPECT_EQ(got[2], static_cast<UINT>(WM_CREATE));
    char title[32];
    EXPECT_EQ(GetWindowTextA(w.handle(), title, sizeof(title)), 8);
    EXPECT_STREQ(title, "recorder");
}

TEST(Window, RefusedCreationGivesNoWindow) {
    WNDCLASSEXA wc = ClassOf("RefusingClass", RefusingProc);
    ASSERT_NE(RegisterClassExA(&wc), 0);
    EXPECT_EQ(CreateWindowExA(0, "RefusingClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr);
    SetLastError(0);
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CANNOT_FIND_WND_CLASS));
    seam::FailNextWindowCreation();
    EXPECT_EQ(CreateWindowExA(0, "RecordingWindow", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                              GetModuleHandleA(nullptr), nullptr),
              nullptr);
}

TEST(Window, APopupOfTheScreensSizeIsFullScreen) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    SDL_DisplayMode desktop;
    ASSERT_EQ(SDL_GetDesktopDisplayMode(0, &desktop), 0);
    EXPECT_EQ(width, desktop.w);
    EXPECT_EQ(height, desktop.h);
    RecordingWindow full(WS_POPUP, width, height);
    RecordingWindow small(WS_POPUP, width / 2, height / 2);
    EXPECT_NE(SDL_GetWindowFlags(seam::SdlWindowOf(full.handle())) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    EXPECT_EQ(SDL_GetWindowFlags(seam::SdlWindowOf(small.handle())) & SDL_WINDOW_FULLSCREEN_DESKTOP, 0u);
    RECT rect;
    ASSERT_TRUE(GetClientRect(full.handle(), &rect));
    EXPECT_EQ(rect.right, width);
    EXPECT_EQ(rect.bottom, height);
}

TEST(Window, ShowingActivatesAndDestroyingDeactivatesFirst) {
    RecordingWindow w;
    w.log().clear();
    int activations = 0;
    const int token = seam::AddActivationListener([&](bool active) { activations += active ? 1 : -10; });
    EXPECT_FALSE(ShowWindow(w.handle(), SW_SHOWNORMAL));
    EXPECT_TRUE(IsWindowVisible(w.handle()));
    EXPECT_EQ(GetActiveWindow(), w.handle());
    EXPECT_EQ(GetFocus(), w.handle());
    const std::vector<UINT> shown = w.messages();
    const std::vector<UINT> expectedStart = {WM_SHOWWINDOW, WM_ACTIVATEAPP, WM_NCACTIVATE, WM_ACTIVATE, WM_SETFOCUS};
    ASSERT_GE(shown.size(), expectedStart.size());
    EXPECT_EQ(std::vector<UINT>(shown.begin(), shown.begin() + 5), expectedStart);
    EXPECT_EQ(activations, 1);

    HWND handle = w.handle();
    w.log().clear();
    ASSERT_TRUE(DestroyWindow(handle));
    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    const std::vector<UINT> expectedEnd = {WM_NCACTIVATE, WM_ACTIVATE,  WM_ACTIVATEAPP,
                                           WM_KILLFOCUS,  WM_DESTROY,   WM_NCDESTROY};
    EXPECT_EQ(w.messages(), expectedEnd);
    EXPECT_EQ(activations, 1 - 10);
    seam::RemoveActivationListener(token);
}

struct DefaultCase {
    const char* name;
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT expected;
};

TEST(DefaultWindowProcedure, AnswersAsWindowsDoes) {
    RecordingWindow w(WS_POPUP, 100, 50);
    const DefaultCase cases[] = {
        {"WM_NCACTIVATE", WM_NCACTIVATE, TRUE, 0, TRUE},
        {"WM_QUERYOPEN", WM_QUERYOPEN, 0, 0, TRUE},
        {"WM_ERASEBKGND without a class brush", WM_ERASEBKGND, 0, 0, 0},
        {"WM_SETCURSOR without a class cursor", WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE), FALSE},
        {"WM_NCHITTEST inside", WM_NCHITTEST, 0, MAKELPARAM(10, 10), HTCLIENT},
        {"WM_NCHITTEST outside", WM_NCHITTEST, 0, MAKELPARAM(150, 10), HTNOWHERE},
        {"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH, 0, 0, 8},
        {"WM_KEYDOWN", WM_KEYDOWN, 'A', 0, 0},
        {"WM_PAINT", WM_PAINT, 0, 0, 0},
        {"WM_USER", WM_USER, 1, 2, 0},
    };
    for (const DefaultCase& c : cases) {
        EXPECT_EQ(DefWindowProcA(w.handle(), c.msg, c.wParam, c.lParam), c.expected) << c.name;
    }
    EXPECT_TRUE(IsWindow(w.handle()));
    // WM_CLOSE destroys the window, so WM_DESTROY follows.
    w.log().clear();
    EXPECT_EQ(DefWindowProcA(w.handle(), WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(w.handle()));
    const auto got = w.messages();
    EXPECT_NE(std::find(got.begin(), got.end(), static_cast<UINT>(WM_DESTROY)), got.end());
}

TEST(DefaultWindowProcedure, CloseCommandSendsWmClose) {
    RecordingWindow w;
    w.log().clear();
    EXPECT_EQ(DefWindowProcA(w.handle(), WM_SYSCOMMAND, SC_CLOSE, 0), 0);
    const auto got = w.messages();
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got[0], static_cast<UINT>(WM_CLOSE));
    EXPECT_FALSE(IsWindow(w.handle()));
}

TEST(Cursor, NullHidesThePointerAndAnyOtherShowsIt) {
    RecordingWindow w;  // the window system is up
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    ASSERT_NE(arrow, nullptr);
    SetCursor(arrow);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    EXPECT_EQ(SetCursor(nullptr), arrow);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
    EXPECT_EQ(SetCursor(arrow), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
}

TEST(Rect, OffsetAndIntersect) {
    RECT r;
    SetRect(&r, 10, 20, 110, 70);
    OffsetRect(&r, -5, 5);
    EXPECT_EQ(r.left, 5);
    EXPECT_EQ(r.top, 25);
    EXPECT_EQ(r.right, 105);
    EXPECT_EQ(r.bottom, 75);
    RECT other{100, 70, 200, 200};
    RECT both;
    EXPECT_TRUE(IntersectRect(&both, &r, &other));
    EXPECT_EQ(both.left, 100);
    EXPECT_EQ(both.bottom, 75);
    RECT apart{105, 75, 200, 200};  // touches only the excluded edges
    EXPECT_FALSE(IntersectRect(&both, &r, &apart));
    EXPECT_TRUE(IsRectEmpty(&both));
}

}  // namespace
