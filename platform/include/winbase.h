// Kernel services: last-error value, ticks, sleeping, events and waits.
#pragma once

#include "windef.h"
#include "winerror.h"

#define INFINITE 0xFFFFFFFFu

#define STATUS_WAIT_0 ((DWORD)0x00000000L)
#define STATUS_ABANDONED_WAIT_0 ((DWORD)0x00000080L)
#define STATUS_TIMEOUT ((DWORD)0x00000102L)
#define WAIT_OBJECT_0 ((STATUS_WAIT_0) + 0)
#define WAIT_ABANDONED ((STATUS_ABANDONED_WAIT_0) + 0)
#define WAIT_ABANDONED_0 ((STATUS_ABANDONED_WAIT_0) + 0)
#define WAIT_TIMEOUT 258L
#define WAIT_FAILED ((DWORD)0xFFFFFFFF)
#define MAXIMUM_WAIT_OBJECTS 64

#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *PSECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

// 100-nanosecond intervals since 1601-01-01 UTC, in two halves.
typedef struct _FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
} FILETIME, *PFILETIME, *LPFILETIME;

#pragma GCC visibility push(default)
extern "C" {
DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD errorCode);

// Milliseconds since the system started, in 32 bits: it wraps after 49.7 days,
// so intervals are measured by unsigned difference.
DWORD WINAPI GetTickCount(void);
void WINAPI Sleep(DWORD milliseconds);
// The calendar clock (UTC).
void WINAPI GetSystemTimeAsFileTime(LPFILETIME time);

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState, LPCSTR name);
BOOL WINAPI SetEvent(HANDLE event);
BOOL WINAPI ResetEvent(HANDLE event);
BOOL WINAPI CloseHandle(HANDLE object);
DWORD WINAPI WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WINAPI WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD milliseconds);

// The program's entry; on hosts without a Windows loader a small start-up
// library calls it with the executable's module and SW_SHOWDEFAULT.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand);
}
#pragma GCC visibility pop
