// The application's message queue: posting, peeking, getting, dispatching and
// waiting for messages. Posted messages may come from any thread; the window
// procedures run on the thread that takes the messages.
#include "message_queue.h"

#include <deque>

#include "idle_pacing.h"
#include "journal_session.h"
#include "kernel_sync.h"
#include "tick_clock.h"
#include "window_hooks.h"
#include "window_registry.h"
#include "winbase.h"

namespace {

struct Queue {
    std::deque<MSG> posted;
    std::deque<MSG> input;
    bool quitPending = false;
    int quitCode = 0;
    POINT pointer{0, 0};
};

// Guarded by layer::KernelLock(), which the waits share.
Queue& TheQueue() {
    static Queue queue;
    return queue;
}

DWORD StatusOf(UINT msg, bool posted) {
    if (posted) return QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    if (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) return QS_KEY;
    if (msg == WM_MOUSEMOVE) return QS_MOUSEMOVE;
    return QS_MOUSEBUTTON;
}

bool Matches(const MSG& msg, HWND window, UINT filterMin, UINT filterMax) {
    if (window == reinterpret_cast<HWND>(-1)) {
        if (msg.hwnd != nullptr) return false;
    } else if (window != nullptr && msg.hwnd != window) {
        return false;
    }
    if (filterMin == 0 && filterMax == 0) return true;
    return msg.message >= filterMin && msg.message <= filterMax;
}

bool QuitMatches(UINT filterMin, UINT filterMax) {
    return (filterMin == 0 && filterMax == 0) || (WM_QUIT >= filterMin && WM_QUIT <= filterMax);
}

MSG Make(HWND window, UINT message, WPARAM wParam, LPARAM lParam, POINT pointer) {
    MSG msg{};
    msg.hwnd = window;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = layer::LiveTickCount();
    msg.pt = pointer;
    return msg;
}

// Finds the next message in Windows' order: posted, then the quit request,
// then input. KernelLock() held.
bool TakeLocked(MSG* out, HWND window, UINT filterMin, UINT filterMax, bool remove) {
    Queue& queue = TheQueue();
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) queue.posted.erase(it);
        return true;
    }
    if (queue.quitPending && QuitMatches(filterMin, filterMax)) {
        *out = Make(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0, queue.pointer);
        if (remove) queue.quitPending = false;
        return true;
    }
    for (auto it = queue.input.begin(); it != queue.input.end(); ++it) {
        if (!Matches(*it, window, filterMin, filterMax)) continue;
        *out = *it;
        if (remove) queue.input.erase(it);
        return true;
    }
    return false;
}

bool AnyLocked() {
    const Queue& queue = TheQueue();
    return !queue.posted.empty() || queue.quitPending || !queue.input.empty();
}

// A call's result as a journal's answer, followed by the message's fields
// when it handed one out (GetMessageA hands out WM_QUIT with FALSE).
void PutMessage(journal::Record& record, BOOL result, bool filled, const MSG& msg) {
    record.answer = {result};
    if (!filled) return;
    record.answer.insert(record.answer.end(),
                         {static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(msg.hwnd)), msg.message,
                          static_cast<std::int64_t>(msg.wParam), static_cast<std::int64_t>(msg.lParam), msg.time,
                          msg.pt.x, msg.pt.y});
}

BOOL TakeMessage(const journal::Record& record, MSG* msg) {
    const auto& a = record.answer;
    if (a.size() == 8) {
        msg->hwnd = reinterpret_cast<HWND>(static_cast<std::uintptr_t>(a[1]));
        msg->message = static_cast<UINT>(a[2]);
        msg->wParam = static_cast<WPARAM>(a[3]);
        msg->lParam = static_cast<LPARAM>(a[4]);
        msg->time = static_cast<DWORD>(a[5]);
        msg->pt = POINT{static_cast<LONG>(a[6]), static_cast<LONG>(a[7])};
    }
    return a.empty() ? FALSE : static_cast<BOOL>(a[0]);
}

BOOL PeekLive(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
BOOL GetLive(LPMSG msg, HWND window, UINT filterMin, UINT filterMax);
BOOL WaitLive();

// A replay takes its messages from the journal, but the window still needs
// its events taken, and the player's Escape must reach the replay.
void PumpDuringReplay() {
    if (layer::ReplayingHere()) layer::PumpSdlEvents();
}

std::int64_t HandleValue(HWND window) { return static_cast<std::int64_t>(reinterpret_cast<std::uintptr_t>(window)); }

}  // namespace

namespace layer {

void QueueInput(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    {
        std::lock_guard<std::mutex> lock(KernelLock());
        Queue& queue = TheQueue();
        // Windows keeps only the newest of consecutive pointer moves.
        if (message == WM_MOUSEMOVE && !queue.input.empty() && queue.input.back().message == WM_MOUSEMOVE &&
            queue.input.back().hwnd == window) {
            queue.input.back() = Make(window, message, wParam, lParam, queue.pointer);
        } else {
            queue.input.push_back(Make(window, message, wParam, lParam, queue.pointer));
        }
    }
    WakeKernelWaiters();
}

void DropMessagesFor(HWND window) {
    std::lock_guard<std::mutex> lock(KernelLock());
    Queue& queue = TheQueue();
    for (auto* list : {&queue.posted, &queue.input}) {
        std::erase_if(*list, [window](const MSG& msg) { return msg.hwnd == window; });
    }
}

bool QueueHasLocked(DWORD wakeMask) {
    const Queue& queue = TheQueue();
    if ((wakeMask & (QS_POSTMESSAGE | QS_ALLPOSTMESSAGE)) && (!queue.posted.empty() || queue.quitPending))
        return true;
    for (const MSG& msg : queue.input)
        if (StatusOf(msg.message, false) & wakeMask) return true;
    return false;
}

POINT LastPointerPosition() {
    std::lock_guard<std::mutex> lock(KernelLock());
    return TheQueue().pointer;
}

void SetLastPointerPosition(POINT point) {
    std::lock_guard<std::mutex> lock(KernelLock());
    TheQueue().pointer = point;
}

}  // namespace layer

extern "C" {

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window != nullptr && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(layer::KernelLock());
        Queue& queue = TheQueue();
        queue.posted.push_back(Make(window, message, wParam, lParam, queue.pointer));
    }
    layer::WakeKernelWaiters();
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    {
        std::lock_guard<std::mutex> lock(layer::KernelLock());
        TheQueue().quitPending = true;
        TheQueue().quitCode = exitCode;
    }
    layer::WakeKernelWaiters();
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (!layer::Journaling()) return PeekLive(msg, window, filterMin, filterMax, removeFlags);
    PumpDuringReplay();
    return TakeMessage(layer::JournalExchange(journal::Call::PeekMessage,
                                              {HandleValue(window), filterMin, filterMax, removeFlags},
                                              [&](journal::Record& r) {
                                                  MSG taken{};
                                                  const BOOL found =
                                                      PeekLive(&taken, window, filterMin, filterMax, removeFlags);
                                                  PutMessage(r, found, found != FALSE, taken);
                                              }),
                       msg);
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (window != nullptr && window != reinterpret_cast<HWND>(-1) && !IsWindow(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return -1;
    }
    if (!layer::Journaling()) return GetLive(msg, window, filterMin, filterMax);
    PumpDuringReplay();
    return TakeMessage(layer::JournalExchange(journal::Call::GetMessage, {HandleValue(window), filterMin, filterMax},
                                              [&](journal::Record& r) {
                                                  MSG taken{};
                                                  PutMessage(r, GetLive(&taken, window, filterMin, filterMax), true,
                                                             taken);
                                              }),
                       msg);
}

BOOL WINAPI WaitMessage(void) {
    PumpDuringReplay();
    return layer::JournaledResult(journal::Call::WaitMessage, {}, WaitLive);
}

}  // extern "C"

namespace {

BOOL PeekLive(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
    const bool remove = (removeFlags & PM_REMOVE) != 0;
    layer::PumpSdlEventsIfAny();
    std::unique_lock<std::mutex> lock(layer::KernelLock());
    if (TakeLocked(msg, window, filterMin, filterMax, remove)) {
        if (remove) layer::NoteMessageTaken();
        return TRUE;
    }
    // An idle loop polls this as fast as it can. Sleeping until the program
    // has something due (its next frame, as the layer has learnt it), or
    // until input, a posted message or a kernel event arrives, keeps that
    // loop from burning a core without drawing anything later.
    if (!(removeFlags & PM_NOYIELD)) {
        const auto wake = layer::IdleWakeTime(layer::IdleClock::now());
        if (layer::WaitForWakeOrDisplay(lock, wake) == layer::WakeReason::Display) {
            lock.unlock();
            layer::PumpSdlEvents();
            lock.lock();
        }
        if (TakeLocked(msg, window, filterMin, filterMax, remove)) {
            if (remove) layer::NoteMessageTaken();
            return TRUE;
        }
    }
    lock.unlock();
    layer::NoteIdlePass();
    return FALSE;
}

BOOL GetLive(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    for (;;) {
        layer::PumpSdlEvents();
        std::unique_lock<std::mutex> lock(layer::KernelLock());
        if (TakeLocked(msg, window, filterMin, filterMax, true)) {
            layer::NoteMessageTaken();
            return msg->message == WM_QUIT ? FALSE : TRUE;
        }
        layer::WaitForWakeOrDisplay(lock, layer::IdleClock::now() + std::chrono::hours(1));
    }
}

BOOL WaitLive() {
    for (;;) {
        // Input that the pump only sent to a window (activation, for one)
        // counts as input too: the caller must get to look at its new state.
        const bool tookInput = layer::PumpSdlEvents();
        std::unique_lock<std::mutex> lock(layer::KernelLock());
        if (tookInput || AnyLocked()) return TRUE;
        layer::WaitForWakeOrDisplay(lock, layer::IdleClock::now() + std::chrono::hours(1));
    }
}

}  // namespace

extern "C" {

DWORD WINAPI GetQueueStatus(UINT flags) {
    layer::PumpSdlEvents();
    std::lock_guard<std::mutex> lock(layer::KernelLock());
    DWORD status = 0;
    const Queue& queue = TheQueue();
    if (!queue.posted.empty() || queue.quitPending) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
    for (const MSG& m : queue.input) status |= StatusOf(m.message, false);
    status &= flags;
    return (status << 16) | status;
}

DWORD WINAPI MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds,
                                       DWORD wakeMask) {
    const auto live = [=] {
        return layer::WaitForObjects(count, handles, waitAll != FALSE, milliseconds,
                                     [wakeMask] { return layer::QueueHasLocked(wakeMask); }, true);
    };
    return layer::JournaledResult(journal::Call::ObjectWait, {count, waitAll, milliseconds, wakeMask}, live);
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (msg == nullptr) return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN) {
        return msg->message == WM_KEYUP || msg->message == WM_SYSKEYUP;
    }
    const int vk = static_cast<int>(msg->wParam);
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    const bool caps = (GetKeyState(VK_CAPITAL) & 1) != 0;
    const bool control = GetKeyState(VK_CONTROL) < 0;
    int ch = 0;
    if (vk >= 'A' && vk <= 'Z') {
        ch = control ? vk - 'A' + 1 : ((shift != caps) ? vk : vk + 32);
    } else if (vk >= '0' && vk <= '9' && !shift) {
        ch = vk;
    } else if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) {
        ch = '0' + (vk - VK_NUMPAD0);
    } else if (vk == VK_SPACE || vk == VK_RETURN || vk == VK_BACK || vk == VK_ESCAPE || vk == VK_TAB) {
        ch = vk;
    }
    if (ch == 0) return TRUE;
    // The character goes ahead of the input still waiting, as on Windows.
    {
        std::lock_guard<std::mutex> lock(layer::KernelLock());
        Queue& queue = TheQueue();
        queue.posted.push_back(Make(msg->hwnd, msg->message == WM_SYSKEYDOWN ? WM_SYSCHAR : WM_CHAR,
                                    static_cast<WPARAM>(ch), msg->lParam, queue.pointer));
    }
    layer::WakeKernelWaiters();
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) return 0;
    WNDPROC proc = layer::WindowProcOf(msg->hwnd);
    if (proc == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    return proc(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

}  // extern "C"
