// Handle of a running fiber job, made by the fiber for each job and passed to OnRunning. Used on whichever thread
// the job currently runs; owns nothing (the fiber record lives as long as the process).
#pragma once

namespace ryn {

struct RynFiberRecord;

class RynTask {
public:
    explicit RynTask(RynFiberRecord* record) : mRecord(record) {}
    virtual ~RynTask() = default;
    RynTask(const RynTask&) = delete;
    RynTask& operator=(const RynTask&) = delete;

    RynFiberRecord* Record() const { return mRecord; }

private:
    RynFiberRecord* mRecord;
};

}  // namespace ryn
