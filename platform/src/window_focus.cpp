// Focus and activation: which window is active and which has the keyboard
// focus, the messages that move them, and the listeners told when the
// application gains or loses the foreground. Kept apart because activation
// is a protocol of its own (message order, re-entry through SetFocus) that
// creation, showing and destruction only call into.
#include <SDL.h>

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

#include "listener_list.h"
#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"

namespace {

using layer::windows::Find;
using layer::windows::Guard;
using layer::windows::Send;
using layer::windows::Window;

// Kept under the window guard, as activation itself is.
layer::ListenerList<layer::ActivationListener, std::recursive_mutex>& ActivationListeners() {
    static layer::ListenerList<layer::ActivationListener, std::recursive_mutex> listeners(Guard());
    return listeners;
}

HWND activeWindow = nullptr;
HWND focusWindow = nullptr;

}  // namespace

namespace layer::windows {

void ForgetFocus(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (focusWindow == window) focusWindow = nullptr;
}

}  // namespace layer::windows

namespace layer {

int AddActivationListener(ActivationListener listener) { return ActivationListeners().Add(std::move(listener)); }
void RemoveActivationListener(int token) { ActivationListeners().Remove(token); }

bool ApplicationActive() {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return activeWindow != nullptr;
}

void ActivateWindow(HWND window) {
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr || w->destroying || activeWindow == window) return;
        previous = activeWindow;
    }
    if (previous != nullptr) DeactivateWindow(previous);
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        activeWindow = window;
    }
    // The order Windows sends them in: the application first, then the frame,
    // then the window itself (whose default handling takes the focus).
    Send(window, WM_ACTIVATEAPP, TRUE, 0);
    Send(window, WM_NCACTIVATE, TRUE, 0);
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    ActivationListeners().Notify(true);
    // A window that comes up under the pointer is asked for its pointer
    // shape at once, not only when the pointer next moves.
    int px = 0;
    int py = 0;
    SDL_GetGlobalMouseState(&px, &py);
    RECT rect{};
    if (GetWindowRect(window, &rect) && PtInRect(&rect, POINT{px, py}))
        Send(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void DeactivateWindow(HWND window) {
    HWND hadFocus = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (activeWindow != window) return;
        if (focusWindow == window) {
            focusWindow = nullptr;
            hadFocus = window;
        }
    }
    Send(window, WM_NCACTIVATE, FALSE, 0);
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        activeWindow = nullptr;
    }
    Send(window, WM_ACTIVATEAPP, FALSE, 0);
    if (hadFocus != nullptr) Send(window, WM_KILLFOCUS, 0, 0);
    ActivationListeners().Notify(false);
}

}  // namespace layer

extern "C" {

HWND WINAPI SetFocus(HWND window) {
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        previous = focusWindow;
        if (window == nullptr) {
            focusWindow = nullptr;
        } else if (Find(window) == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    if (window == nullptr) {
        if (previous != nullptr) Send(previous, WM_KILLFOCUS, 0, 0);
        return previous;
    }
    // Focusing a window of an inactive application activates it first; its
    // default WM_ACTIVATE handling comes back here and takes the focus.
    if (GetActiveWindow() != window) {
        layer::ActivateWindow(window);
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (focusWindow == window) return previous;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (focusWindow == window) return previous;
        focusWindow = window;
    }
    if (previous != nullptr) Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND WINAPI GetFocus(void) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return focusWindow;
}

HWND WINAPI GetActiveWindow(void) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return activeWindow;
}

HWND WINAPI GetForegroundWindow(void) { return GetActiveWindow(); }

}  // extern "C"
