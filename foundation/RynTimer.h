// Base of the task-thread timers.
#pragma once

namespace ryn {

class RynTimer {
public:
    virtual ~RynTimer() = default;
};

}  // namespace ryn
