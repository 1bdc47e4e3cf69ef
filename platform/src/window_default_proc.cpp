// The default window procedure: what a window does with a message its own
// procedure passes on. It reads and writes the window's record but owns no
// state, so it stands alone beside the table it serves.
#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>

#include "present.h"
#include "stock_objects.h"
#include "window_registry.h"
#include "winbase.h"

namespace {

using layer::windows::Find;
using layer::windows::Guard;
using layer::windows::Window;

// Fills the window with a stock background brush. Once a frame is presented
// in the window it owns the picture, and this leaves it alone.
void PaintBackground(SDL_Window* sdl, HBRUSH brush) {
    const layer::StockObject* stock = layer::StockObjectOf(brush);
    if (sdl == nullptr || stock == nullptr || stock->isNull) return;
    layer::present::FillWindow(sdl, stock->rgb & 0xFF, (stock->rgb >> 8) & 0xFF, (stock->rgb >> 16) & 0xFF);
}

}  // namespace

extern "C" {

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
