// Test seam: the layer's own listeners and its event pump, for tests of the
// services built on them. Tests only; the system code never includes this.
#pragma once

#include <SDL.h>

#include <functional>

#include "../windef.h"

namespace seam {

// Told true when the application gains the foreground and false when it
// loses it, after the window has had its activation messages.
int AddActivationListener(std::function<void(bool active)> listener);
void RemoveActivationListener(int token);

// Shown every SDL event the pump takes, before it becomes Windows messages.
int AddSdlEventObserver(std::function<void(const SDL_Event&)> observer);
void RemoveSdlEventObserver(int token);

// Takes every waiting SDL event through the observers and the translation;
// whether it took any.
bool PumpSdlEvents();

// The SDL window behind a window handle, or null.
SDL_Window* SdlWindowOf(HWND window);

}  // namespace seam
