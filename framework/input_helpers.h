// The buffered DirectInput mouse the game plays with. Failure is reported only
// by the result; the device returned carries one reference that belongs to
// the caller.
#pragma once

#ifndef DIRECTINPUT_VERSION
#define DIRECTINPUT_VERSION 0x0700
#endif

#include <windows.h>
#include <dinput.h>

// The system mouse in the standard mouse format, exclusive while the window
// is in the foreground, buffering `bufferSize` events, acquired; or null.
IDirectInputDevice7A* CreateMouseDevice(IDirectInput7A* input, HWND window, unsigned long bufferSize);
