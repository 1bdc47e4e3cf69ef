// The game's process-wide globals: the three DirectX objects every surface,
// sound buffer and input device is made from, and the tick stamps that pace
// the screens and the spawn timers. All zero until start-up sets them.
#pragma once

#include <windows.h>

struct IDirectDraw7;
struct IDirectSound;
struct IDirectInput7A;

extern IDirectDraw7* directDraw;
extern IDirectSound* directSound;
extern IDirectInput7A* directInput;

extern DWORD lastFrameTick;
extern DWORD lastSpectreTick;
extern DWORD lastBoxTick;
extern DWORD lastTitleTick;
extern DWORD lastEntryTick;
