#include "recorder.h"

#include "test_window.h"

#include <gtest/gtest.h>

#include <map>

namespace {

std::map<HWND, std::vector<Recorded>> logs;
LRESULT CALLBACK RecordingProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam) {
    logs[window].push_back({msg, wParam, lParam});
    return DefWindowProcA(window, msg, wParam, lParam);
}

}  // namespace

RecordingWindow::RecordingWindow(DWORD style, int width, int height) {
    window = CreateWindowExA(0, TestWindowClass("RecordingWindow", RecordingProc), "recorder", style, 0, 0, width, height, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    EXPECT_NE(window, nullptr);
}

RecordingWindow::~RecordingWindow() {
    if (IsWindow(window)) DestroyWindow(window);
    logs.erase(window);
    TakeAll();
}

std::vector<Recorded>& RecordingWindow::log() { return logs[window]; }

std::vector<UINT> RecordingWindow::messages() const {
    std::vector<UINT> result;
    for (const Recorded& r : logs[window]) result.push_back(r.msg);
    return result;
}

void RecordingWindow::Drain() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
}

std::vector<MSG> TakeAll() {
    std::vector<MSG> all;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) all.push_back(msg);
    return all;
}
