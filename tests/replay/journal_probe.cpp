// A small program for the journal's tests: it asks the layer a fixed series
// of questions whose answers depend on time and prints the answers, so a
// test can record it, replay it and compare. Variant "swapped" asks two of
// the questions the other way round, as a changed program would.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <thread>

int main(int argc, char** argv) {
    const bool swapped = argc > 1 && std::strcmp(argv[1], "swapped") == 0;
    const DWORD first = GetTickCount();
    FILETIME calendar{};
    MSG msg{};
    BOOL found;
    if (swapped) {
        found = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
        GetSystemTimeAsFileTime(&calendar);
    } else {
        GetSystemTimeAsFileTime(&calendar);
        found = PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);
    }
    HANDLE event = CreateEventA(nullptr, FALSE, TRUE, nullptr);
    const DWORD waited = WaitForSingleObject(event, 0);
    const DWORD second = WaitForSingleObject(event, 5);
    CloseHandle(event);
    std::printf("%lu %lu %lu %d %lu %lu\n", static_cast<unsigned long>(first),
                static_cast<unsigned long>(calendar.dwLowDateTime), static_cast<unsigned long>(calendar.dwHighDateTime),
                found, static_cast<unsigned long>(waited), static_cast<unsigned long>(second));
    for (int i = 0; i < 40; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(3));
        std::printf("%lu\n", static_cast<unsigned long>(GetTickCount() - first));
    }
    return 0;
}
