#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <functional>
#include <mutex>
#include <vector>

#include "RynFunctionalRunnable.h"
#include "RynScheduler.h"
#include "RynTaskRunnable.h"
#include "RynTaskSwitchScope.h"
#include "RynTaskThread.h"
#include "RynThreadNormalTimer.h"
#include "TestSupport.h"

using ryn::kRynIOThread;
using ryn::kRynUIThread;

namespace {

using qvtest::PumpUntil;

ryn::RynFunctionalRunnable* Runnable(std::function<void()> f) { return new ryn::RynFunctionalRunnable(f); }

// A runnable that reports its own deletion.
struct Probe : ryn::RynRunnable {
    Probe(std::atomic<int>* runs, std::atomic<int>* deletions) : runs(runs), deletions(deletions) {}
    ~Probe() override { ++*deletions; }
    void Run() override { ++*runs; }
    std::atomic<int>* runs;
    std::atomic<int>* deletions;
};

struct FunctionJob : ryn::RynTaskRunnable {
    explicit FunctionJob(std::function<void(ryn::RynTask&)> f) : f(std::move(f)) {}
    void OnRunning(ryn::RynTask& task) override { f(task); }
    std::function<void(ryn::RynTask&)> f;
};

class TaskThreads : public ::testing::Test {
protected:
    void SetUp() override {
        ryn::InitUIThread();
        ryn::StartIOThread();
    }
    void TearDown() override { ryn::StopIOThread(); }
};

}  // namespace

TEST_F(TaskThreads, RunnablesRunInPostingOrderOnTheirThread) {
    std::mutex lock;
    std::vector<std::pair<int, int>> seen;  // (thread key, order)
    for (int key : {kRynIOThread, kRynUIThread}) {
        for (int i = 0; i < 5; ++i) {
            ryn::PostRunnable(key, Runnable([&, i] {
                                  std::lock_guard<std::mutex> hold(lock);
                                  seen.emplace_back(ryn::CurrentThreadKey(), i);
                              }));
        }
    }
    ASSERT_TRUE(PumpUntil([&] {
        std::lock_guard<std::mutex> hold(lock);
        return seen.size() == 10;
    }));
    for (int key : {kRynIOThread, kRynUIThread}) {
        std::vector<int> order;
        for (const auto& item : seen) {
            if (item.first == key) order.push_back(item.second);
        }
        EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3, 4})) << "thread " << key;
    }
    EXPECT_EQ(ryn::CurrentThreadKey(), kRynUIThread);
}

TEST_F(TaskThreads, UnknownKeyDropsTheRunnable) {
    std::atomic<int> runs{0}, deletions{0};
    ryn::PostRunnable(3, new Probe(&runs, &deletions));
    std::atomic<bool> later{false};
    ryn::PostRunnable(kRynIOThread, Runnable([&] { later = true; }));
    ASSERT_TRUE(PumpUntil([&] { return later.load(); }));
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(deletions, 1);
}

TEST_F(TaskThreads, StopDiscardsWhatFollowsInTheSameDrain) {
    std::atomic<int> runs{0}, deletions{0};
    std::atomic<DWORD> ioThread{0};
    std::atomic<bool> queued{false};
    ryn::PostRunnable(kRynIOThread, Runnable([&] {
                          ioThread = GetCurrentThreadId();
                          const auto& data = ryn::CurrentScheduler()->data;
                          data->Push(ryn::RynCommand{ryn::RynCommand::kStop, nullptr});
                          data->Push(ryn::RynCommand{ryn::RynCommand::kRunnable, new Probe(&runs, &deletions)});
                          queued = true;
                      }));
    ASSERT_TRUE(PumpUntil([&] { return queued.load(); }));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, ioThread);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(WaitForSingleObject(thread, 10000), WAIT_OBJECT_0);  // the loop ended on its own
    CloseHandle(thread);
    EXPECT_EQ(runs, 0);
    EXPECT_EQ(deletions, 1);
}

TEST_F(TaskThreads, JobHopsToThreadOneWhileThreadTwoStaysFreeAndItsFiberIsReused) {
    const DWORD mainThread = GetCurrentThreadId();
    std::atomic<DWORD> before{0}, during{0}, after{0};
    std::atomic<void*> firstFiber{nullptr}, secondFiber{nullptr};
    std::atomic<bool> ioRanMeanwhile{false}, done{false};
    ryn::PostTask(kRynIOThread, new FunctionJob([&](ryn::RynTask& task) {
                      before = GetCurrentThreadId();
                      firstFiber = GetCurrentFiber();
                      {
                          ryn::RynTaskSwitchScope onUI(task, kRynUIThread);
                          during = GetCurrentThreadId();
                          // Thread 2 must be free to run this while the job sits on thread 1.
                          HANDLE ran = CreateEventW(nullptr, TRUE, FALSE, nullptr);
                          ryn::PostRunnable(kRynIOThread, Runnable([ran] { SetEvent(ran); }));
                          ioRanMeanwhile = WaitForSingleObject(ran, 10000) == WAIT_OBJECT_0;
                          CloseHandle(ran);
                      }
                      after = GetCurrentThreadId();
                      done = true;
                  }));
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    EXPECT_NE(before, mainThread);
    EXPECT_EQ(during, mainThread);
    EXPECT_EQ(after, before);
    EXPECT_TRUE(ioRanMeanwhile);

    std::atomic<bool> secondDone{false};
    ryn::PostTask(kRynIOThread, new FunctionJob([&](ryn::RynTask&) {
                      secondFiber = GetCurrentFiber();
                      secondDone = true;
                  }));
    ASSERT_TRUE(PumpUntil([&] { return secondDone.load(); }));
    EXPECT_EQ(secondFiber.load(), firstFiber.load());
}

TEST_F(TaskThreads, SecondJobStartsOnANewFiberWhileTheFirstIsAway) {
    HANDLE secondStarted = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::atomic<void*> firstFiber{nullptr}, secondFiber{nullptr};
    std::atomic<bool> sawSecond{false}, done{false};
    ryn::PostTask(kRynIOThread, new FunctionJob([&](ryn::RynTask& task) {
                      firstFiber = GetCurrentFiber();
                      ryn::RynTaskSwitchScope onUI(task, kRynUIThread);
                      ryn::PostTask(kRynIOThread, new FunctionJob([&](ryn::RynTask&) {
                                        secondFiber = GetCurrentFiber();
                                        SetEvent(secondStarted);
                                    }));
                      sawSecond = WaitForSingleObject(secondStarted, 10000) == WAIT_OBJECT_0;
                      done = true;
                  }));
    ASSERT_TRUE(PumpUntil([&] { return done.load(); }));
    EXPECT_TRUE(sawSecond);
    EXPECT_NE(secondFiber.load(), nullptr);
    EXPECT_NE(secondFiber.load(), firstFiber.load());
    CloseHandle(secondStarted);
}

TEST_F(TaskThreads, JobWhoseFiberCannotBeCreatedIsDeletedUnrun) {
    // Reserve the whole free address space so that no fiber stack fits, then post a job.
    std::vector<void*> reserved;
    for (SIZE_T size = 256u << 20; size >= 64u << 10;) {
        if (void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS)) {
            reserved.push_back(block);
        } else {
            size /= 2;
        }
    }
    struct Job : FunctionJob {
        Job(std::atomic<bool>* ran, std::atomic<bool>* deleted)
            : FunctionJob([ran](ryn::RynTask&) { *ran = true; }), deleted(deleted) {}
        ~Job() override { *deleted = true; }
        std::atomic<bool>* deleted;
    };
    std::atomic<bool> ran{false}, deleted{false};
    ryn::PostTask(kRynIOThread, new Job(&ran, &deleted));
    const bool gone = PumpUntil([&] { return deleted.load(); });
    for (void* block : reserved) VirtualFree(block, 0, MEM_RELEASE);
    EXPECT_TRUE(gone);
    EXPECT_FALSE(ran);
    // The thread survived and runs the next job once memory is back.
    std::atomic<bool> nextRan{false};
    ryn::PostTask(kRynIOThread, new FunctionJob([&](ryn::RynTask&) { nextRan = true; }));
    EXPECT_TRUE(PumpUntil([&] { return nextRan.load(); }));
}

TEST_F(TaskThreads, IdleThreadTwoRunsATimerPassAboutEveryHundredMilliseconds) {
    std::atomic<int> passes{0};
    std::atomic<bool> started{false};
    ryn::PostRunnable(kRynIOThread, Runnable([&] {
                          // Interval 0: due at every pass whose tick count moved on.
                          ryn::StartThreadTimer(Runnable([&] { ++passes; }), 0);
                          started = true;
                      }));
    ASSERT_TRUE(PumpUntil([&] { return started.load(); }));
    Sleep(1000);
    const int seen = passes;
    EXPECT_GE(seen, 4) << "about ten passes expected in one second";
    EXPECT_LE(seen, 20) << "about ten passes expected in one second";
}

TEST_F(TaskThreads, StopIOThreadJoinsTheThread) {
    std::atomic<DWORD> ioThread{0};
    ryn::PostRunnable(kRynIOThread, Runnable([&] { ioThread = GetCurrentThreadId(); }));
    ASSERT_TRUE(PumpUntil([&] { return ioThread.load() != 0; }));
    HANDLE thread = OpenThread(SYNCHRONIZE, FALSE, ioThread);
    ASSERT_NE(thread, nullptr);
    ryn::StopIOThread();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
    // Key 2 is gone: what is posted now is dropped and deleted.
    std::atomic<int> runs{0}, deletions{0};
    ryn::PostRunnable(kRynIOThread, new Probe(&runs, &deletions));
    EXPECT_EQ(deletions, 1);
    EXPECT_EQ(runs, 0);
}

// Timers, driven by running thread 1's timer pass by hand so every step is deterministic.
class Timers : public ::testing::Test {
protected:
    void SetUp() override { ryn::InitUIThread(); }
    static void Pass() { ryn::RunTimerPass(*ryn::CurrentScheduler()); }
};

TEST_F(Timers, NotRunWhenNowEqualsDueButAtTheNextPass) {
    std::atomic<int> runs{0}, deletions{0};
    ryn::RynThreadNormalTimer* timer = ryn::StartThreadTimer(new Probe(&runs, &deletions), 2000);
    ASSERT_NE(timer, nullptr);
    // Retry until a pass ran within one tick value, so "now" is known to equal "due".
    bool sampled = false;
    for (int attempt = 0; attempt < 50 && !sampled; ++attempt) {
        const DWORD now = GetTickCount();
        timer->due = now;
        Pass();
        sampled = GetTickCount() == now;
        if (sampled) {
            EXPECT_EQ(runs, 0);
        }
    }
    ASSERT_TRUE(sampled);
    timer->due = GetTickCount() - 1;
    Pass();
    EXPECT_EQ(runs, 1);
    EXPECT_GE(timer->due, GetTickCount() + 1000);  // rescheduled one interval ahead
    ryn::StopThreadTimer(timer);
    Pass();
}

TEST_F(Timers, StoppingInsideRunFinishesThatRunAndDeletesTheRunnableAtTheNextPass) {
    std::atomic<int> runs{0}, deletions{0};
    ryn::RynThreadNormalTimer* timer = nullptr;
    struct SelfStopper : Probe {
        using Probe::Probe;
        ryn::RynThreadNormalTimer** self = nullptr;
        void Run() override {
            ryn::StopThreadTimer(*self);
            Probe::Run();  // the current run goes on after the stop
        }
    };
    auto* runnable = new SelfStopper(&runs, &deletions);
    runnable->self = &timer;
    timer = ryn::StartThreadTimer(runnable, 0);
    timer->due = GetTickCount() - 1;
    Pass();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(deletions, 0);
    Sleep(20);
    Pass();
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(deletions, 1);
}

TEST_F(Timers, UnknownPointerChangesNothingAndDueTimersRunInCreationOrder) {
    std::vector<int> order;
    ryn::RynThreadNormalTimer* first = ryn::StartThreadTimer(Runnable([&] { order.push_back(1); }), 5000);
    ryn::RynThreadNormalTimer* second = ryn::StartThreadTimer(Runnable([&] { order.push_back(2); }), 5000);
    ryn::RynThreadNormalTimer stranger(nullptr, 0, 0);
    ryn::StopThreadTimer(&stranger);
    second->due = first->due = GetTickCount() - 1;
    Pass();
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    ryn::StopThreadTimer(first);
    ryn::StopThreadTimer(second);
    Pass();
}

namespace {

struct PlainThreadArgs {
    ryn::RynThreadNormalTimer* timer;
    Probe* probe;
};

DWORD WINAPI StartTimerOnPlainThread(void* p) {
    auto* args = static_cast<PlainThreadArgs*>(p);
    args->timer = ryn::StartThreadTimer(args->probe, 10);
    return 0;
}

}  // namespace

TEST(TaskThreadsWithoutScheduler, TimerOnAPlainThreadIsRefused) {
    std::atomic<int> runs{0}, deletions{0};
    PlainThreadArgs args{reinterpret_cast<ryn::RynThreadNormalTimer*>(1), new Probe(&runs, &deletions)};
    HANDLE thread = CreateThread(nullptr, 0, StartTimerOnPlainThread, &args, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    WaitForSingleObject(thread, 10000);
    CloseHandle(thread);
    EXPECT_EQ(args.timer, nullptr);
    EXPECT_EQ(deletions, 1);
}
