// The entry of the `zarnok` program. The one GameApp lives here, in static
// storage: constructed before the entry point runs, it is the framework's
// application from then on.
#include <windows.h>

#include "shell/game_app.h"

static GameApp game;

#ifdef _WIN32

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return vorlapMain(instance, previous, commandLine, showCommand);
}

#else

#include <string>

// Where there is no WinMain, the program hands the framework what Windows
// would have: its own module, no previous instance, the arguments as one
// command line and a plain show command.
int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return vorlapMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOW);
}

#endif
