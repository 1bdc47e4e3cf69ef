// The test seam's synthetic input: SDL events pushed onto SDL's own queue, so
// that they take the same path as a real keyboard, mouse and window manager.
#include <SDL.h>

#include "layer_link.h"
#include "seam/input.h"

namespace {

Uint32 IdOf(HWND window) {
    seam::Layer().ensureVideo();
    SDL_Window* sdl = seam::Layer().sdlWindowOf(window);
    return sdl ? SDL_GetWindowID(sdl) : 0;
}

}  // namespace

namespace seam {

void PushKey(HWND window, SDL_Keycode key, SDL_Scancode scancode, bool down, bool repeat, Uint16 modifiers) {
    SDL_Event event{};
    event.type = down ? SDL_KEYDOWN : SDL_KEYUP;
    event.key.windowID = IdOf(window);
    event.key.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.key.repeat = repeat ? 1 : 0;
    event.key.keysym.sym = key;
    event.key.keysym.scancode = scancode;
    event.key.keysym.mod = modifiers;
    SDL_PushEvent(&event);
}

void PushFocus(HWND window, bool gained) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = IdOf(window);
    event.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
    SDL_PushEvent(&event);
}

static void PushWindowEvent(HWND window, Uint8 kind, int data1, int data2) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = IdOf(window);
    event.window.event = kind;
    event.window.data1 = data1;
    event.window.data2 = data2;
    SDL_PushEvent(&event);
}

void PushMoved(HWND window, int x, int y) { PushWindowEvent(window, SDL_WINDOWEVENT_MOVED, x, y); }

void PushResized(HWND window, int width, int height) {
    PushWindowEvent(window, SDL_WINDOWEVENT_SIZE_CHANGED, width, height);
}

void PushClose(HWND window) {
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.windowID = IdOf(window);
    event.window.event = SDL_WINDOWEVENT_CLOSE;
    SDL_PushEvent(&event);
}

void PushMouseMotion(HWND window, int x, int y, int dx, int dy) {
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.windowID = IdOf(window);
    event.motion.x = x;
    event.motion.y = y;
    event.motion.xrel = dx;
    event.motion.yrel = dy;
    SDL_PushEvent(&event);
}

void PushMouseButton(HWND window, Uint8 button, bool down, int x, int y) {
    SDL_Event event{};
    event.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
    event.button.windowID = IdOf(window);
    event.button.button = button;
    event.button.state = down ? SDL_PRESSED : SDL_RELEASED;
    event.button.clicks = 1;
    event.button.x = x;
    event.button.y = y;
    SDL_PushEvent(&event);
}

void FailNextWindowCreation() { Layer().failNextWindowCreation(); }

}  // namespace seam
