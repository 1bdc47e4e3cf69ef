// Window classes and windows over SDL windows: registration, creation with its
// messages, showing, activation and focus, destruction, and DefWindowProcA.
#include <SDL.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "layer_log.h"
#include "message_queue.h"
#include "present.h"
#include "resources_internal.h"
#include "seam_hooks.h"
#include "stock_objects.h"
#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"

namespace {

struct WindowClass {
    ATOM atom;
    std::string name;  // as registered
    WNDCLASSEXA info;  // lpszClassName / lpszMenuName point into this record
    std::string menuName;
    int windowCount = 0;
};

struct Window {
    HWND handle;
    WindowClass* windowClass;
    WNDPROC proc;
    HINSTANCE instance;
    std::string title;
    DWORD style;
    DWORD exStyle;
    RECT rect;  // screen coordinates
    SDL_Window* sdl = nullptr;
    bool visible = false;
    bool shownOnce = false;
    bool destroying = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    LONG_PTR userData = 0;
};

template <typename F>
struct Listeners {
    int nextToken = 1;
    std::vector<std::pair<int, F>> entries;
};

// Guards the class and window tables and the listener lists. Never held while
// a window procedure or a listener runs.
std::recursive_mutex& Guard() {
    static std::recursive_mutex guard;
    return guard;
}

std::vector<std::unique_ptr<WindowClass>>& Classes() {
    static std::vector<std::unique_ptr<WindowClass>> classes;
    return classes;
}

std::map<HWND, std::unique_ptr<Window>>& Windows() {
    static std::map<HWND, std::unique_ptr<Window>> windows;
    return windows;
}

Listeners<layer::ActivationListener>& ActivationListeners() {
    static Listeners<layer::ActivationListener> listeners;
    return listeners;
}

Listeners<layer::WindowDestroyListener>& DestroyListeners() {
    static Listeners<layer::WindowDestroyListener> listeners;
    return listeners;
}

ATOM nextAtom = 0xC000;
std::uintptr_t nextHandle = 0x10010;
HWND activeWindow = nullptr;
HWND focusWindow = nullptr;
bool failNextCreation = false;

bool SameName(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// Class names compare without case; an atom in place of a name also finds it.
WindowClass* FindClass(LPCSTR name, HINSTANCE instance, bool instanceMustMatch) {
    WindowClass* anyInstance = nullptr;
    for (auto& c : Classes()) {
        const bool nameMatches = IS_INTRESOURCE(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                                      : SameName(c->name, name);
        if (!nameMatches) continue;
        if (c->info.hInstance == instance) return c.get();
        anyInstance = c.get();
    }
    return instanceMustMatch ? nullptr : anyInstance;
}

Window* Find(HWND handle) {
    auto found = Windows().find(handle);
    return found == Windows().end() ? nullptr : found->second.get();
}

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = layer::WindowProcOf(window);
    return proc ? proc(window, msg, wParam, lParam) : 0;
}

template <typename F, typename... Args>
void Notify(Listeners<F>& listeners, Args... args) {
    std::vector<F> copy;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        for (auto& entry : listeners.entries) copy.push_back(entry.second);
    }
    for (auto& listener : copy) listener(args...);
}

template <typename F>
int Add(Listeners<F>& listeners, F f) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    const int token = listeners.nextToken++;
    listeners.entries.emplace_back(token, std::move(f));
    return token;
}

template <typename F>
void Remove(Listeners<F>& listeners, int token) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    std::erase_if(listeners.entries, [token](const auto& entry) { return entry.first == token; });
}

// Fills the window with a stock background brush. Once a frame is presented
// in the window it owns the picture, and this leaves it alone.
void PaintBackground(SDL_Window* sdl, HBRUSH brush) {
    const layer::StockObject* stock = layer::StockObjectOf(brush);
    if (sdl == nullptr || stock == nullptr || stock->isNull) return;
    layer::present::FillWindow(sdl, stock->rgb & 0xFF, (stock->rgb >> 8) & 0xFF, (stock->rgb >> 16) & 0xFF);
}

bool Activates(int command) {
    switch (command) {
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_HIDE:
        return false;
    default:
        return true;
    }
}

}  // namespace

namespace layer {

SDL_Window* SdlWindowOf(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    return w ? w->sdl : nullptr;
}

HWND WindowOfSdlId(Uint32 windowId) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    for (auto& [handle, w] : Windows())
        if (w->sdl != nullptr && SDL_GetWindowID(w->sdl) == windowId) return handle;
    return nullptr;
}

WNDPROC WindowProcOf(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    return w ? w->proc : nullptr;
}

int AddActivationListener(ActivationListener listener) { return Add(ActivationListeners(), std::move(listener)); }
void RemoveActivationListener(int token) { Remove(ActivationListeners(), token); }
int AddWindowDestroyListener(WindowDestroyListener listener) { return Add(DestroyListeners(), std::move(listener)); }
void RemoveWindowDestroyListener(int token) { Remove(DestroyListeners(), token); }

bool ApplicationActive() {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return activeWindow != nullptr;
}

void ActivateWindow(HWND window) {
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr || w->destroying || activeWindow == window) return;
        previous = activeWindow;
    }
    if (previous != nullptr) DeactivateWindow(previous);
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        activeWindow = window;
    }
    // The order Windows sends them in: the application first, then the frame,
    // then the window itself (whose default handling takes the focus).
    Send(window, WM_ACTIVATEAPP, TRUE, 0);
    Send(window, WM_NCACTIVATE, TRUE, 0);
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    Notify(ActivationListeners(), true);
    // A window that comes up under the pointer is asked for its pointer
    // shape at once, not only when the pointer next moves.
    int px = 0;
    int py = 0;
    SDL_GetGlobalMouseState(&px, &py);
    RECT rect{};
    if (GetWindowRect(window, &rect) && PtInRect(&rect, POINT{px, py}))
        Send(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

void DeactivateWindow(HWND window) {
    HWND hadFocus = nullptr;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (activeWindow != window) return;
        if (focusWindow == window) {
            focusWindow = nullptr;
            hadFocus = window;
        }
    }
    Send(window, WM_NCACTIVATE, FALSE, 0);
    Send(window, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        activeWindow = nullptr;
    }
    Send(window, WM_ACTIVATEAPP, FALSE, 0);
    if (hadFocus != nullptr) Send(window, WM_KILLFOCUS, 0, 0);
    Notify(ActivationListeners(), false);
}

void WindowMoved(HWND window, int x, int y) {
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr || (w->rect.left == x && w->rect.top == y)) return;
        OffsetRect(&w->rect, x - w->rect.left, y - w->rect.top);
    }
    Send(window, WM_MOVE, 0, MAKELPARAM(x, y));
}

void WindowResized(HWND window, int width, int height) {
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr || (w->rect.right - w->rect.left == width && w->rect.bottom - w->rect.top == height))
            return;
        w->rect.right = w->rect.left + width;
        w->rect.bottom = w->rect.top + height;
    }
    Send(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
}

}  // namespace layer

namespace layer::testing {
void FailNextWindowCreation() {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    failNextCreation = true;
}
}  // namespace layer::testing

extern "C" {

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        IS_INTRESOURCE(windowClass->lpszClassName) || windowClass->cbClsExtra < 0 || windowClass->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (FindClass(windowClass->lpszClassName, windowClass->hInstance, true) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_unique<WindowClass>();
    c->atom = nextAtom++;
    c->name = windowClass->lpszClassName;
    c->info = *windowClass;
    c->info.lpszClassName = c->name.c_str();
    if (windowClass->lpszMenuName != nullptr && !IS_INTRESOURCE(windowClass->lpszMenuName)) {
        c->menuName = windowClass->lpszMenuName;
        c->info.lpszMenuName = c->menuName.c_str();
    }
    const ATOM atom = c->atom;
    Classes().push_back(std::move(c));
    return atom;
}

BOOL WINAPI UnregisterClassA(LPCSTR className, HINSTANCE instance) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    WindowClass* c = FindClass(className, instance, true);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    if (c->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    std::erase_if(Classes(), [c](const auto& entry) { return entry.get() == c; });
    return TRUE;
}

BOOL WINAPI GetClassInfoExA(HINSTANCE instance, LPCSTR className, LPWNDCLASSEXA windowClass) {
    if (className == nullptr || windowClass == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::recursive_mutex> lock(Guard());
    WindowClass* c = FindClass(className, instance, false);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const UINT size = windowClass->cbSize;
    *windowClass = c->info;
    windowClass->cbSize = size;
    return c->atom;
}

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                            int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (className == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (parent != nullptr || (style & WS_CHILD)) {
        layer::Unimplemented("CreateWindowExA with a parent", E_NOTIMPL);
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    if (x == CW_USEDEFAULT) x = y = 0;
    if (width == CW_USEDEFAULT) {
        width = 640;
        height = 480;
    }
    width = std::max(width, 0);
    height = std::max(height, 0);

    Window* w;
    HWND handle;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        WindowClass* c = FindClass(className, instance, false);
        if (c == nullptr) {
            SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
            return nullptr;
        }
        if (failNextCreation || !layer::EnsureVideo()) {
            failNextCreation = false;
            SetLastError(ERROR_OUTOFMEMORY);
            return nullptr;
        }
        // A popup covering the whole screen is the full-screen window of a
        // game: the desktop's own resolution, no mode change.
        Uint32 flags = SDL_WINDOW_HIDDEN;
        if (style & WS_POPUP) flags |= SDL_WINDOW_BORDERLESS;
        if (exStyle & WS_EX_TOPMOST) flags |= SDL_WINDOW_ALWAYS_ON_TOP;
        SDL_DisplayMode desktop{};
        const bool fullScreen = (style & WS_POPUP) && SDL_GetDesktopDisplayMode(0, &desktop) == 0 && x <= 0 &&
                                y <= 0 && x + width >= desktop.w && y + height >= desktop.h;
        SDL_Window* sdl = SDL_CreateWindow(windowName ? windowName : "", x, y, std::max(width, 1),
                                           std::max(height, 1), flags);
        if (sdl == nullptr) {
            layer::LogLine("CreateWindowExA: %s", SDL_GetError());
            SetLastError(ERROR_OUTOFMEMORY);
            return nullptr;
        }
        layer::RememberDisplayOf(sdl);
        // Made full screen while hidden, so that it shows in its final state.
        if (fullScreen && !layer::StartsWindowed() && layer::WindowManagerRunning()) SDL_SetWindowFullscreen(sdl, SDL_WINDOW_FULLSCREEN_DESKTOP);
        layer::ApplyWindowIcon(sdl, c->info.hIcon);
        auto record = std::make_unique<Window>();
        handle = reinterpret_cast<HWND>(nextHandle);
        nextHandle += 0x10;
        record->handle = handle;
        record->windowClass = c;
        record->proc = c->info.lpfnWndProc;
        record->instance = instance;
        record->style = style & ~static_cast<DWORD>(WS_VISIBLE);
        record->exStyle = exStyle;
        record->rect = RECT{x, y, x + width, y + height};
        record->sdl = sdl;
        ++c->windowCount;
        w = record.get();
        Windows().emplace(handle, std::move(record));
    }

    CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x, static_cast<LONG>(style),
                         windowName, className, exStyle};
    if (!Send(handle, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create))) {
        DestroyWindow(handle);
        return nullptr;
    }
    RECT client = w->rect;
    Send(handle, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&client));
    if (Send(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL WINAPI IsWindow(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return Find(window) != nullptr;
}

BOOL WINAPI IsWindowVisible(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    return w != nullptr && w->visible;
}

BOOL WINAPI DestroyWindow(HWND window) {
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        if (w->destroying) return TRUE;
        w->destroying = true;
    }
    layer::DeactivateWindow(window);
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (focusWindow == window) focusWindow = nullptr;
    }
    Send(window, WM_DESTROY, 0, 0);
    Send(window, WM_NCDESTROY, 0, 0);
    Notify(DestroyListeners(), window);
    std::unique_ptr<Window> record;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        auto found = Windows().find(window);
        record = std::move(found->second);
        Windows().erase(found);
        --record->windowClass->windowCount;
    }
    if (record->sdl != nullptr) SDL_DestroyWindow(record->sdl);
    layer::DropMessagesFor(window);
    return TRUE;
}

BOOL WINAPI ShowWindow(HWND window, int command) {
    bool wasVisible;
    bool firstShow = false;
    SDL_Window* sdl;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return FALSE;
        }
        wasVisible = w->visible;
        sdl = w->sdl;
    }
    if (command == SW_HIDE) {
        if (!wasVisible) return FALSE;
        Send(window, WM_SHOWWINDOW, FALSE, 0);
        {
            std::lock_guard<std::recursive_mutex> lock(Guard());
            if (Window* w = Find(window)) w->visible = false;
        }
        SDL_HideWindow(sdl);
        layer::DeactivateWindow(window);
        return TRUE;
    }
    if (!wasVisible) {
        Send(window, WM_SHOWWINDOW, TRUE, 0);
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) return FALSE;
        w->visible = true;
        w->style |= WS_VISIBLE;
        firstShow = !w->shownOnce;
        w->shownOnce = true;
        SDL_ShowWindow(sdl);
    }
    if (command == SW_MINIMIZE || command == SW_SHOWMINIMIZED || command == SW_SHOWMINNOACTIVE) {
        SDL_MinimizeWindow(sdl);
    } else if (Activates(command)) {
        SDL_RaiseWindow(sdl);
        layer::ActivateWindow(window);
    }
    if (!wasVisible) Send(window, WM_ERASEBKGND, 0, 0);
    if (firstShow) {
        RECT rect{};
        GetWindowRect(window, &rect);
        Send(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(rect.right - rect.left, rect.bottom - rect.top));
        Send(window, WM_MOVE, 0, MAKELPARAM(rect.left, rect.top));
    }
    return wasVisible ? TRUE : FALSE;
}

BOOL WINAPI UpdateWindow(HWND window) {
    // Nothing of a window is ever marked for repainting: the programs on this
    // layer draw through DirectDraw, not in WM_PAINT.
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HWND WINAPI SetFocus(HWND window) {
    HWND previous;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        previous = focusWindow;
        if (window == nullptr) {
            focusWindow = nullptr;
        } else if (Find(window) == nullptr) {
            SetLastError(ERROR_INVALID_WINDOW_HANDLE);
            return nullptr;
        }
    }
    if (window == nullptr) {
        if (previous != nullptr) Send(previous, WM_KILLFOCUS, 0, 0);
        return previous;
    }
    // Focusing a window of an inactive application activates it first; its
    // default WM_ACTIVATE handling comes back here and takes the focus.
    if (GetActiveWindow() != window) {
        layer::ActivateWindow(window);
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (focusWindow == window) return previous;
    }
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        if (focusWindow == window) return previous;
        focusWindow = window;
    }
    if (previous != nullptr) Send(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
    Send(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
    return previous;
}

HWND WINAPI GetFocus(void) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return focusWindow;
}

HWND WINAPI GetActiveWindow(void) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    return activeWindow;
}

HWND WINAPI GetForegroundWindow(void) { return GetActiveWindow(); }

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
    if (!IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    return static_cast<BOOL>(Send(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)));
}

int WINAPI GetWindowTextA(HWND window, LPSTR buffer, int bufferMax) {
    if (!IsWindow(window) || buffer == nullptr || bufferMax <= 0) {
        SetLastError(IsWindow(window) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return static_cast<int>(Send(window, WM_GETTEXT, static_cast<WPARAM>(bufferMax), reinterpret_cast<LPARAM>(buffer)));
}

int WINAPI GetClassNameA(HWND window, LPSTR buffer, int bufferMax) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    if (w == nullptr || buffer == nullptr || bufferMax <= 0) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    const int length = std::min<int>(static_cast<int>(w->windowClass->name.size()), bufferMax - 1);
    std::memcpy(buffer, w->windowClass->name.data(), static_cast<std::size_t>(length));
    buffer[length] = '\0';
    return length;
}

BOOL WINAPI GetWindowRect(HWND window, LPRECT rect) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    if (w == nullptr || rect == nullptr) {
        SetLastError(w == nullptr ? ERROR_INVALID_WINDOW_HANDLE : ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    *rect = w->rect;
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND window, LPRECT rect) {
    RECT outer;
    if (!GetWindowRect(window, &outer)) return FALSE;
    if (rect == nullptr) return FALSE;
    *rect = RECT{0, 0, outer.right - outer.left, outer.bottom - outer.top};
    return TRUE;
}

// A window of the layer has no frame: its client area starts at its corner.
BOOL WINAPI ClientToScreen(HWND window, LPPOINT point) {
    RECT outer;
    if (point == nullptr || !GetWindowRect(window, &outer)) return FALSE;
    point->x += outer.left;
    point->y += outer.top;
    return TRUE;
}

LONG_PTR WINAPI GetWindowLongPtrA(HWND window, int index) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    if (w == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_USERDATA:
        return w->userData;
    case GWL_STYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
        return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
}

LONG WINAPI GetWindowLongA(HWND window, int index) { return static_cast<LONG>(GetWindowLongPtrA(window, index)); }

LRESULT WINAPI SendMessageA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = layer::WindowProcOf(window);
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return proc(window, msg, wParam, lParam);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, msg, wParam, lParam) : 0;
}

LRESULT WINAPI DefWindowProcA(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_NCCREATE: {
        auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) return FALSE;
        if (create != nullptr && create->lpszName != nullptr && !IS_INTRESOURCE(create->lpszName))
            w->title = create->lpszName;
        return TRUE;
    }
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SETTEXT: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) return FALSE;
        w->title = lParam ? reinterpret_cast<const char*>(lParam) : "";
        if (w->sdl != nullptr) SDL_SetWindowTitle(w->sdl, w->title.c_str());
        return TRUE;
    }
    case WM_GETTEXT: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        auto* buffer = reinterpret_cast<char*>(lParam);
        if (w == nullptr || buffer == nullptr || wParam == 0) return 0;
        const std::size_t length = std::min<std::size_t>(w->title.size(), wParam - 1);
        std::memcpy(buffer, w->title.data(), length);
        buffer[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    case WM_GETTEXTLENGTH: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        return w ? static_cast<LRESULT>(w->title.size()) : 0;
    }
    case WM_GETICON:
    case WM_SETICON: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr) return 0;
        HICON& slot = wParam == 0 ? w->smallIcon : w->bigIcon;  // ICON_SMALL is 0
        HICON previous = slot;
        if (msg == WM_SETICON) slot = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_QUERYDRAGICON: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        return w ? reinterpret_cast<LRESULT>(w->windowClass->info.hIcon) : 0;
    }
    case WM_SETCURSOR: {
        // Over the client area the class cursor is put up; a class without
        // one leaves the pointer as the program set it.
        HCURSOR classCursor = nullptr;
        {
            std::lock_guard<std::recursive_mutex> lock(Guard());
            Window* w = Find(window);
            if (w != nullptr) classCursor = w->windowClass->info.hCursor;
        }
        if (LOWORD(lParam) == HTCLIENT && classCursor != nullptr) {
            SetCursor(classCursor);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NCHITTEST: {
        RECT rect;
        if (!GetWindowRect(window, &rect)) return HTNOWHERE;
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        return PtInRect(&rect, point) ? HTCLIENT : HTNOWHERE;
    }
    case WM_ERASEBKGND: {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        Window* w = Find(window);
        if (w == nullptr || w->windowClass->info.hbrBackground == nullptr) return 0;
        PaintBackground(w->sdl, w->windowClass->info.hbrBackground);
        return 1;
    }
    case WM_NCACTIVATE:
    case WM_QUERYOPEN:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_MOUSEACTIVATE:
        return 1;  // MA_ACTIVATE
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_SYSKEYDOWN:
        // Alt+F4 asks the window to close, as the system menu would.
        if (wParam == VK_F4 && (lParam & (1 << 29))) SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return 0;
    default:
        return 0;
    }
}

}  // extern "C"
