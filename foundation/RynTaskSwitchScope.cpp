#include "RynTaskSwitchScope.h"

#include <windows.h>

#include "Logger.h"
#include "RynScheduler.h"
#include "RynTaskThread.h"

namespace ryn {

namespace {

// Gives up the current thread: the thread's scheduler posts the fiber's resumption to targetKey after the switch.
void MoveTo(RynTask& task, int targetKey) {
    RynFiberRecord* record = task.Record();
    RynFiberRecord* returnTo = record->returnRecord;
    record->returnRecord = nullptr;
    CurrentScheduler()->pendingMoves.emplace_back(targetKey, record);
    SwitchToFiber(returnTo->fiber);
}

}  // namespace

RynTaskSwitchScope::RynTaskSwitchScope(RynTask& task, int targetKey)
    : mSourceKey(CurrentThreadKey()), mTargetKey(targetKey), mTask(task), mMoved(false) {
    // A move to a thread that does not exist, or from one that is no task thread, would never come back.
    if (mSourceKey == 0 || !IsTaskThreadRegistered(mTargetKey)) {
        RYN_LOG(3, "RynTaskSwitchScope::RynTaskSwitchScope")
            .AppendFormat(L"cannot move from thread %d to thread %d; the job stays where it is", mSourceKey,
                          mTargetKey);
        return;
    }
    MoveTo(mTask, mTargetKey);
    mMoved = true;
}

RynTaskSwitchScope::~RynTaskSwitchScope() {
    if (mMoved) MoveTo(mTask, mSourceKey);
}

}  // namespace ryn
