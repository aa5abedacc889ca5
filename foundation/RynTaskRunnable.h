// A job that runs on a fiber of a task thread and may move itself between threads (RynTaskSwitchScope).
// Ownership passes to the foundation with ryn::PostTask; the fiber deletes the job after OnRunning returns.
#pragma once

#include "RynTask.h"

namespace ryn {

class RynTaskRunnable {
public:
    virtual ~RynTaskRunnable() = default;
    virtual void OnRunning(RynTask& task) = 0;
};

}  // namespace ryn
