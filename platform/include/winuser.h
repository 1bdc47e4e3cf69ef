#pragma once
// Window classes, windows, messages and the user-interface resource loaders.
#include "windef.h"

extern "C" {
int WINAPI LoadStringA(HINSTANCE instance, UINT id, LPSTR buffer, int bufferMax);
HICON WINAPI LoadIconA(HINSTANCE instance, LPCSTR name);
}
