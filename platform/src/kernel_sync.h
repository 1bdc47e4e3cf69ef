// The one lock and wake-up signal behind every wait of the layer: kernel
// events and the message queue share them, so a wait on events and messages
// together (MsgWaitForMultipleObjects) sees either kind of wake-up.
#pragma once

#include <chrono>
#include <functional>
#include <mutex>

#include "windef.h"

namespace layer {

std::mutex& KernelLock();
// Wakes every waiter to look again; call after changing anything a wait tests.
void WakeKernelWaiters();
// Sleeps until woken or `timeout` passed; `lock` holds KernelLock().
void WaitForWake(std::unique_lock<std::mutex>& lock, std::chrono::microseconds timeout);

// Why WaitForWakeOrDisplay returned.
enum class WakeReason { Woken, Display, TimedOut };
// The window-system thread's wait: sleeps until woken, until the display
// connection has something to read, or until `deadline`; `lock` holds
// KernelLock(). Waits on both at once, so neither is polled. Without a
// display connection to watch (other video drivers) it sleeps at most a
// millisecond, since input then shows up only when pumped.
WakeReason WaitForWakeOrDisplay(std::unique_lock<std::mutex>& lock, std::chrono::steady_clock::time_point deadline);

// The common wait of WaitForSingleObject, WaitForMultipleObjects and
// MsgWaitForMultipleObjects. `inputReady`, when given, is asked with
// KernelLock() held and stands for one more object at index `count`; with
// `pumpInput` the wait keeps taking window-system events while it waits.
// Auto-reset events that satisfy the wait are reset by it.
DWORD WaitForObjects(DWORD count, const HANDLE* handles, bool waitAll, DWORD milliseconds,
                     const std::function<bool()>& inputReady, bool pumpInput);

}  // namespace layer
