#include "test_window.h"

#include <set>
#include <string>

const char* TestWindowClass(const char* name, WNDPROC procedure) {
    static std::set<std::string> registered;
    if (registered.count(name) == 0) {
        WNDCLASSEXA wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = name;
        if (RegisterClassExA(&wc) == 0) return nullptr;
        registered.insert(name);
    }
    return name;
}
