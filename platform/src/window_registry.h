// Window classes and windows: lookup for the other parts of the layer.
#pragma once

#include <SDL.h>

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "winuser.h"

namespace layer {

// The window procedure of a live window, or null.
WNDPROC WindowProcOf(HWND window);
// Makes `window` the active window, sending the activation messages; no-op
// when it already is.
void ActivateWindow(HWND window);
// Takes activation away from `window` when it is the active one.
void DeactivateWindow(HWND window);
// The window system moved or resized a window: its rectangle follows, and
// the window is sent WM_MOVE or WM_SIZE when it changed.
void WindowMoved(HWND window, int x, int y);
void WindowResized(HWND window, int width, int height);

// Applies the last SetCursor / ShowCursor state to the window system.
void ApplyCursorVisibility();

}  // namespace layer

namespace layer {
// Whether the calling thread is the one that started the window system; only
// it may take window-system events.
bool OnVideoThread();
}  // namespace layer

// The tables behind the window code, shared by the files that split it by
// concern (classes, the window table, focus and activation, the default
// window procedure). Nothing outside those files reaches into them.
namespace layer::windows {

struct Class {
    ATOM atom;
    std::string name;  // as registered
    WNDCLASSEXA info;  // lpszClassName / lpszMenuName point into this record
    std::string menuName;
    int windowCount = 0;
};

struct Window {
    HWND handle;
    Class* windowClass;
    WNDPROC proc;
    HINSTANCE instance;
    std::string title;
    DWORD style;
    DWORD exStyle;
    RECT rect;  // screen coordinates
    SDL_Window* sdl = nullptr;
    bool visible = false;
    bool shownOnce = false;
    bool destroying = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    LONG_PTR userData = 0;
};

// Guards the class and window tables, the active and focus windows and the
// listener lists. Never held while a window procedure or a listener runs.
std::recursive_mutex& Guard();
std::vector<std::unique_ptr<Class>>& Classes();
std::map<HWND, std::unique_ptr<Window>>& Table();

// With the guard held: the class of that name (without case) or atom, from
// `instance` or, unless it must match, from any instance; null when none.
Class* FindClass(LPCSTR name, HINSTANCE instance, bool instanceMustMatch);
// With the guard held: the record of a live window, or null.
Window* Find(HWND handle);
// Sends a message to a window's procedure; 0 for an unknown window.
LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// A window being destroyed stops holding the focus, without WM_KILLFOCUS.
void ForgetFocus(HWND window);

}  // namespace layer::windows
