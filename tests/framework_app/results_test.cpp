// vorlapMain's results when the class or the window cannot be made, and the
// code WM_QUIT carries.
#include <gtest/gtest.h>
#include <windows.h>

#include "recording_app.h"
#include "seam/input.h"

namespace {

RecordingApp app(0, 0);

LRESULT CALLBACK OtherProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(window, msg, wParam, lParam);
}

TEST(VorlapMain, ReturnsOneWhenTheClassCannotBeRegistered) {
    WNDCLASSEXA taken{};
    taken.cbSize = sizeof(taken);
    taken.lpfnWndProc = OtherProc;
    taken.hInstance = GetModuleHandleA(nullptr);
    taken.lpszClassName = "vorlapWindow";
    RegisterClassExA(&taken);  // may already be there from another case
    app.calls.clear();
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL), 1);
    EXPECT_EQ(app.Hooked("InitApp"), 0);
    EXPECT_EQ(app.GethWnd(), nullptr) << "nothing is created";
    UnregisterClassA("vorlapWindow", GetModuleHandleA(nullptr));
}

TEST(VorlapMain, ReturnsTwoWhenTheWindowCannotBeCreated) {
    UnregisterClassA("vorlapWindow", GetModuleHandleA(nullptr));
    app.calls.clear();
    seam::FailNextWindowCreation();
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL), 2);
    EXPECT_EQ(app.GethWnd(), nullptr);
    EXPECT_EQ(app.Hooked("InitApp"), 0);
    UnregisterClassA("vorlapWindow", GetModuleHandleA(nullptr));
}

TEST(VorlapMain, ReturnsTheQuitCode) {
    UnregisterClassA("vorlapWindow", GetModuleHandleA(nullptr));
    app.calls.clear();
    app.onIdle = [](DWORD) { PostQuitMessage(42); };
    EXPECT_EQ(vorlapMain(GetModuleHandleA(nullptr), nullptr, nullptr, SW_SHOWNORMAL), 42);
    EXPECT_EQ(app.Hooked("InitApp"), 1);
    EXPECT_GE(app.idleCalls, 1);
    app.onIdle = nullptr;
    DestroyWindow(app.GethWnd());
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    UnregisterClassA("vorlapWindow", GetModuleHandleA(nullptr));
}

}  // namespace
