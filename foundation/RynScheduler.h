// Per-thread scheduler state of a task thread, reachable through a process-wide thread-local slot. Touched only by
// code running on that thread (its main fiber or one of its fibers), so it needs no lock. Owns the main fiber
// record, the idle fiber records and the thread's timers.
#pragma once

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "RynTaskThreadData.h"

namespace ryn {

class RynTaskRunnable;
class RynThreadNormalTimer;

// One per fiber; a moving fiber's record is handed from thread to thread through the target's command queue.
struct RynFiberRecord {
    void* fiber = nullptr;
    RynFiberRecord* returnRecord = nullptr;  // whom to switch to when this fiber gives up its thread
    RynTaskRunnable* job = nullptr;
};

struct RynScheduler {
    std::shared_ptr<RynTaskThreadData> data;
    RynFiberRecord mainRecord;
    std::deque<RynFiberRecord*> idleFibers;
    std::vector<std::pair<int, RynFiberRecord*>> pendingMoves;
    std::vector<std::shared_ptr<RynThreadNormalTimer>> timers;
};

// The calling thread's scheduler, or null on a thread that is no task thread.
RynScheduler* CurrentScheduler();

// Whether a task thread with this key is registered now.
bool IsTaskThreadRegistered(int key);

// Runs the calling thread's timer pass (defined with the timers).
void RunTimerPass(RynScheduler& scheduler);

}  // namespace ryn
