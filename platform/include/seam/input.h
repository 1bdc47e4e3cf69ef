// Test seam: synthetic window-system input, queued exactly as the real window
// system would deliver it, so it travels the same translation path into
// Windows messages. Tests only; the system code never includes this.
#pragma once

#include <SDL.h>

#include "../windef.h"

namespace seam {

// A key press or release on `window`. `repeat` marks the system's auto-repeat.
void PushKey(HWND window, SDL_Keycode key, SDL_Scancode scancode, bool down, bool repeat = false,
             Uint16 modifiers = KMOD_NONE);
// The window gaining or losing the keyboard focus.
void PushFocus(HWND window, bool gained);
// The window system moving or resizing the window.
void PushMoved(HWND window, int x, int y);
void PushResized(HWND window, int width, int height);
// The window's close button.
void PushClose(HWND window);
void PushMouseMotion(HWND window, int x, int y, int dx, int dy);
void PushMouseButton(HWND window, Uint8 button, bool down, int x, int y);

// Makes the next CreateWindowExA fail as if the window system refused it.
void FailNextWindowCreation();

}  // namespace seam
