#include "shell/globals.h"

IDirectDraw7* directDraw = nullptr;
IDirectSound* directSound = nullptr;
IDirectInput7A* directInput = nullptr;

DWORD lastFrameTick = 0;
DWORD lastSpectreTick = 0;
DWORD lastBoxTick = 0;
DWORD lastTitleTick = 0;
DWORD lastEntryTick = 0;
