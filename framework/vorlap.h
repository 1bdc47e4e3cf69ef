// The application object and the message loop. A program derives one class
// from vorlap, constructs one object of it before its entry point runs, and
// calls vorlapMain from its WinMain.
#pragma once

#include <windows.h>

class vorlap {
public:
    // The first object constructed becomes the application; every object
    // constructed stores its icon and title string resource ids, so the last
    // one constructed names the window.
    vorlap();
    vorlap(UINT iconId, UINT titleStringId);
    // Copies neither count as a construction nor register anything.
    vorlap(const vorlap& other);
    vorlap& operator=(const vorlap& other);
    // Leaves the application and the stored ids as they are.
    virtual ~vorlap();

    // The virtual slots, in this order, are the interface a program's class is
    // compiled against.
    virtual int InitApp();
    virtual void CloseApp();
    virtual void ReleaseAll();
    virtual void OnIdle(DWORD tick);
    // Handles WM_SETCURSOR (hides the pointer while active) and Escape
    // (closes the window); everything else goes to DefWindowProcA.
    virtual int ProcMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    HWND GethWnd();
    HINSTANCE GethInst();
};

// Registers the window class, creates the full-screen window, starts the
// application and runs the message loop. Returns 1 when the class cannot be
// registered, 2 when the window cannot be created, 0 when InitApp returns 0,
// and otherwise the code WM_QUIT carries.
int vorlapMain(HINSTANCE instance, HINSTANCE previous, char* commandLine, int showCommand);
