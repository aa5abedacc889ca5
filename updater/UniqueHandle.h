// UniqueHandle: owns one kernel handle (process, thread, file, snapshot) and closes it once.
// Any thread; not shared between threads.
#pragma once

#include <windows.h>

#include "Failure.h"

class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(HANDLE handle) : mHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
    ~UniqueHandle() { Reset(); }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    // Both null and INVALID_HANDLE_VALUE, the two failure results of the system, count as no handle.
    bool Valid() const { return mHandle != nullptr; }
    HANDLE Get() const { return mHandle; }
    void Reset() {
        if (mHandle && !CloseHandle(mHandle)) ReportFailure(L"CloseHandle");
        mHandle = nullptr;
    }

private:
    HANDLE mHandle = nullptr;
};
