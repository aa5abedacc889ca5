// A runnable run again and again by its task thread's timer pass, without a system timer of its own.
// Created, stopped and run on one task thread only; owns its runnable (deleted with the timer).
#pragma once

#include "RynTimer.h"

namespace ryn {

class RynRunnable;

class RynThreadNormalTimer : public RynTimer {
public:
    RynThreadNormalTimer(RynRunnable* runnable, unsigned interval, unsigned due);
    ~RynThreadNormalTimer() override;
    RynThreadNormalTimer(const RynThreadNormalTimer&) = delete;
    RynThreadNormalTimer& operator=(const RynThreadNormalTimer&) = delete;

    RynRunnable* runnable;
    unsigned interval;  // ms between two runs
    unsigned due;       // GetTickCount value the tick count must exceed
    int stopped;        // 1 once StopThreadTimer was called
};

// On a task thread: runs runnable every interval ms from now on. The thread's list owns the timer; the pointer is
// only a handle for StopThreadTimer. Returns null on a thread that is no task thread (the runnable is deleted).
RynThreadNormalTimer* StartThreadTimer(RynRunnable* runnable, unsigned interval);
// On the creating thread: marks the timer stopped; it leaves the list at the next pass. Unknown pointers are ignored.
void StopThreadTimer(RynThreadNormalTimer* timer);

}  // namespace ryn
