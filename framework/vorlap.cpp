#include "vorlap.h"

namespace {

// The framework's state, once per process.
vorlap* application = nullptr;
int constructionCount = 0;
UINT iconId = 0;
UINT titleStringId = 0;
HWND mainWindow = nullptr;
HINSTANCE appInstance = nullptr;
bool active = true;

void Register(UINT icon, UINT title, vorlap* object) {
    ++constructionCount;
    if (constructionCount == 1) application = object;
    iconId = icon;
    titleStringId = title;
}

LRESULT CALLBACK WindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_DESTROY:
        application->ReleaseAll();
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        active = LOWORD(wParam) != WA_INACTIVE;
        return 0;
    case WM_CLOSE:
        application->CloseApp();
        return DefWindowProcA(window, msg, wParam, lParam);
    case WM_ACTIVATEAPP:
        return 0;
    // The window system's own business; the application never sees these.
    case WM_CREATE:
    case WM_SIZE:
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
    case WM_QUIT:
    case WM_QUERYOPEN:
    case WM_SHOWWINDOW:
    case WM_CANCELMODE:
    case WM_QUERYDRAGICON:
    case WM_STYLECHANGING:
    case WM_STYLECHANGED:
    case WM_GETICON:
    case WM_SETICON:
    case WM_NCCREATE:
    case WM_NCDESTROY:
    case WM_NCCALCSIZE:
    case WM_NCACTIVATE:
    case WM_SIZING:
        return DefWindowProcA(window, msg, wParam, lParam);
    default:
        return application->ProcMessage(msg, wParam, lParam);
    }
}

}  // namespace

vorlap::vorlap() { Register(0, 0, this); }

vorlap::vorlap(UINT icon, UINT title) { Register(icon, title, this); }

vorlap::vorlap(const vorlap&) {}

vorlap& vorlap::operator=(const vorlap&) { return *this; }

vorlap::~vorlap() {}

int vorlap::InitApp() { return 1; }

void vorlap::CloseApp() {}

void vorlap::ReleaseAll() {}

void vorlap::OnIdle(DWORD) {}

int vorlap::ProcMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_SETCURSOR) {
        if (active) SetCursor(nullptr);
        return 1;
    }
    if (msg == WM_KEYDOWN && wParam == VK_ESCAPE) {
        PostMessageA(mainWindow, WM_CLOSE, 0, 0);
        return 0;
    }
    return static_cast<int>(DefWindowProcA(mainWindow, msg, wParam, lParam));
}

HWND vorlap::GethWnd() { return mainWindow; }

HINSTANCE vorlap::GethInst() { return appInstance; }

int vorlapMain(HINSTANCE instance, HINSTANCE, char*, int showCommand) {
    appInstance = instance;

    char name[256] = "vorlapWindow";
    HICON icon = nullptr;
    if (iconId != 0) icon = LoadIconA(instance, MAKEINTRESOURCEA(iconId));
    if (titleStringId != 0) LoadStringA(instance, titleStringId, name, sizeof(name));

    WNDCLASSEXA windowClass{};
    // The structure's own size: 48 bytes on 32-bit Windows, 80 on 64-bit.
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszMenuName = nullptr;
    windowClass.lpszClassName = name;
    windowClass.hIconSm = nullptr;
    if (!RegisterClassExA(&windowClass)) return 1;

    mainWindow = CreateWindowExA(WS_EX_TOPMOST, name, name, WS_POPUP | WS_SYSMENU, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                 instance, nullptr);
    if (mainWindow == nullptr) return 2;

    ShowWindow(mainWindow, showCommand);
    UpdateWindow(mainWindow);
    SetFocus(mainWindow);

    if (application->InitApp() == 0) return 0;

    MSG msg;
    for (;;) {
        if (PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            if (!GetMessageA(&msg, nullptr, 0, 0)) return static_cast<int>(msg.wParam);
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        } else if (active) {
            application->OnIdle(GetTickCount());
        } else {
            WaitMessage();
        }
    }
}
