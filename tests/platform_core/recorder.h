// A window whose procedure records every message it is sent or dispatched.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct Recorded {
    UINT msg;
    WPARAM wParam;
    LPARAM lParam;
};

class RecordingWindow {
public:
    explicit RecordingWindow(DWORD style = WS_POPUP, int width = 320, int height = 240);
    ~RecordingWindow();
    HWND handle() const { return window; }
    std::vector<Recorded>& log();
    std::vector<UINT> messages() const;
    // Takes every queued message and dispatches it.
    void Drain();

private:
    HWND window = nullptr;
};

// Every message currently queued, taken off the queue.
std::vector<MSG> TakeAll();
