// Kernel events and the waits on them. An event may be set from any thread
// (the sound mixer's thread sets stream events); waits run on any thread.
#include "kernel_sync.h"

#include <algorithm>
#include <condition_variable>
#include <memory>
#include <unordered_map>
#include <vector>

#include "layer_log.h"
#include "window_hooks.h"
#include "winbase.h"

namespace layer {
namespace {

struct Event {
    bool manualReset = false;
    bool signalled = false;
};

std::condition_variable& Wake() {
    static std::condition_variable wake;
    return wake;
}

// Live events by handle; a closed or made-up handle is not found. Guarded by
// KernelLock().
std::unordered_map<HANDLE, std::unique_ptr<Event>>& Events() {
    static std::unordered_map<HANDLE, std::unique_ptr<Event>> events;
    return events;
}

Event* FindLocked(HANDLE handle) {
    auto found = Events().find(handle);
    return found == Events().end() ? nullptr : found->second.get();
}

}  // namespace

std::mutex& KernelLock() {
    static std::mutex lock;
    return lock;
}

void WakeKernelWaiters() { Wake().notify_all(); }

void WaitForWake(std::unique_lock<std::mutex>& lock, std::chrono::microseconds timeout) {
    Wake().wait_for(lock, timeout);
}

DWORD WaitForObjects(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds,
                     const std::function<bool()>& inputReady, bool pumpInput) {
    if (count > MAXIMUM_WAIT_OBJECTS || (count > 0 && handles == nullptr) || (count == 0 && !inputReady)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    using Clock = std::chrono::steady_clock;
    const bool forever = milliseconds == INFINITE;
    const auto deadline = Clock::now() + std::chrono::milliseconds(forever ? 0 : milliseconds);
    // Window-system input arrives only when pumped, so a wait that includes it
    // looks again every couple of milliseconds; event waits sleep until woken.
    const auto pumpInterval = std::chrono::milliseconds(2);

    for (;;) {
        if (pumpInput) PumpSdlEvents();
        std::unique_lock<std::mutex> lock(KernelLock());
        std::vector<Event*> events(count);
        for (DWORD i = 0; i < count; ++i) {
            events[i] = FindLocked(handles[i]);
            if (events[i] == nullptr) {
                SetLastError(ERROR_INVALID_HANDLE);
                return WAIT_FAILED;
            }
        }
        if (waitAll) {
            const bool all = std::all_of(events.begin(), events.end(), [](Event* e) { return e->signalled; });
            if (all && (!inputReady || inputReady())) {
                for (Event* e : events)
                    if (!e->manualReset) e->signalled = false;
                return inputReady ? WAIT_OBJECT_0 + count : WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < count; ++i) {
                if (events[i]->signalled) {
                    if (!events[i]->manualReset) events[i]->signalled = false;
                    return WAIT_OBJECT_0 + i;
                }
            }
            if (inputReady && inputReady()) return WAIT_OBJECT_0 + count;
        }
        if (!forever && Clock::now() >= deadline) return WAIT_TIMEOUT;
        auto step = std::chrono::duration_cast<std::chrono::microseconds>(
            forever ? std::chrono::hours(1) : deadline - Clock::now());
        if (pumpInput) step = std::min<std::chrono::microseconds>(step, pumpInterval);
        if (step.count() > 0) WaitForWake(lock, step);
    }
}

}  // namespace layer

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

extern "C" {

DWORD WINAPI GetLastError(void) { return lastError; }
void WINAPI SetLastError(DWORD errorCode) { lastError = errorCode; }

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCSTR name) {
    if (name != nullptr) {
        // Named events are shared between processes on Windows; nothing here
        // needs them, and an unnamed event in their place would be a lie.
        layer::Unimplemented("CreateEventA with a name", E_NOTIMPL);
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    auto event = std::make_unique<layer::Event>();
    event->manualReset = manualReset != FALSE;
    event->signalled = initialState != FALSE;
    HANDLE handle = event.get();
    std::lock_guard<std::mutex> lock(layer::KernelLock());
    layer::Events().emplace(handle, std::move(event));
    return handle;
}

BOOL WINAPI SetEvent(HANDLE handle) {
    {
        std::lock_guard<std::mutex> lock(layer::KernelLock());
        layer::Event* event = layer::FindLocked(handle);
        if (event == nullptr) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        event->signalled = true;
    }
    layer::WakeKernelWaiters();
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE handle) {
    std::lock_guard<std::mutex> lock(layer::KernelLock());
    layer::Event* event = layer::FindLocked(handle);
    if (event == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    event->signalled = false;
    return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
    {
        std::lock_guard<std::mutex> lock(layer::KernelLock());
        if (layer::Events().erase(handle) == 0) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
    }
    // A waiter on the closed handle must look again and fail, not sleep on.
    layer::WakeKernelWaiters();
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return layer::WaitForObjects(1, &handle, false, milliseconds, nullptr, false);
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    return layer::WaitForObjects(count, handles, waitAll != FALSE, milliseconds, nullptr, false);
}

}  // extern "C"
