// The few internal hooks through which the layer's other services share the
// windows and the one event pump. Everything here runs on the thread that
// pumps messages, except where a comment says otherwise.
#pragma once

#include <SDL.h>

#include <functional>

#include "windef.h"

namespace layer {

// Starts SDL's video and event subsystems once; false when they cannot start.
// Every service that touches SDL windows, displays or events calls it first.
bool EnsureVideo();

// The display connection's file descriptor, once a window has shown which
// it is (RememberDisplayOf); -1 when there is none to watch (a video driver
// other than X11).
int DisplayConnection();
void RememberDisplayOf(SDL_Window* window);
// Whether a window manager runs (true where the layer cannot tell). Without
// one, SDL's full-screen switch waits in vain for it to answer, so a
// full-screen window is a borderless window covering the display instead.
bool WindowManagerRunning();
// Whether the program was asked to start in a window rather than full screen
// (WINLAYER_WINDOWED=1, which the entry's --window sets). Read when the first
// window is made, after the entry has looked at the command line.
bool StartsWindowed();
// Whether events wait in SDL's queue or (on the window system's thread) in
// Xlib's or on the connection: a pump would take them.
bool DisplayEventsWaiting();
// Whether a pump could take anything now. True when there is no connection
// to look at.
bool DisplayMayHaveInput();

// The SDL window behind a window handle, or null for an unknown handle.
SDL_Window* SdlWindowOf(HWND window);
// The window handle of an SDL window id, or null.
HWND WindowOfSdlId(Uint32 windowId);

// Every SDL event the pump takes is shown to each observer, in registration
// order, before it is translated into Windows messages. Returns a token for
// RemoveSdlEventObserver. Observers may add or remove observers.
using SdlEventObserver = std::function<void(const SDL_Event&)>;
int AddSdlEventObserver(SdlEventObserver observer);
void RemoveSdlEventObserver(int token);

// Called with true when the application gains the foreground and false when
// it loses it (focus change, window shown or destroyed), after the window has
// been sent its activation messages.
using ActivationListener = std::function<void(bool active)>;
int AddActivationListener(ActivationListener listener);
void RemoveActivationListener(int token);
// Whether one of the application's windows is the active one.
bool ApplicationActive();

// Takes every waiting SDL event through the observers and the translation
// into Windows messages (sending the messages that are sent, queueing the
// rest). PeekMessageA, GetMessageA and the waits call it; so may any service.
// Returns whether it took any event.
bool PumpSdlEvents();
// PumpSdlEvents when a pump could take anything (DisplayMayHaveInput), and
// otherwise at least every 50 ms for what SDL does in a pump besides reading
// the display (a terminal's interrupt becomes its quit event there). A pump
// that finds nothing still reads the connection several times over, and an
// idle loop peeks a few times for every wake-up.
bool PumpSdlEventsIfAny();

}  // namespace layer

namespace layer {

// Called with a window's handle just before its SDL window is destroyed (after
// WM_NCDESTROY), so that anything built on the SDL window can let go of it.
using WindowDestroyListener = std::function<void(HWND window)>;
int AddWindowDestroyListener(WindowDestroyListener listener);
void RemoveWindowDestroyListener(int token);

}  // namespace layer
