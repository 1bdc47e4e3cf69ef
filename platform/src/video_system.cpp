// Start of the window system, screen metrics and the mouse pointer.
#include <SDL.h>
#include <SDL_syswm.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"
#include "winuser.h"

namespace {

std::mutex& Guard() {
    static std::mutex guard;
    return guard;
}

// The pointer shows while the cursor is not null and the display count is not
// negative, as Windows decides it.
HCURSOR currentCursor = nullptr;
bool cursorSet = false;  // nothing has called SetCursor yet: the system arrow
int displayCount = 0;
std::thread::id videoThread;

// The X11 connection the event pump reads, once known; the idle wait
// watches it instead of pumping on a timer.
std::atomic<Display*> x11Display{nullptr};
// Whether a window manager looks after the windows; asked once, the first
// time a window shows which display it is on.
std::atomic<bool> windowManager{true};

struct StockCursor {
    int unused;
} arrowCursor;

}  // namespace

namespace layer {

bool StartsWindowed() {
    const char* value = std::getenv("WINLAYER_WINDOWED");
    return value != nullptr && std::strcmp(value, "1") == 0;
}

bool EnsureVideo() {
    std::lock_guard<std::mutex> lock(Guard());
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0) return true;
    // Ctrl+C and SIGTERM end the process as they would any other program;
    // the layer does not turn them into window messages.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    // A window surface is drawn and sent by the CPU; SDL would otherwise put
    // an OpenGL renderer behind it, which without a GPU rasterises on the CPU.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
    videoThread = std::this_thread::get_id();
    // The keyboard reaches the program as key messages, not as text.
    SDL_StopTextInput();
    const bool hidden = (cursorSet && currentCursor == nullptr) || displayCount < 0;
    SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
    return true;
}

bool OnVideoThread() {
    std::lock_guard<std::mutex> lock(Guard());
    return SDL_WasInit(SDL_INIT_VIDEO) != 0 && videoThread == std::this_thread::get_id();
}

void RememberDisplayOf(SDL_Window* window) {
#if defined(SDL_VIDEO_DRIVER_X11)
    if (x11Display.load() != nullptr || window == nullptr) return;
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWindowWMInfo(window, &info) != SDL_TRUE || info.subsystem != SDL_SYSWM_X11) return;
    Display* display = info.info.x11.display;
    // A window manager that follows the desktop conventions names its window
    // on the root window.
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char* value = nullptr;
    const bool found = check != None &&
                       XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False, AnyPropertyType,
                                          &type, &format, &items, &after, &value) == Success &&
                       items > 0;
    if (value) XFree(value);
    windowManager.store(found);
    x11Display.store(display);
#else
    (void)window;
#endif
}

bool WindowManagerRunning() { return windowManager.load(); }

int DisplayConnection() {
#if defined(SDL_VIDEO_DRIVER_X11)
    Display* display = x11Display.load();
    return display ? ConnectionNumber(display) : -1;
#else
    return -1;
#endif
}

bool DisplayEventsWaiting() {
    if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) > 0) return true;
#if defined(SDL_VIDEO_DRIVER_X11)
    // Waiting for the present's replies reads events off the connection into
    // Xlib's queue, or leaves one held inside Xlib's XCB layer, where neither
    // a wait on the connection nor QLength sees it. Asking Xlib after reading
    // takes both, and what the connection holds, at the cost of one read.
    // Xlib is only ever called on the window system's thread.
    Display* display = x11Display.load();
    return display && OnVideoThread() && XEventsQueued(display, QueuedAfterReading) > 0;
#else
    return false;
#endif
}

bool DisplayMayHaveInput() { return DisplayConnection() < 0 || DisplayEventsWaiting(); }

void ApplyCursorVisibility() {
    std::lock_guard<std::mutex> lock(Guard());
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) return;
    const bool hidden = (cursorSet && currentCursor == nullptr) || displayCount < 0;
    SDL_ShowCursor(hidden ? SDL_DISABLE : SDL_ENABLE);
}

}  // namespace layer

extern "C" {

int WINAPI GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        SDL_DisplayMode mode;
        if (!layer::EnsureVideo() || SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
        return index == SM_CXSCREEN ? mode.w : mode.h;
    }
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_MOUSEPRESENT:
        return 1;
    case SM_CMOUSEBUTTONS:
        return 3;
    default:
        return 0;
    }
}

HCURSOR WINAPI LoadCursorA(HINSTANCE instance, LPCSTR name) {
    // Only the system's arrow exists; programs' own cursor resources do not.
    if (instance == nullptr && name == IDC_ARROW) return reinterpret_cast<HCURSOR>(&arrowCursor);
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

HCURSOR WINAPI SetCursor(HCURSOR cursor) {
    HCURSOR previous;
    {
        std::lock_guard<std::mutex> lock(Guard());
        previous = cursorSet ? currentCursor : reinterpret_cast<HCURSOR>(&arrowCursor);
        currentCursor = cursor;
        cursorSet = true;
    }
    layer::ApplyCursorVisibility();
    return previous;
}

HCURSOR WINAPI GetCursor(void) {
    std::lock_guard<std::mutex> lock(Guard());
    return cursorSet ? currentCursor : reinterpret_cast<HCURSOR>(&arrowCursor);
}

int WINAPI ShowCursor(BOOL show) {
    int count;
    {
        std::lock_guard<std::mutex> lock(Guard());
        count = show ? ++displayCount : --displayCount;
    }
    layer::ApplyCursorVisibility();
    return count;
}

}  // extern "C"
