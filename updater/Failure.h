// How update.exe notes a failed system call. It has no log file (it links nothing of the suite's own, the logger
// included), so the line goes to the debugger, with the system's error code, where it was made.
#pragma once

#include <windows.h>

#include <stdio.h>

// Any thread. Reads GetLastError itself, so call it straight after the failed call.
inline void ReportFailure(const wchar_t* what) {
    const DWORD error = GetLastError();
    wchar_t line[256];
    _snwprintf(line, sizeof line / sizeof line[0] - 1, L"update: %ls failed, error %lu\n", what,
               static_cast<unsigned long>(error));
    line[sizeof line / sizeof line[0] - 1] = L'\0';
    OutputDebugStringW(line);
}
