// The window table over SDL windows: creation with its messages, showing,
// destruction, and the queries and messages that read a window's record.
// Classes, focus and activation, and the default window procedure each have
// a file of their own; this one owns the records they all read.
#include <SDL.h>

#include <algorithm>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "journal_session.h"
#include "layer_log.h"
#include "listener_list.h"
#include "message_queue.h"
#include "resources_internal.h"
#include "seam_hooks.h"
#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"

namespace {

using layer::windows::Class;
using layer::windows::Find;
using layer::windows::Guard;
using layer::windows::Send;
using layer::windows::Window;

// Kept under the window guard, as the table it reports on is.
layer::ListenerList<layer::WindowDestroyListener, std::recursive_mutex>& DestroyListeners() {
    static layer::ListenerList<layer::WindowDestroyListener, std::recursive_mutex> listeners(Guard());
    return listeners;
}

std::uintptr_t nextHandle = 0x10010;
bool failNextCreation = false;

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

namespace layer::windows {

std::recursive_mutex& Guard() {
    static std::recursive_mutex guard;
    return guard;
}

std::vector<std::unique_ptr<Class>>& Classes() {
    static std::vector<std::unique_ptr<Class>> classes;
    return classes;
}

std::map<HWND, std::unique_ptr<Window>>& Table() {
    static std::map<HWND, std::unique_ptr<Window>> windows;
    return windows;
}

Window* Find(HWND handle) {
    auto found = Table().find(handle);
    return found == Table().end() ? nullptr : found->second.get();
}

LRESULT Send(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    WNDPROC proc = layer::WindowProcOf(window);
    return proc ? layer::CallWindowProcedure(window, msg, wParam, lParam, proc) : 0;
}

}  // namespace layer::windows

namespace layer {

SDL_Window* SdlWindowOf(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    return w ? w->sdl : nullptr;
}

HWND WindowOfSdlId(Uint32 windowId) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    for (auto& [handle, w] : layer::windows::Table())
        if (w->sdl != nullptr && SDL_GetWindowID(w->sdl) == windowId) return handle;
    return nullptr;
}

WNDPROC WindowProcOf(HWND window) {
    std::lock_guard<std::recursive_mutex> lock(Guard());
    Window* w = Find(window);
    return w ? w->proc : nullptr;
}

int AddWindowDestroyListener(WindowDestroyListener listener) { return DestroyListeners().Add(std::move(listener)); }
void RemoveWindowDestroyListener(int token) { DestroyListeners().Remove(token); }

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
        Class* c = layer::windows::FindClass(className, instance, false);
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
        layer::windows::Table().emplace(handle, std::move(record));
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
    layer::windows::ForgetFocus(window);
    Send(window, WM_DESTROY, 0, 0);
    Send(window, WM_NCDESTROY, 0, 0);
    DestroyListeners().Notify(window);
    std::unique_ptr<Window> record;
    {
        std::lock_guard<std::recursive_mutex> lock(Guard());
        auto found = layer::windows::Table().find(window);
        record = std::move(found->second);
        layer::windows::Table().erase(found);
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
    return layer::CallWindowProcedure(window, msg, wParam, lParam, proc);
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return proc ? proc(window, msg, wParam, lParam) : 0;
}

}  // extern "C"
