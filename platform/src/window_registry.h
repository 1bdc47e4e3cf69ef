// Window classes and windows: lookup for the other parts of the layer.
#pragma once

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
