// The process entry of programs written against WinMain: what the Windows
// loader does for them, here for every other host. The command line is the
// program's arguments after its name, joined by spaces.
#include <string>

#include <windows.h>

int main(int argc, char** argv) {
    std::string commandLine;
    for (int i = 1; i < argc; ++i) {
        if (i > 1) commandLine += ' ';
        commandLine += argv[i];
    }
    return WinMain(GetModuleHandleA(nullptr), nullptr, commandLine.data(), SW_SHOWDEFAULT);
}
