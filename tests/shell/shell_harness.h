// The in-process harness of the shell tests. The framework's application is
// process-wide (the first vorlap constructed), so each test binary holds one
// GameApp, started for real through vorlapMain with the real resources and a
// play folder of its own; the test cases then run inside its InitApp, with
// the ticks, keys and idle passes under their control.
#pragma once

#include <string>

#include "shell/game_app.h"

// The started game, shared by every case of the binary.
GameApp& Game();

// Messages that the cases made the game post (WM_CLOSE from Escape or a fatal
// error) are taken out of the queue unseen; this says whether one was there.
bool TakeQueuedClose();

// The content of "debug.txt" in the play folder, or "" when there is none.
std::string DebugLog();
