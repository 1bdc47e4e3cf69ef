// Window-system input becoming Windows messages: keys, focus, the close
// button and the pointer, through the seam's synthetic SDL events.
#include <SDL.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "recorder.h"
#include "seam/input.h"
#include "seam/observers.h"

namespace {

struct KeyCase {
    const char* name;
    SDL_Keycode key;
    SDL_Scancode scancode;
    Uint16 modifiers;
    bool down;
    bool repeat;
    UINT expectedMsg;
    WPARAM expectedVk;
};

TEST(KeyTranslation, KeysBecomeVirtualKeyMessages) {
    RecordingWindow w;
    TakeAll();
    const KeyCase cases[] = {
        {"letter", SDLK_a, SDL_SCANCODE_A, KMOD_NONE, true, false, WM_KEYDOWN, 'A'},
        {"letter with Shift", SDLK_q, SDL_SCANCODE_Q, KMOD_LSHIFT, true, false, WM_KEYDOWN, 'Q'},
        {"letter with Caps Lock", SDLK_z, SDL_SCANCODE_Z, KMOD_CAPS, true, false, WM_KEYDOWN, 'Z'},
        {"digit", SDLK_7, SDL_SCANCODE_7, KMOD_NONE, true, false, WM_KEYDOWN, '7'},
        {"zero", SDLK_0, SDL_SCANCODE_0, KMOD_NONE, true, false, WM_KEYDOWN, '0'},
        {"space", SDLK_SPACE, SDL_SCANCODE_SPACE, KMOD_NONE, true, false, WM_KEYDOWN, VK_SPACE},
        {"enter", SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_NONE, true, false, WM_KEYDOWN, VK_RETURN},
        {"backspace", SDLK_BACKSPACE, SDL_SCANCODE_BACKSPACE, KMOD_NONE, true, false, WM_KEYDOWN, VK_BACK},
        {"escape", SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, true, false, WM_KEYDOWN, VK_ESCAPE},
        {"keypad 5", SDLK_KP_5, SDL_SCANCODE_KP_5, KMOD_NUM, true, false, WM_KEYDOWN, VK_NUMPAD5},
        {"keypad 0", SDLK_KP_0, SDL_SCANCODE_KP_0, KMOD_NUM, true, false, WM_KEYDOWN, VK_NUMPAD0},
        {"left arrow", SDLK_LEFT, SDL_SCANCODE_LEFT, KMOD_NONE, true, false, WM_KEYDOWN, VK_LEFT},
        {"F5", SDLK_F5, SDL_SCANCODE_F5, KMOD_NONE, true, false, WM_KEYDOWN, VK_F5},
        {"repeat", SDLK_p, SDL_SCANCODE_P, KMOD_NONE, true, true, WM_KEYDOWN, 'P'},
        {"release", SDLK_p, SDL_SCANCODE_P, KMOD_NONE, false, false, WM_KEYUP, 'P'},
        {"Alt+X", SDLK_x, SDL_SCANCODE_X, KMOD_LALT, true, false, WM_SYSKEYDOWN, 'X'},
        {"Alt+X released", SDLK_x, SDL_SCANCODE_X, KMOD_LALT, false, false, WM_SYSKEYUP, 'X'},
        {"AltGr+Q is no system key", SDLK_q, SDL_SCANCODE_Q, KMOD_RALT | KMOD_LCTRL, true, false, WM_KEYDOWN, 'Q'},
    };
    for (const KeyCase& c : cases) {
        seam::PushKey(w.handle(), c.key, c.scancode, c.down, c.repeat, c.modifiers);
        const auto all = TakeAll();
        ASSERT_EQ(all.size(), 1u) << c.name;
        EXPECT_EQ(all[0].hwnd, w.handle()) << c.name;
        EXPECT_EQ(all[0].message, c.expectedMsg) << c.name;
        EXPECT_EQ(all[0].wParam, c.expectedVk) << c.name;
        const auto lParam = static_cast<std::uint32_t>(all[0].lParam);
        EXPECT_EQ(lParam & 0xFFFF, 1u) << c.name << ": repeat count";
        EXPECT_EQ((lParam >> 31) & 1, c.down ? 0u : 1u) << c.name << ": transition";
        if (c.repeat) {
            EXPECT_EQ((lParam >> 30) & 1, 1u) << c.name << ": previous state";
        }
        if (c.expectedMsg == WM_SYSKEYDOWN) {
            EXPECT_EQ((lParam >> 29) & 1, 1u) << c.name << ": context";
        }
    }
}

TEST(KeyTranslation, AutoRepeatGivesRepeatedKeyDowns) {
    RecordingWindow w;
    TakeAll();
    seam::PushKey(w.handle(), SDLK_i, SDL_SCANCODE_I, true);
    seam::PushKey(w.handle(), SDLK_i, SDL_SCANCODE_I, true, true);
    seam::PushKey(w.handle(), SDLK_i, SDL_SCANCODE_I, true, true);
    seam::PushKey(w.handle(), SDLK_i, SDL_SCANCODE_I, false);
    const auto all = TakeAll();
    ASSERT_EQ(all.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(all[i].message, static_cast<UINT>(WM_KEYDOWN));
    EXPECT_EQ(all[3].message, static_cast<UINT>(WM_KEYUP));
    EXPECT_EQ((static_cast<std::uint32_t>(all[0].lParam) >> 30) & 1, 0u);
    EXPECT_EQ((static_cast<std::uint32_t>(all[1].lParam) >> 30) & 1, 1u);
}

TEST(KeyTranslation, InputWaitsBehindPostedMessages) {
    RecordingWindow w;
    TakeAll();
    seam::PushKey(w.handle(), SDLK_a, SDL_SCANCODE_A, true);
    MSG peeked;
    ASSERT_TRUE(PeekMessageA(&peeked, nullptr, 0, 0, PM_NOREMOVE));  // the key is queued now
    PostMessageA(w.handle(), WM_USER, 0, 0);
    const auto all = TakeAll();
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].message, static_cast<UINT>(WM_USER));
    EXPECT_EQ(all[1].message, static_cast<UINT>(WM_KEYDOWN));
}

TEST(KeyTranslation, TranslateMessageAddsTheCharacterNext) {
    RecordingWindow w;
    TakeAll();
    seam::PushKey(w.handle(), SDLK_g, SDL_SCANCODE_G, true);
    seam::PushKey(w.handle(), SDLK_h, SDL_SCANCODE_H, true);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    ASSERT_EQ(msg.wParam, static_cast<WPARAM>('G'));
    TranslateMessage(&msg);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_CHAR));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('g'));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, static_cast<WPARAM>('H'));
    TakeAll();
    seam::PushKey(w.handle(), SDLK_g, SDL_SCANCODE_G, false);
    seam::PushKey(w.handle(), SDLK_h, SDL_SCANCODE_H, false);
    TakeAll();
}

TEST(FocusTranslation, FocusChangesSendActivationAndTellListeners) {
    RecordingWindow w;
    ShowWindow(w.handle(), SW_SHOW);
    std::vector<bool> heard;
    const int token = seam::AddActivationListener([&](bool active) { heard.push_back(active); });
    w.log().clear();

    seam::PushFocus(w.handle(), false);
    TakeAll();
    ASSERT_EQ(w.log().size(), 4u);
    EXPECT_EQ(w.log()[1].msg, static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(LOWORD(w.log()[1].wParam), WA_INACTIVE);
    EXPECT_EQ(w.log()[2].msg, static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(w.log()[2].wParam, static_cast<WPARAM>(FALSE));
    EXPECT_EQ(GetActiveWindow(), nullptr);

    w.log().clear();
    seam::PushFocus(w.handle(), true);
    TakeAll();
    const auto got = w.messages();
    ASSERT_GE(got.size(), 3u);
    EXPECT_EQ(got[0], static_cast<UINT>(WM_ACTIVATEAPP));
    EXPECT_EQ(w.log()[0].wParam, static_cast<WPARAM>(TRUE));
    EXPECT_EQ(got[2], static_cast<UINT>(WM_ACTIVATE));
    EXPECT_EQ(LOWORD(w.log()[2].wParam), WA_ACTIVE);
    EXPECT_EQ(GetActiveWindow(), w.handle());

    // A second "gained" while active changes nothing.
    w.log().clear();
    seam::PushFocus(w.handle(), true);
    TakeAll();
    EXPECT_TRUE(w.log().empty());
    EXPECT_EQ(heard, (std::vector<bool>{false, true}));
    seam::RemoveActivationListener(token);
}

TEST(CloseTranslation, TheCloseButtonEndsInWmCloseAndDestruction) {
    RecordingWindow w;
    w.log().clear();
    seam::PushClose(w.handle());
    w.Drain();
    const auto got = w.messages();
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0], static_cast<UINT>(WM_SYSCOMMAND));
    EXPECT_EQ(got[1], static_cast<UINT>(WM_CLOSE));
    EXPECT_NE(std::find(got.begin(), got.end(), static_cast<UINT>(WM_DESTROY)), got.end());
    EXPECT_FALSE(IsWindow(w.handle()));
}

TEST(WindowTranslation, MovesAndSizesFollowTheWindowSystem) {
    RecordingWindow w(WS_POPUP, 320, 240);
    TakeAll();
    w.log().clear();
    seam::PushMoved(w.handle(), 15, 25);
    seam::PushResized(w.handle(), 640, 480);
    seam::PushResized(w.handle(), 640, 480);  // no change, no message
    TakeAll();
    ASSERT_EQ(w.messages(), (std::vector<UINT>{WM_MOVE, WM_SIZE}));
    EXPECT_EQ(w.log()[0].lParam, MAKELPARAM(15, 25));
    EXPECT_EQ(w.log()[1].lParam, MAKELPARAM(640, 480));
    RECT rect;
    ASSERT_TRUE(GetWindowRect(w.handle(), &rect));
    EXPECT_EQ(rect.left, 15);
    EXPECT_EQ(rect.top, 25);
    EXPECT_EQ(rect.right, 15 + 640);
    EXPECT_EQ(rect.bottom, 25 + 480);
}

TEST(PointerTranslation, MotionAsksForTheCursorThenQueuesTheMove) {
    RecordingWindow w;
    TakeAll();
    w.log().clear();
    seam::PushMouseMotion(w.handle(), 30, 40, 3, 4);
    seam::PushMouseButton(w.handle(), SDL_BUTTON_LEFT, true, 31, 41);
    seam::PushMouseButton(w.handle(), SDL_BUTTON_RIGHT, false, 31, 41);
    MSG first;
    ASSERT_TRUE(PeekMessageA(&first, nullptr, 0, 0, PM_NOREMOVE));
    // WM_SETCURSOR was sent, one per pointer message, before any is taken.
    ASSERT_EQ(w.log().size(), 3u);
    for (const Recorded& r : w.log()) {
        EXPECT_EQ(r.msg, static_cast<UINT>(WM_SETCURSOR));
        EXPECT_EQ(r.wParam, reinterpret_cast<WPARAM>(w.handle()));
        EXPECT_EQ(LOWORD(r.lParam), HTCLIENT);
    }
    EXPECT_EQ(HIWORD(w.log()[0].lParam), WM_MOUSEMOVE);
    EXPECT_EQ(HIWORD(w.log()[1].lParam), WM_LBUTTONDOWN);
    const auto all = TakeAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[0].message, static_cast<UINT>(WM_MOUSEMOVE));
    EXPECT_EQ(GET_X_LPARAM(all[0].lParam), 30);
    EXPECT_EQ(GET_Y_LPARAM(all[0].lParam), 40);
    EXPECT_EQ(all[1].message, static_cast<UINT>(WM_LBUTTONDOWN));
    EXPECT_EQ(all[1].wParam & MK_LBUTTON, static_cast<WPARAM>(MK_LBUTTON));
    EXPECT_EQ(all[2].message, static_cast<UINT>(WM_RBUTTONUP));
    seam::PushMouseButton(w.handle(), SDL_BUTTON_LEFT, false, 31, 41);
    TakeAll();
}

TEST(EventObservers, SeeEveryEventBeforeTranslation) {
    RecordingWindow w;
    TakeAll();
    std::vector<Uint32> seen;
    size_t queuedWhenSeen = 99;
    const int token = seam::AddSdlEventObserver([&](const SDL_Event& e) {
        seen.push_back(e.type);
        if (e.type == SDL_KEYDOWN) queuedWhenSeen = static_cast<size_t>(GetQueueStatus(QS_KEY) & 0xFFFF);
    });
    seam::PushKey(w.handle(), SDLK_b, SDL_SCANCODE_B, true);
    seam::PushMouseMotion(w.handle(), 1, 2, 1, 2);
    seam::PumpSdlEvents();
    seam::RemoveSdlEventObserver(token);
    seam::PushKey(w.handle(), SDLK_b, SDL_SCANCODE_B, false);
    TakeAll();
    EXPECT_EQ(seen, (std::vector<Uint32>{SDL_KEYDOWN, SDL_MOUSEMOTION}));
    EXPECT_EQ(queuedWhenSeen, 0u);
}

}  // namespace
