// Work posted to a task thread and run to completion on that thread's own stack. Ownership passes to the
// foundation with the post; the thread deletes the runnable after Run.
#pragma once

namespace ryn {

class RynRunnable {
public:
    virtual ~RynRunnable() = default;
    virtual void Run() = 0;
};

}  // namespace ryn
