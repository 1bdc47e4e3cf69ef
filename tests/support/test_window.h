// Window classes for tests. The window state of the layer is process-wide, so
// a class registered by one case is still there for the next: register each
// name once and hand the name back.
#pragma once

#include <windows.h>

// The class name, or null when it could not be registered.
const char* TestWindowClass(const char* name, WNDPROC procedure = DefWindowProcA);
