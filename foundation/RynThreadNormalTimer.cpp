#include "RynThreadNormalTimer.h"

#include <windows.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "Logger.h"
#include "RynRunnable.h"
#include "RynScheduler.h"

namespace ryn {

RynThreadNormalTimer::RynThreadNormalTimer(RynRunnable* runnable, unsigned interval, unsigned due)
    : runnable(runnable), interval(interval), due(due), stopped(0) {}

RynThreadNormalTimer::~RynThreadNormalTimer() { delete runnable; }

RynThreadNormalTimer* StartThreadTimer(RynRunnable* runnable, unsigned interval) {
    RynScheduler* scheduler = CurrentScheduler();
    if (scheduler == nullptr) {
        RYN_LOG(3, "ryn::StartThreadTimer").Append(L"called on a thread that is no task thread");
        delete runnable;
        return nullptr;
    }
    auto timer = std::make_shared<RynThreadNormalTimer>(runnable, interval, GetTickCount() + interval);
    scheduler->timers.push_back(timer);
    return timer.get();
}

void StopThreadTimer(RynThreadNormalTimer* timer) {
    RynScheduler* scheduler = CurrentScheduler();
    if (scheduler == nullptr || timer == nullptr) return;
    for (const auto& listed : scheduler->timers) {
        if (listed.get() == timer) {
            listed->stopped = 1;
            return;
        }
    }
}

void RunTimerPass(RynScheduler& scheduler) {
    const DWORD now = GetTickCount();
    std::vector<std::shared_ptr<RynThreadNormalTimer>> fire;
    auto& timers = scheduler.timers;
    for (auto it = timers.begin(); it != timers.end();) {
        const auto& timer = *it;
        if (timer->stopped != 0) {
            it = timers.erase(it);
            continue;
        }
        if (now > timer->due) {
            fire.push_back(timer);
            timer->due = now + timer->interval;
        }
        ++it;
    }
    // The walk is over before any runnable runs, so a runnable may start or stop timers freely; one stopped by an
    // earlier runnable of this pass does not run any more.
    for (const auto& timer : fire) {
        if (timer->stopped == 0) timer->runnable->Run();
    }
}

}  // namespace ryn
