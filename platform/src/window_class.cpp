// Window classes: registration, lookup by name or atom, and a window's class
// name. Classes outlive the windows made from them and are found by every
// creation, so they are kept apart from the window table itself.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "window_registry.h"
#include "winbase.h"

namespace {

using layer::windows::Class;
using layer::windows::Classes;
using layer::windows::Find;
using layer::windows::Guard;
using layer::windows::Window;

ATOM nextAtom = 0xC000;

bool SameName(const std::string& a, const char* b) {
    const std::size_t length = std::strlen(b);
    if (a.size() != length) return false;
    for (std::size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

namespace layer::windows {

// Class names compare without case; an atom in place of a name also finds it.
Class* FindClass(LPCSTR name, HINSTANCE instance, bool instanceMustMatch) {
    Class* anyInstance = nullptr;
    for (auto& c : Classes()) {
        const bool nameMatches = IS_INTRESOURCE(name) ? c->atom == static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name))
                                                      : SameName(c->name, name);
        if (!nameMatches) continue;
        if (c->info.hInstance == instance) return c.get();
        anyInstance = c.get();
    }
    return instanceMustMatch ? nullptr : anyInstance;
}

}  // namespace layer::windows

extern "C" {

ATOM WINAPI RegisterClassExA(const WNDCLASSEXA* windowClass) {
    if (windowClass == nullptr || windowClass->cbSize != sizeof(WNDCLASSEXA) ||
        windowClass->lpfnWndProc == nullptr || windowClass->lpszClassName == nullptr ||
        IS_INTRESOURCE(windowClass->lpszClassName) || windowClass->cbClsExtra < 0 || windowClass->cbWndExtra < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    std::lock_guard<std::recursive_mutex> lock(Guard());
    if (layer::windows::FindClass(windowClass->lpszClassName, windowClass->hInstance, true) != nullptr) {
        SetLastError(ERROR_CLASS_ALREADY_EXISTS);
        return 0;
    }
    auto c = std::make_unique<Class>();
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
    Class* c = layer::windows::FindClass(className, instance, true);
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
    Class* c = layer::windows::FindClass(className, instance, false);
    if (c == nullptr) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    const UINT size = windowClass->cbSize;
    *windowClass = c->info;
    windowClass->cbSize = size;
    return c->atom;
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

}  // extern "C"
