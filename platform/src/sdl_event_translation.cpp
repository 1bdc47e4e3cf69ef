// The one place where window-system (SDL) events become Windows messages:
// keys become virtual-key messages, focus changes activation messages, the
// close button a close command, the pointer WM_SETCURSOR and mouse messages.
// Messages Windows sends go straight to the window procedure; the others are
// queued as input.
#include <SDL.h>

#include <array>
#include <chrono>
#include <mutex>
#include <utility>
#include <vector>

#include "journal_session.h"
#include "listener_list.h"
#include "message_queue.h"
#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"
#include "winuser.h"

namespace {

std::mutex& ObserverGuard() {
    static std::mutex guard;
    return guard;
}

layer::ListenerList<layer::SdlEventObserver>& Observers() {
    static layer::ListenerList<layer::SdlEventObserver> observers(ObserverGuard());
    return observers;
}

// GetKeyState's view: bit 7 while down, bit 0 toggled by each press. Updated
// as the events are translated; only the pumping thread writes it.
std::array<BYTE, 256> keyState{};

// Windows' set-1 scan codes of the keys a program is likely to look at; the
// rest report 0.
int ScanCodeOf(SDL_Scancode scancode) {
    static const std::pair<SDL_Scancode, int> table[] = {
        {SDL_SCANCODE_ESCAPE, 0x01},  {SDL_SCANCODE_1, 0x02},      {SDL_SCANCODE_2, 0x03},
        {SDL_SCANCODE_3, 0x04},       {SDL_SCANCODE_4, 0x05},      {SDL_SCANCODE_5, 0x06},
        {SDL_SCANCODE_6, 0x07},       {SDL_SCANCODE_7, 0x08},      {SDL_SCANCODE_8, 0x09},
        {SDL_SCANCODE_9, 0x0A},       {SDL_SCANCODE_0, 0x0B},      {SDL_SCANCODE_BACKSPACE, 0x0E},
        {SDL_SCANCODE_TAB, 0x0F},     {SDL_SCANCODE_Q, 0x10},      {SDL_SCANCODE_W, 0x11},
        {SDL_SCANCODE_E, 0x12},       {SDL_SCANCODE_R, 0x13},      {SDL_SCANCODE_T, 0x14},
        {SDL_SCANCODE_Y, 0x15},       {SDL_SCANCODE_U, 0x16},      {SDL_SCANCODE_I, 0x17},
        {SDL_SCANCODE_O, 0x18},       {SDL_SCANCODE_P, 0x19},      {SDL_SCANCODE_RETURN, 0x1C},
        {SDL_SCANCODE_LCTRL, 0x1D},   {SDL_SCANCODE_A, 0x1E},      {SDL_SCANCODE_S, 0x1F},
        {SDL_SCANCODE_D, 0x20},       {SDL_SCANCODE_F, 0x21},      {SDL_SCANCODE_G, 0x22},
        {SDL_SCANCODE_H, 0x23},       {SDL_SCANCODE_J, 0x24},      {SDL_SCANCODE_K, 0x25},
        {SDL_SCANCODE_L, 0x26},       {SDL_SCANCODE_LSHIFT, 0x2A}, {SDL_SCANCODE_Z, 0x2C},
        {SDL_SCANCODE_X, 0x2D},       {SDL_SCANCODE_C, 0x2E},      {SDL_SCANCODE_V, 0x2F},
        {SDL_SCANCODE_B, 0x30},       {SDL_SCANCODE_N, 0x31},      {SDL_SCANCODE_M, 0x32},
        {SDL_SCANCODE_RSHIFT, 0x36},  {SDL_SCANCODE_LALT, 0x38},   {SDL_SCANCODE_SPACE, 0x39},
        {SDL_SCANCODE_CAPSLOCK, 0x3A}, {SDL_SCANCODE_F1, 0x3B},    {SDL_SCANCODE_F2, 0x3C},
        {SDL_SCANCODE_F3, 0x3D},      {SDL_SCANCODE_F4, 0x3E},     {SDL_SCANCODE_F5, 0x3F},
        {SDL_SCANCODE_F6, 0x40},      {SDL_SCANCODE_F7, 0x41},     {SDL_SCANCODE_F8, 0x42},
        {SDL_SCANCODE_F9, 0x43},      {SDL_SCANCODE_F10, 0x44},    {SDL_SCANCODE_F11, 0x57},
        {SDL_SCANCODE_F12, 0x58},     {SDL_SCANCODE_UP, 0x48},     {SDL_SCANCODE_LEFT, 0x4B},
        {SDL_SCANCODE_RIGHT, 0x4D},   {SDL_SCANCODE_DOWN, 0x50},
    };
    for (const auto& [sdl, windows] : table)
        if (sdl == scancode) return windows;
    return 0;
}

bool IsExtended(SDL_Scancode s) {
    switch (s) {
    case SDL_SCANCODE_RCTRL: case SDL_SCANCODE_RALT: case SDL_SCANCODE_INSERT: case SDL_SCANCODE_DELETE:
    case SDL_SCANCODE_HOME: case SDL_SCANCODE_END: case SDL_SCANCODE_PAGEUP: case SDL_SCANCODE_PAGEDOWN:
    case SDL_SCANCODE_UP: case SDL_SCANCODE_DOWN: case SDL_SCANCODE_LEFT: case SDL_SCANCODE_RIGHT:
    case SDL_SCANCODE_KP_ENTER: case SDL_SCANCODE_KP_DIVIDE:
        return true;
    default:
        return false;
    }
}

}  // namespace

namespace layer {

// Windows' virtual-key code of a key, 0 for keys it has none for. Letters and
// digits follow the key's meaning in the keyboard layout (as Windows' do),
// falling back to its position for layouts without Latin letters; the numeric
// keypad keeps its own codes.
int VirtualKeyOf(const SDL_Keysym& key) {
    const SDL_Scancode s = key.scancode;
    if (s >= SDL_SCANCODE_KP_1 && s <= SDL_SCANCODE_KP_9) return VK_NUMPAD1 + (s - SDL_SCANCODE_KP_1);
    switch (s) {
    case SDL_SCANCODE_KP_0: return VK_NUMPAD0;
    case SDL_SCANCODE_KP_PERIOD: return VK_DECIMAL;
    case SDL_SCANCODE_KP_DIVIDE: return VK_DIVIDE;
    case SDL_SCANCODE_KP_MULTIPLY: return VK_MULTIPLY;
    case SDL_SCANCODE_KP_MINUS: return VK_SUBTRACT;
    case SDL_SCANCODE_KP_PLUS: return VK_ADD;
    case SDL_SCANCODE_KP_ENTER: return VK_RETURN;
    default: break;
    }
    const SDL_Keycode k = key.sym;
    if (k >= SDLK_a && k <= SDLK_z) return 'A' + (k - SDLK_a);
    if (k >= SDLK_0 && k <= SDLK_9) return '0' + (k - SDLK_0);
    if (k >= SDLK_F1 && k <= SDLK_F12) return VK_F1 + (k - SDLK_F1);
    switch (k) {
    case SDLK_RETURN: return VK_RETURN;
    case SDLK_ESCAPE: return VK_ESCAPE;
    case SDLK_BACKSPACE: return VK_BACK;
    case SDLK_TAB: return VK_TAB;
    case SDLK_SPACE: return VK_SPACE;
    case SDLK_LEFT: return VK_LEFT;
    case SDLK_RIGHT: return VK_RIGHT;
    case SDLK_UP: return VK_UP;
    case SDLK_DOWN: return VK_DOWN;
    case SDLK_INSERT: return VK_INSERT;
    case SDLK_DELETE: return VK_DELETE;
    case SDLK_HOME: return VK_HOME;
    case SDLK_END: return VK_END;
    case SDLK_PAGEUP: return VK_PRIOR;
    case SDLK_PAGEDOWN: return VK_NEXT;
    case SDLK_LSHIFT: case SDLK_RSHIFT: return VK_SHIFT;
    case SDLK_LCTRL: case SDLK_RCTRL: return VK_CONTROL;
    case SDLK_LALT: case SDLK_RALT: return VK_MENU;
    case SDLK_CAPSLOCK: return VK_CAPITAL;
    case SDLK_PAUSE: return VK_PAUSE;
    case SDLK_PRINTSCREEN: return VK_SNAPSHOT;
    case SDLK_NUMLOCKCLEAR: return VK_NUMLOCK;
    case SDLK_SCROLLLOCK: return VK_SCROLL;
    case SDLK_LGUI: return VK_LWIN;
    case SDLK_RGUI: return VK_RWIN;
    case SDLK_APPLICATION: return VK_APPS;
    default: break;
    }
    if (s >= SDL_SCANCODE_A && s <= SDL_SCANCODE_Z) return 'A' + (s - SDL_SCANCODE_A);
    if (s >= SDL_SCANCODE_1 && s <= SDL_SCANCODE_9) return '1' + (s - SDL_SCANCODE_1);
    switch (s) {
    case SDL_SCANCODE_0: return '0';
    case SDL_SCANCODE_SEMICOLON: return VK_OEM_1;
    case SDL_SCANCODE_EQUALS: return VK_OEM_PLUS;
    case SDL_SCANCODE_COMMA: return VK_OEM_COMMA;
    case SDL_SCANCODE_MINUS: return VK_OEM_MINUS;
    case SDL_SCANCODE_PERIOD: return VK_OEM_PERIOD;
    case SDL_SCANCODE_SLASH: return VK_OEM_2;
    case SDL_SCANCODE_GRAVE: return VK_OEM_3;
    case SDL_SCANCODE_LEFTBRACKET: return VK_OEM_4;
    case SDL_SCANCODE_BACKSLASH: return VK_OEM_5;
    case SDL_SCANCODE_RIGHTBRACKET: return VK_OEM_6;
    case SDL_SCANCODE_APOSTROPHE: return VK_OEM_7;
    default: return 0;
    }
}

}  // namespace layer

namespace {

void UpdateKeyState(int vk, SDL_Scancode s, bool down, bool repeat) {
    auto set = [down, repeat](int code) {
        if (down && !repeat) keyState[code] ^= 1;
        keyState[code] = static_cast<BYTE>(down ? (keyState[code] | 0x80) : (keyState[code] & 0x01));
    };
    set(vk);
    int sided = 0;
    switch (s) {
    case SDL_SCANCODE_LSHIFT: sided = VK_LSHIFT; break;
    case SDL_SCANCODE_RSHIFT: sided = VK_RSHIFT; break;
    case SDL_SCANCODE_LCTRL: sided = VK_LCONTROL; break;
    case SDL_SCANCODE_RCTRL: sided = VK_RCONTROL; break;
    case SDL_SCANCODE_LALT: sided = VK_LMENU; break;
    case SDL_SCANCODE_RALT: sided = VK_RMENU; break;
    default: break;
    }
    if (sided != 0) set(sided);
}

HWND TargetOf(Uint32 windowId) {
    HWND window = layer::WindowOfSdlId(windowId);
    return window != nullptr ? window : GetFocus();
}

void TranslateKey(const SDL_KeyboardEvent& key) {
    const HWND window = TargetOf(key.windowID);
    const int vk = layer::VirtualKeyOf(key.keysym);
    if (window == nullptr || vk == 0) return;
    const bool down = key.state == SDL_PRESSED;
    const bool wasDown = (keyState[vk] & 0x80) != 0;
    UpdateKeyState(vk, key.keysym.scancode, down, key.repeat != 0);
    const bool alt = (key.keysym.mod & KMOD_ALT) != 0 || (keyState[VK_MENU] & 0x80) != 0;
    const bool control = (key.keysym.mod & KMOD_CTRL) != 0;
    // Alt combinations (but not AltGr, which is Ctrl+Alt), Alt itself and F10
    // are system keys.
    const bool system = vk == VK_MENU || vk == VK_F10 || (alt && !control);
    UINT msg = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    std::uint32_t lParam = 1u;
    lParam |= static_cast<std::uint32_t>(ScanCodeOf(key.keysym.scancode)) << 16;
    if (IsExtended(key.keysym.scancode)) lParam |= 1u << 24;
    if (alt && vk != VK_F10) lParam |= 1u << 29;
    if (!down || key.repeat || wasDown) lParam |= 1u << 30;
    if (!down) lParam |= 1u << 31;
    layer::QueueInput(window, msg, static_cast<WPARAM>(vk), static_cast<LPARAM>(lParam));
}

WPARAM MouseKeys() {
    WPARAM keys = 0;
    if (keyState[VK_LBUTTON] & 0x80) keys |= MK_LBUTTON;
    if (keyState[VK_RBUTTON] & 0x80) keys |= MK_RBUTTON;
    if (keyState[VK_MBUTTON] & 0x80) keys |= MK_MBUTTON;
    if (keyState[VK_SHIFT] & 0x80) keys |= MK_SHIFT;
    if (keyState[VK_CONTROL] & 0x80) keys |= MK_CONTROL;
    return keys;
}

void Pointer(HWND window, int x, int y, UINT mouseMsg, WPARAM wParam) {
    RECT rect{};
    GetWindowRect(window, &rect);
    layer::SetLastPointerPosition(POINT{rect.left + x, rect.top + y});
    // Windows asks the window for a pointer shape before it queues the
    // mouse message.
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, mouseMsg));
    layer::QueueInput(window, mouseMsg, wParam, MAKELPARAM(x, y));
}

void TranslateButton(const SDL_MouseButtonEvent& button) {
    const HWND window = TargetOf(button.windowID);
    if (window == nullptr || button.which == SDL_TOUCH_MOUSEID) return;
    const bool down = button.state == SDL_PRESSED;
    UINT msg;
    int vk;
    switch (button.button) {
    case SDL_BUTTON_LEFT: msg = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; vk = VK_LBUTTON; break;
    case SDL_BUTTON_RIGHT: msg = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; vk = VK_RBUTTON; break;
    case SDL_BUTTON_MIDDLE: msg = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; vk = VK_MBUTTON; break;
    default: return;
    }
    keyState[vk] = static_cast<BYTE>(down ? 0x80 : 0);
    Pointer(window, button.x, button.y, msg, MouseKeys());
}

void TranslateWindowEvent(const SDL_WindowEvent& event) {
    const HWND window = layer::WindowOfSdlId(event.windowID);
    if (window == nullptr) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        layer::ActivateWindow(window);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        layer::DeactivateWindow(window);
        // Keys held while the focus went away would otherwise stay down.
        for (BYTE& state : keyState) state &= 0x01;
        break;
    case SDL_WINDOWEVENT_MOVED:
        layer::WindowMoved(window, event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        layer::WindowResized(window, event.data1, event.data2);
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        SendMessageA(window, WM_ERASEBKGND, 0, 0);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        // The close button works through the system menu's Close, whose
        // default handling sends WM_CLOSE.
        PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    default:
        break;
    }
}

void Translate(const SDL_Event& event) {
    switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_MOUSEMOTION: {
        const HWND window = TargetOf(event.motion.windowID);
        if (window != nullptr && event.motion.which != SDL_TOUCH_MOUSEID)
            Pointer(window, event.motion.x, event.motion.y, WM_MOUSEMOVE, MouseKeys());
        break;
    }
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button);
        break;
    case SDL_MOUSEWHEEL: {
        const HWND window = TargetOf(event.wheel.windowID);
        if (window == nullptr) break;
        const POINT at = layer::LastPointerPosition();
        const int delta = (event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? -event.wheel.y : event.wheel.y) * WHEEL_DELTA;
        layer::QueueInput(window, WM_MOUSEWHEEL, MAKEWPARAM(MouseKeys(), delta), MAKELPARAM(at.x, at.y));
        break;
    }
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    default:
        break;
    }
}

thread_local bool pumping = false;
thread_local std::chrono::steady_clock::time_point lastPump{};

// A replay's answers come from its journal: what the player does meanwhile
// reaches nothing, except a request to stop watching.
void DropEventsDuringReplay() {
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        const bool escape = event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE;
        const bool closed = event.type == SDL_QUIT ||
                            (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE);
        if (escape || closed) layer::StopReplayByPlayer();
    }
}

}  // namespace

namespace layer {

bool PumpSdlEventsIfAny() {
    constexpr auto kHousekeeping = std::chrono::milliseconds(50);
    if (!DisplayMayHaveInput() && std::chrono::steady_clock::now() - lastPump < kHousekeeping) return false;
    return PumpSdlEvents();
}

int AddSdlEventObserver(SdlEventObserver observer) { return Observers().Add(std::move(observer)); }
void RemoveSdlEventObserver(int token) { Observers().Remove(token); }

bool PumpSdlEvents() {
    // A window procedure that peeks at messages while the pump sent it one
    // must not start a second pump; nor may a thread other than the window
    // system's own take its events.
    if (pumping || !OnVideoThread()) return false;
    if (ReplayingAnywhere()) {
        DropEventsDuringReplay();
        return false;
    }
    pumping = true;
    lastPump = std::chrono::steady_clock::now();
    const OutsideWorldScope outside;
    bool took = false;
    SDL_Event event;
    // One read of the display per pump; SDL_PollEvent would read it again
    // for every event taken.
    SDL_PumpEvents();
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) {
        took = true;
        Observers().Notify(event);
        Translate(event);
    }
    pumping = false;
    return took;
}

}  // namespace layer

extern "C" {

SHORT WINAPI GetKeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    const BYTE state = keyState[static_cast<std::size_t>(virtualKey)];
    return static_cast<SHORT>(((state & 0x80) ? 0xFF80 : 0) | (state & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    layer::PumpSdlEvents();
    return static_cast<SHORT>(GetKeyState(virtualKey) & 0x8000);
}

BOOL WINAPI GetCursorPos(LPPOINT point) {
    if (point == nullptr) return FALSE;
    *point = layer::LastPointerPosition();
    return TRUE;
}

}  // extern "C"
