// Kernel events and the waits on them. An event may be set from any thread
// (the sound mixer's thread sets stream events); waits run on any thread.
#include "kernel_sync.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <memory>
#include <unordered_map>
#include <vector>

#include "journal_session.h"
#include "layer_log.h"
#include "seam_hooks.h"
#include "window_hooks.h"
#include "window_registry.h"
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

// The wake-up of a thread asleep on the display connection, which a
// condition variable cannot reach.
int WakeFd() {
    static const int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    return fd;
}
std::atomic<int> displaySleepers{0};
std::atomic<bool> sleepWithoutDisplay{false};

Event* FindLocked(HANDLE handle) {
    auto found = Events().find(handle);
    return found == Events().end() ? nullptr : found->second.get();
}

}  // namespace

std::mutex& KernelLock() {
    static std::mutex lock;
    return lock;
}

void WakeKernelWaiters() {
    Wake().notify_all();
    if (displaySleepers.load() > 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = write(WakeFd(), &one, sizeof(one));
    }
}

void WaitForWake(std::unique_lock<std::mutex>& lock, std::chrono::microseconds timeout) {
    Wake().wait_for(lock, timeout);
}

WakeReason WaitForWakeOrDisplay(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline) {
    using Clock = std::chrono::steady_clock;
    const bool videoThread = OnVideoThread();
    const int display = videoThread ? DisplayConnection() : -1;
    const bool watchDisplay = display >= 0 || (videoThread && sleepWithoutDisplay.load());
    if (!watchDisplay || WakeFd() < 0) {
        const auto shortest = Clock::now() + std::chrono::milliseconds(1);
        if (Wake().wait_until(lock, std::min(deadline, shortest)) == std::cv_status::timeout)
            return deadline <= shortest ? WakeReason::TimedOut : WakeReason::Display;
        return WakeReason::Woken;
    }
    if (DisplayEventsWaiting()) return WakeReason::Display;
    const auto left = deadline - Clock::now();
    if (left <= Clock::duration::zero()) return WakeReason::TimedOut;
    ++displaySleepers;
    lock.unlock();
    const auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec timeout{static_cast<time_t>(nanoseconds / 1000000000), static_cast<long>(nanoseconds % 1000000000)};
    // A negative descriptor is left out of the poll.
    pollfd fds[2] = {{display, POLLIN, 0}, {WakeFd(), POLLIN, 0}};
    const int ready = ppoll(fds, 2, &timeout, nullptr);
    std::uint64_t count = 0;
    if (ready > 0 && (fds[1].revents & POLLIN)) {
        [[maybe_unused]] const ssize_t read = ::read(WakeFd(), &count, sizeof(count));
    }
    --displaySleepers;
    lock.lock();
    if (ready > 0 && display >= 0 && fds[0].revents) return WakeReason::Display;
    return ready > 0 ? WakeReason::Woken : WakeReason::TimedOut;
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
    // Window-system input arrives only when pumped. On the window-system
    // thread the wait watches the display connection; elsewhere (where no
    // pump can happen) it looks again every couple of milliseconds.
    const auto pumpInterval = std::chrono::milliseconds(2);

    for (;;) {
        // A wait that only looks (no time-out) pumps only when the display
        // has something: the idle pass has just pumped.
        if (pumpInput && (!forever && milliseconds == 0 ? DisplayMayHaveInput() : true)) PumpSdlEvents();
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
        const auto until = forever ? Clock::now() + std::chrono::hours(1) : deadline;
        if (pumpInput && OnVideoThread()) {
            WaitForWakeOrDisplay(lock, until);
            continue;
        }
        auto step = std::chrono::duration_cast<std::chrono::microseconds>(until - Clock::now());
        if (pumpInput) step = std::min<std::chrono::microseconds>(step, pumpInterval);
        if (step.count() > 0) WaitForWake(lock, step);
    }
}

}  // namespace layer

namespace layer::testing {
void SleepWhenIdle(bool on) { sleepWithoutDisplay = on; }
}  // namespace layer::testing

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
    return layer::JournaledResult(journal::Call::ObjectWait, {1, 0, milliseconds, -1}, [&] {
        return layer::WaitForObjects(1, &handle, false, milliseconds, nullptr, false);
    });
}

DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds) {
    if (count == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    const auto live = [=] { return layer::WaitForObjects(count, handles, waitAll != FALSE, milliseconds, nullptr, false); };
    return layer::JournaledResult(journal::Call::ObjectWait, {count, waitAll, milliseconds, -1}, live);
}

}  // extern "C"
