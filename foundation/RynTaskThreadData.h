// Identity and command queue of one task thread. Shared (std::shared_ptr) by the process-wide registry and the
// thread's scheduler state; the queue is guarded by the object's own lock, everything else is set before the
// object is published. Owns the wake event and the lock.
#pragma once

#include <windows.h>

#include <deque>
#include <string>

namespace ryn {

struct RynCommand {
    enum Kind { kStop = 0, kRunnable = 1, kStartJob = 2, kResumeFiber = 3 };
    int kind;
    void* object;
};

class RynTaskThreadData {
public:
    RynTaskThreadData(int key, const char* name);
    ~RynTaskThreadData();
    RynTaskThreadData(const RynTaskThreadData&) = delete;
    RynTaskThreadData& operator=(const RynTaskThreadData&) = delete;

    // Appends under the lock and wakes the thread: a posted message while it has a window, else its event.
    void Push(const RynCommand& command);
    // Moves every queued command out under the lock.
    std::deque<RynCommand> TakeAll();
    // Sets or clears the wake-up window under the lock; commands that were already queued are signalled to it.
    void SetWindow(HWND newWindow);
    HWND Window();

    int key;
    DWORD threadId = 0;
    HANDLE threadHandle = nullptr;  // thread 2 only
    HANDLE wakeEvent;
    std::string name;

private:
    CRITICAL_SECTION mLock;
    HWND mWindow = nullptr;  // thread 1 only, until ExitUIThread
    std::deque<RynCommand> mQueue;
};

}  // namespace ryn
