#include "RynTaskThreadData.h"

#include "Logger.h"

namespace ryn {

RynTaskThreadData::RynTaskThreadData(int key, const char* name)
    : key(key), wakeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)), name(name) {
    if (wakeEvent == nullptr) {
        RYN_LOG(3, "RynTaskThreadData::RynTaskThreadData").AppendFormat(L"CreateEvent failed: %d", GetLastError());
    }
    InitializeCriticalSection(&mLock);
}

RynTaskThreadData::~RynTaskThreadData() {
    DeleteCriticalSection(&mLock);
    if (wakeEvent != nullptr) CloseHandle(wakeEvent);
}

void RynTaskThreadData::Push(const RynCommand& command) {
    EnterCriticalSection(&mLock);
    mQueue.push_back(command);
    if (mWindow != nullptr) {
        PostMessageW(mWindow, WM_USER + 1, 0, 0);
    } else if (wakeEvent != nullptr) {
        SetEvent(wakeEvent);
    }
    LeaveCriticalSection(&mLock);
}

std::deque<RynCommand> RynTaskThreadData::TakeAll() {
    std::deque<RynCommand> taken;
    EnterCriticalSection(&mLock);
    taken.swap(mQueue);
    LeaveCriticalSection(&mLock);
    return taken;
}

}  // namespace ryn

namespace ryn {

void RynTaskThreadData::SetWindow(HWND newWindow) {
    EnterCriticalSection(&mLock);
    mWindow = newWindow;
    if (mWindow != nullptr && !mQueue.empty()) PostMessageW(mWindow, WM_USER + 1, 0, 0);
    LeaveCriticalSection(&mLock);
}

HWND RynTaskThreadData::Window() {
    EnterCriticalSection(&mLock);
    HWND current = mWindow;
    LeaveCriticalSection(&mLock);
    return current;
}

}  // namespace ryn
