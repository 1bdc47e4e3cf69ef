// The application's one message queue. Posted messages are taken before the
// quit request, and the quit request before input, as Windows orders them.
#pragma once

#include "winuser.h"

namespace layer {

// Queues a message that came from the keyboard or the mouse. A mouse move
// replaces a mouse move still waiting at the end of the input queue.
void QueueInput(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
// Drops every queued message addressed to `window` (it is being destroyed).
void DropMessagesFor(HWND window);
// Whether a message of the QS_ wake mask is waiting; KernelLock() held.
bool QueueHasLocked(DWORD wakeMask);
// Where the pointer was last seen, in screen coordinates.
POINT LastPointerPosition();
void SetLastPointerPosition(POINT point);

}  // namespace layer
