// An application that records which of its hooks the framework calls.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "vorlap.h"

struct Call {
    std::string hook;
    UINT msg = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class RecordingApp : public vorlap {
public:
    // What ProcMessage answers, so a test can tell its result from
    // DefWindowProcA's.
    static constexpr int kProcResult = 0x5A;

    RecordingApp(UINT icon, UINT title) : vorlap(icon, title) {}

    int InitApp() override {
        calls.push_back({"InitApp"});
        return onInit ? onInit() : 1;
    }
    void CloseApp() override {
        calls.push_back({"CloseApp"});
        vorlap::CloseApp();
    }
    void ReleaseAll() override {
        calls.push_back({"ReleaseAll", 0, 0, 0});
        vorlap::ReleaseAll();
    }
    void OnIdle(DWORD tick) override {
        ++idleCalls;
        if (onIdle) onIdle(tick);
    }
    int ProcMessage(UINT msg, WPARAM wParam, LPARAM lParam) override {
        calls.push_back({"ProcMessage", msg, wParam, lParam});
        return forwardToFramework ? vorlap::ProcMessage(msg, wParam, lParam) : kProcResult;
    }

    int Hooked(const std::string& hook) const {
        int n = 0;
        for (const Call& c : calls) n += c.hook == hook;
        return n;
    }
    bool SawMessage(UINT msg) const {
        for (const Call& c : calls)
            if (c.hook == "ProcMessage" && c.msg == msg) return true;
        return false;
    }

    std::vector<Call> calls;
    int idleCalls = 0;
    bool forwardToFramework = true;
    std::function<int()> onInit;
    std::function<void(DWORD)> onIdle;
};
