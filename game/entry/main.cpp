// The entry of the `zarnok` program. The one GameApp lives here, in static
// storage: constructed before the entry point runs, it is the framework's
// application from then on. Off Windows, the layer's entry (platform/entry/)
// calls WinMain after taking out the options of that host.
#include <windows.h>

#include "shell/game_app.h"

static GameApp game;

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return vorlapMain(instance, previous, commandLine, showCommand);
}
