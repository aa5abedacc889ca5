// Moves the running fiber job to another task thread for the scope's lifetime: the constructor returns on the
// target thread, the destructor returns on the thread the scope was made on. Only inside OnRunning (or code it
// calls) with the job's own RynTask. Owns nothing.
#pragma once

#include "RynTask.h"

namespace ryn {

class RynTaskSwitchScope {
public:
    RynTaskSwitchScope(RynTask& task, int targetKey);
    ~RynTaskSwitchScope();
    RynTaskSwitchScope(const RynTaskSwitchScope&) = delete;
    RynTaskSwitchScope& operator=(const RynTaskSwitchScope&) = delete;

private:
    int mSourceKey;
    int mTargetKey;
    RynTask& mTask;
    bool mMoved;
};

}  // namespace ryn
