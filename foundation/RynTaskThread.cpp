#include "RynTaskThread.h"

#include <windows.h>
#include <objbase.h>

#include <map>
#include <memory>

#include "Logger.h"
#include "RynRunnable.h"
#include "RynScheduler.h"
#include "RynTaskRunnable.h"

namespace ryn {

namespace {

constexpr UINT kWakeMessage = WM_USER + 1;
constexpr UINT_PTR kUITimerId = 100;
constexpr UINT kUITimerMs = 200;
constexpr DWORD kIOWaitMs = 100;
constexpr DWORD kIOTimerPassMs = 200;
const wchar_t kWindowClass[] = L"RynTaskFoundation_MessagePumpWindow";

// The registry and the thread-local slot exist before main runs and live as long as the process.
class Registry {
public:
    Registry() : mTlsSlot(TlsAlloc()) { InitializeCriticalSection(&mLock); }
    ~Registry() { DeleteCriticalSection(&mLock); }

    std::shared_ptr<RynTaskThreadData> Find(int key) {
        EnterCriticalSection(&mLock);
        auto found = mThreads.find(key);
        std::shared_ptr<RynTaskThreadData> data = found != mThreads.end() ? found->second : nullptr;
        LeaveCriticalSection(&mLock);
        return data;
    }
    void Add(const std::shared_ptr<RynTaskThreadData>& data) {
        EnterCriticalSection(&mLock);
        mThreads[data->key] = data;
        LeaveCriticalSection(&mLock);
    }
    std::shared_ptr<RynTaskThreadData> Remove(int key) {
        EnterCriticalSection(&mLock);
        std::shared_ptr<RynTaskThreadData> data;
        auto found = mThreads.find(key);
        if (found != mThreads.end()) {
            data = found->second;
            mThreads.erase(found);
        }
        LeaveCriticalSection(&mLock);
        return data;
    }
    // Runs f under the registry lock (StartIOThread checks and registers in one step).
    template <class F>
    void Locked(F f) {
        EnterCriticalSection(&mLock);
        f(mThreads);
        LeaveCriticalSection(&mLock);
    }
    DWORD TlsSlot() const { return mTlsSlot; }

private:
    CRITICAL_SECTION mLock;
    std::map<int, std::shared_ptr<RynTaskThreadData>> mThreads;
    DWORD mTlsSlot;
};

Registry gRegistry;

void DeleteCommandObject(const RynCommand& command) {
    if (command.kind == RynCommand::kRunnable) delete static_cast<RynRunnable*>(command.object);
    if (command.kind == RynCommand::kStartJob) delete static_cast<RynTaskRunnable*>(command.object);
}

void Post(int key, int kind, void* object) {
    const std::shared_ptr<RynTaskThreadData> data = gRegistry.Find(key);
    if (!data) {
        DeleteCommandObject(RynCommand{kind, object});  // never runs; nobody else owns it
        return;
    }
    data->Push(RynCommand{kind, object});
}

// ConvertThreadToFiberEx (with the floating-point state switched too) where the system has it.
bool ConvertToFiber(RynFiberRecord& mainRecord) {
    using ConvertEx = LPVOID(WINAPI*)(LPVOID, DWORD);
    const auto convertEx =
        reinterpret_cast<ConvertEx>(GetProcAddress(GetModuleHandleW(L"Kernel32.dll"), "ConvertThreadToFiberEx"));
    mainRecord.fiber =
        convertEx != nullptr ? convertEx(&mainRecord, FIBER_FLAG_FLOAT_SWITCH) : ConvertThreadToFiber(&mainRecord);
    if (mainRecord.fiber == nullptr) {
        RYN_LOG(3, "ryn::ConvertToFiber").AppendFormat(L"ConvertThreadToFiber failed: %d", GetLastError());
        return false;
    }
    return true;
}

void ProcessPendingMoves(RynScheduler& scheduler) {
    // Swap first: posting never runs code on this thread, but keep the list consistent for re-entry anyway.
    std::vector<std::pair<int, RynFiberRecord*>> moves;
    moves.swap(scheduler.pendingMoves);
    for (const auto& move : moves) Post(move.first, RynCommand::kResumeFiber, move.second);
}

void WINAPI FiberMain(void* parameter) {
    auto* record = static_cast<RynFiberRecord*>(parameter);
    RynScheduler* home = CurrentScheduler();
    while (record->job != nullptr) {
        {
            RynTask task(record);
            record->job->OnRunning(task);
        }
        delete record->job;
        RynFiberRecord* returnTo = record->returnRecord;
        record->job = nullptr;
        record->returnRecord = nullptr;
        home->idleFibers.push_back(record);
        SwitchToFiber(returnTo->fiber);  // resumes here with the next job
    }
}

void StartJob(RynScheduler& scheduler, RynTaskRunnable* job) {
    RynFiberRecord* record = nullptr;
    if (!scheduler.idleFibers.empty()) {
        record = scheduler.idleFibers.front();
        scheduler.idleFibers.pop_front();
    } else {
        record = new RynFiberRecord;
        record->fiber = CreateFiber(0, FiberMain, record);
        if (record->fiber == nullptr) {
            // Switching to an empty fiber would crash the thread: drop the job instead.
            RYN_LOG(3, "ryn::StartJob").AppendFormat(L"CreateFiber failed: %d", GetLastError());
            delete record;
            delete job;
            return;
        }
    }
    record->returnRecord = &scheduler.mainRecord;
    record->job = job;
    SwitchToFiber(record->fiber);
    ProcessPendingMoves(scheduler);
}

// Drains the calling thread's queue; true when a stop command was met.
bool Drain(RynScheduler& scheduler) {
    std::deque<RynCommand> commands = scheduler.data->TakeAll();
    while (!commands.empty()) {
        const RynCommand command = commands.front();
        commands.pop_front();
        switch (command.kind) {
            case RynCommand::kStop:
                ProcessPendingMoves(scheduler);
                for (const RynCommand& discarded : commands) DeleteCommandObject(discarded);
                return true;
            case RynCommand::kRunnable: {
                std::unique_ptr<RynRunnable> runnable(static_cast<RynRunnable*>(command.object));
                runnable->Run();
                break;
            }
            case RynCommand::kStartJob:
                StartJob(scheduler, static_cast<RynTaskRunnable*>(command.object));
                break;
            case RynCommand::kResumeFiber: {
                auto* record = static_cast<RynFiberRecord*>(command.object);
                record->returnRecord = &scheduler.mainRecord;
                SwitchToFiber(record->fiber);
                ProcessPendingMoves(scheduler);
                break;
            }
            default:
                break;
        }
    }
    return false;
}

LRESULT CALLBACK MessagePumpProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (RynScheduler* scheduler = CurrentScheduler()) {
        if (message == WM_TIMER && wParam == kUITimerId) {
            RunTimerPass(*scheduler);
        } else if (message == kWakeMessage) {
            if (Drain(*scheduler)) PostQuitMessage(0);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

DWORD WINAPI IOThreadMain(void* parameter) {
    std::unique_ptr<RynScheduler> scheduler(static_cast<RynScheduler*>(parameter));
    const HRESULT com = CoInitialize(nullptr);
    TlsSetValue(gRegistry.TlsSlot(), scheduler.get());
    scheduler->data->name += " (Task)";
    if (ConvertToFiber(scheduler->mainRecord)) {
        DWORD lastPass = GetTickCount();
        for (;;) {
            const DWORD waited = WaitForSingleObject(scheduler->data->wakeEvent, kIOWaitMs);
            if (waited == WAIT_OBJECT_0) {
                if (Drain(*scheduler)) break;
                if (GetTickCount() - lastPass <= kIOTimerPassMs) continue;
            }
            RunTimerPass(*scheduler);
            lastPass = GetTickCount();
        }
        // Idle fibers belong to this thread alone; a job still away on another thread keeps its fiber.
        for (RynFiberRecord* idle : scheduler->idleFibers) {
            DeleteFiber(idle->fiber);
            delete idle;
        }
        scheduler->idleFibers.clear();
        ConvertFiberToThread();
    }
    if (SUCCEEDED(com)) CoUninitialize();
    TlsSetValue(gRegistry.TlsSlot(), nullptr);
    return 0;
}

}  // namespace

RynScheduler* CurrentScheduler() { return static_cast<RynScheduler*>(TlsGetValue(gRegistry.TlsSlot())); }

int CurrentThreadKey() {
    const RynScheduler* scheduler = CurrentScheduler();
    return scheduler != nullptr ? scheduler->data->key : 0;
}

void InitUIThread() {
    if (CurrentScheduler() != nullptr) return;
    auto data = std::make_shared<RynTaskThreadData>(kRynUIThread, "RynUI (ASY)");
    data->threadId = GetCurrentThreadId();
    auto* scheduler = new RynScheduler;  // thread 1's state lives as long as the process
    scheduler->data = data;
    ConvertToFiber(scheduler->mainRecord);
    TlsSetValue(gRegistry.TlsSlot(), scheduler);
    gRegistry.Add(data);

    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSW existing = {};
    if (!GetClassInfoW(instance, kWindowClass, &existing)) {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = MessagePumpProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = kWindowClass;
        if (RegisterClassW(&windowClass) == 0) {
            RYN_LOG(3, "ryn::InitUIThread").AppendFormat(L"RegisterClass failed: %d", GetLastError());
        }
    }
    HWND window = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window == nullptr) {
        RYN_LOG(3, "ryn::InitUIThread").AppendFormat(L"CreateWindow failed: %d", GetLastError());
        return;
    }
    if (SetTimer(window, kUITimerId, kUITimerMs, nullptr) == 0) {
        RYN_LOG(3, "ryn::InitUIThread").AppendFormat(L"SetTimer failed: %d", GetLastError());
    }
    data->SetWindow(window);
}

void ExitUIThread() {
    RynScheduler* scheduler = CurrentScheduler();
    if (scheduler == nullptr || scheduler->data->key != kRynUIThread) return;
    HWND window = scheduler->data->Window();
    if (window == nullptr) return;
    scheduler->data->SetWindow(nullptr);
    KillTimer(window, kUITimerId);
    DestroyWindow(window);
}

void StartIOThread() {
    gRegistry.Locked([](std::map<int, std::shared_ptr<RynTaskThreadData>>& threads) {
        if (threads.count(kRynIOThread) != 0) return;
        auto data = std::make_shared<RynTaskThreadData>(kRynIOThread, "RynIO");
        auto* scheduler = new RynScheduler;
        scheduler->data = data;
        DWORD threadId = 0;
        HANDLE thread = CreateThread(nullptr, 0, IOThreadMain, scheduler, 0, &threadId);
        if (thread == nullptr) {
            RYN_LOG(3, "ryn::StartIOThread").AppendFormat(L"CreateThread failed: %d", GetLastError());
            delete scheduler;
            return;
        }
        data->threadHandle = thread;
        data->threadId = threadId;
        threads[kRynIOThread] = data;
    });
}

void StopIOThread() {
    const std::shared_ptr<RynTaskThreadData> data = gRegistry.Remove(kRynIOThread);
    if (!data || data->threadHandle == nullptr) return;
    data->Push(RynCommand{RynCommand::kStop, nullptr});
    WaitForSingleObject(data->threadHandle, INFINITE);
    CloseHandle(data->threadHandle);
    data->threadHandle = nullptr;
}

void PostRunnable(int key, RynRunnable* runnable) { Post(key, RynCommand::kRunnable, runnable); }

void PostTask(int key, RynTaskRunnable* job) { Post(key, RynCommand::kStartJob, job); }

// Internal to the switch scope: queue a fiber's resumption on a thread, telling whether that thread exists.
bool IsTaskThreadRegistered(int key) { return gRegistry.Find(key) != nullptr; }

}  // namespace ryn
