// The window procedure's routing and the default ProcMessage, on a window
// left open by an InitApp that returned 0.
#include <SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include "recording_app.h"

namespace {

RecordingApp app(0, 0);

class Routing : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        app.onInit = [] {
            // Posted but never taken: the loop must not start.
            PostMessageA(app.GethWnd(), WM_USER + 1, 0, 0);
            return 0;
        };
        result = vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL);
    }
    void SetUp() override {
        ASSERT_TRUE(IsWindow(app.GethWnd()));
        SendMessageA(app.GethWnd(), WM_ACTIVATE, WA_ACTIVE, 0);
        app.calls.clear();
        app.forwardToFramework = false;
    }
    static int result;
};
int Routing::result = -1;

TEST_F(Routing, InitAppReturningZeroEndsBeforeTheLoop) {
    EXPECT_EQ(result, 0);
    EXPECT_EQ(app.idleCalls, 0);
    EXPECT_EQ(app.GethInst(), GetModuleHandleA(nullptr));
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 1, WM_USER + 1, PM_REMOVE));
    EXPECT_TRUE(IsWindow(app.GethWnd())) << "the window stays open";
}

TEST_F(Routing, TheWindowIsAFullScreenTopmostPopupNamedAfterTheDefault) {
    char name[64];
    ASSERT_GT(GetClassNameA(app.GethWnd(), name, sizeof(name)), 0);
    EXPECT_STREQ(name, "vorlapWindow");
    ASSERT_GT(GetWindowTextA(app.GethWnd(), name, sizeof(name)), 0);
    EXPECT_STREQ(name, "vorlapWindow");
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), "vorlapWindow", &wc));
    EXPECT_EQ(wc.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW));
    EXPECT_EQ(wc.hIcon, nullptr) << "icon id 0 gives no icon";
    EXPECT_EQ(wc.hCursor, nullptr);
    EXPECT_EQ(wc.hbrBackground, GetStockObject(BLACK_BRUSH));
    const auto style = static_cast<DWORD>(GetWindowLongA(app.GethWnd(), GWL_STYLE));
    EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU), static_cast<DWORD>(WS_POPUP | WS_SYSMENU));
    const auto exStyle = static_cast<DWORD>(GetWindowLongA(app.GethWnd(), GWL_EXSTYLE));
    EXPECT_EQ(exStyle & WS_EX_TOPMOST, static_cast<DWORD>(WS_EX_TOPMOST));
    RECT rect;
    ASSERT_TRUE(GetWindowRect(app.GethWnd(), &rect));
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right, GetSystemMetrics(SM_CXSCREEN));
    EXPECT_EQ(rect.bottom, GetSystemMetrics(SM_CYSCREEN));
}

struct Routed {
    const char* name;
    UINT msg;
};

TEST_F(Routing, NineteenMessagesGoStraightToDefWindowProc) {
    char text[32] = "t";
    const Routed system[] = {
        {"WM_CREATE", WM_CREATE},           {"WM_SIZE", WM_SIZE},
        {"WM_SETTEXT", WM_SETTEXT},         {"WM_GETTEXT", WM_GETTEXT},
        {"WM_GETTEXTLENGTH", WM_GETTEXTLENGTH}, {"WM_QUIT", WM_QUIT},
        {"WM_QUERYOPEN", WM_QUERYOPEN},     {"WM_SHOWWINDOW", WM_SHOWWINDOW},
        {"WM_CANCELMODE", WM_CANCELMODE},   {"WM_QUERYDRAGICON", WM_QUERYDRAGICON},
        {"WM_STYLECHANGING", WM_STYLECHANGING}, {"WM_STYLECHANGED", WM_STYLECHANGED},
        {"WM_GETICON", WM_GETICON},         {"WM_SETICON", WM_SETICON},
        {"WM_NCCREATE", WM_NCCREATE},       {"WM_NCDESTROY", WM_NCDESTROY},
        {"WM_NCCALCSIZE", WM_NCCALCSIZE},   {"WM_NCACTIVATE", WM_NCACTIVATE},
        {"WM_SIZING", WM_SIZING},
    };
    static_assert(sizeof(system) / sizeof(system[0]) == 19);
    for (const Routed& r : system) {
        const WPARAM wParam = r.msg == WM_GETTEXT ? sizeof(text) : 1;
        const LPARAM lParam = (r.msg == WM_SETTEXT || r.msg == WM_GETTEXT) ? reinterpret_cast<LPARAM>(text) : 0;
        const LRESULT expected = DefWindowProcA(app.GethWnd(), r.msg, wParam, lParam);
        app.calls.clear();
        EXPECT_EQ(SendMessageA(app.GethWnd(), r.msg, wParam, lParam), expected) << r.name;
        EXPECT_FALSE(app.SawMessage(r.msg)) << r.name << " must not reach ProcMessage";
    }
    EXPECT_TRUE(IsWindow(app.GethWnd()));
}

TEST_F(Routing, EverythingElseReachesProcMessageWithItsArguments) {
    const Routed others[] = {
        {"WM_PAINT", WM_PAINT},           {"WM_ERASEBKGND", WM_ERASEBKGND},
        {"WM_SETFOCUS", WM_SETFOCUS},     {"WM_KILLFOCUS", WM_KILLFOCUS},
        {"WM_MOVE", WM_MOVE},             {"WM_SETCURSOR", WM_SETCURSOR},
        {"WM_DISPLAYCHANGE", WM_DISPLAYCHANGE}, {"WM_NCHITTEST", WM_NCHITTEST},
        {"WM_NCPAINT", WM_NCPAINT},       {"WM_SYSCOMMAND", WM_SYSCOMMAND},
        {"WM_KEYDOWN", WM_KEYDOWN},       {"WM_KEYUP", WM_KEYUP},
        {"WM_CHAR", WM_CHAR},             {"WM_MOUSEMOVE", WM_MOUSEMOVE},
        {"WM_LBUTTONDOWN", WM_LBUTTONDOWN}, {"WM_USER", WM_USER},
    };
    for (const Routed& r : others) {
        app.calls.clear();
        EXPECT_EQ(SendMessageA(app.GethWnd(), r.msg, 0x1234, 0x5678), RecordingApp::kProcResult) << r.name;
        ASSERT_EQ(app.calls.size(), 1u) << r.name;
        EXPECT_EQ(app.calls[0].msg, r.msg) << r.name;
        EXPECT_EQ(app.calls[0].wParam, 0x1234u) << r.name;
        EXPECT_EQ(app.calls[0].lParam, 0x5678) << r.name;
    }
}

TEST_F(Routing, ActivationIsTheFrameworksOwn) {
    EXPECT_EQ(SendMessageA(app.GethWnd(), WM_ACTIVATEAPP, FALSE, 0), 0);
    EXPECT_EQ(SendMessageA(app.GethWnd(), WM_ACTIVATE, WA_INACTIVE, 0), 0);
    EXPECT_EQ(SendMessageA(app.GethWnd(), WM_ACTIVATE, WA_CLICKACTIVE, 0), 0);
    EXPECT_TRUE(app.calls.empty()) << "neither reaches ProcMessage";
}

TEST_F(Routing, DefaultSetCursorHidesThePointerOnlyWhileActive) {
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    EXPECT_EQ(app.vorlap::ProcMessage(WM_SETCURSOR, 0, 0), 1);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    SendMessageA(app.GethWnd(), WM_ACTIVATE, WA_INACTIVE, 0);
    SetCursor(arrow);
    EXPECT_EQ(app.vorlap::ProcMessage(WM_SETCURSOR, 0, 0), 1);
    EXPECT_EQ(GetCursor(), arrow) << "an inactive window leaves the pointer alone";
}

TEST_F(Routing, DefaultEscapePostsCloseOtherKeysGoToDefWindowProc) {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(app.vorlap::ProcMessage(WM_KEYDOWN, 'Q', 0), DefWindowProcA(app.GethWnd(), WM_KEYDOWN, 'Q', 0));
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
    EXPECT_EQ(app.vorlap::ProcMessage(WM_KEYUP, VK_ESCAPE, 0), 0);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "only the key press closes";
    EXPECT_EQ(app.vorlap::ProcMessage(WM_KEYDOWN, VK_ESCAPE, 0), 0);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CLOSE));
    EXPECT_EQ(msg.hwnd, app.GethWnd());
    EXPECT_TRUE(IsWindow(app.GethWnd())) << "nothing closes until the message is taken";
}

// Last in the suite: it ends the window.
TEST_F(Routing, ZzCloseCallsCloseAppAndDestroyReleasesAndQuits) {
    HWND window = app.GethWnd();
    EXPECT_EQ(SendMessageA(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(IsWindow(window));
    ASSERT_GE(app.calls.size(), 2u);
    EXPECT_EQ(app.calls.front().hook, "CloseApp");
    EXPECT_EQ(app.Hooked("ReleaseAll"), 1);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
