// The two cooperative task threads: 1 "RynUI" (the program's main thread, woken through a hidden message window)
// and 2 "RynIO" (a worker started here, woken through an event). Each owns a command queue of runnables and fiber
// jobs; posting is allowed from any thread, the queue is drained only by its own thread.
#pragma once

namespace ryn {

class RynRunnable;
class RynTaskRunnable;

constexpr int kRynUIThread = 1;
constexpr int kRynIOThread = 2;

// On the main thread, once, before the dialog exists.
void InitUIThread();
// On thread 1 after its message loop ended: kills the 200 ms timer and destroys the hidden window.
void ExitUIThread();
// Starts thread 2 unless it is registered already.
void StartIOThread();
// Stops thread 2 (what is queued behind the stop never runs) and waits for its end.
void StopIOThread();

// Both take ownership. A key that is not registered drops the object unrun (and deletes it).
void PostRunnable(int key, RynRunnable* runnable);
void PostTask(int key, RynTaskRunnable* job);

// Key of the calling thread, 0 when it is no task thread.
int CurrentThreadKey();

}  // namespace ryn
