// A small program on the framework: a full-screen black window without a
// pointer that closes on Escape. It shows the window, the message loop and
// the close path working on their own.
#include <windows.h>

#include "vorlap.h"

namespace {

class DemoApp : public vorlap {
public:
    DemoApp() : vorlap(0, 0) {}

    int InitApp() override {
        // Hidden from the start, not only once the pointer moves.
        SetCursor(nullptr);
        return 1;
    }

    void OnIdle(DWORD) override {
        // Nothing to animate: give the processor away between polls.
        Sleep(5);
    }
};

DemoApp demoApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    return vorlapMain(instance, previous, commandLine, showCommand);
}
