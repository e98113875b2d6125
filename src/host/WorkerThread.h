// WorkerThread: the thread that drives the hosted game's frames.
//
// Contract. The session starts and stops it on the window thread, once per
// game. Each pass sleeps WORKER_SLEEP_MS and runs one step, holding
// UpdateLock, when at least STEP_GATE_MS have passed since the previous step
// began and no level change is in progress. A step may ask its own thread to
// end (RequestStop); only another thread waits for it (Stop). Tests run passes
// and steps by hand, without a thread.
#pragma once

#include "host/UpdateLock.h"
#include "platform/Clock.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <thread>

namespace dravo {

constexpr uint32_t STEP_GATE_MS = 8;           // at least this long between the starts of two steps
constexpr uint32_t WORKER_SLEEP_MS = 9;        // every pass of the worker sleeps this long
constexpr uint32_t WORKER_STOP_WAIT_MS = 1000; // how long Stop waits before it says so

// What each step runs; the session.
class IUpdateStep {
public:
    virtual ~IUpdateStep() = default;
    // No step runs while a level change is in progress.
    virtual bool IsLevelChanging() const = 0;
    // One step, under UpdateLock; deltaMs is the time since the previous step began (0 for the first).
    virtual void RunStep(uint32_t deltaMs) = 0;
};

class WorkerThread {
public:
    WorkerThread(IClock& clock, UpdateLock& lock, IUpdateStep& step) : m_Clock(clock), m_Lock(lock), m_Step(step) {}
    ~WorkerThread();
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    // Starts the thread, or only the step timing when `withThread` is false (tests step by hand).
    void Start(bool withThread = true);
    // Asks the loop to end after the pass in progress; from any thread, the worker's own included.
    void RequestStop() { m_Running = false; }
    // Asks, then waits for the thread to end. When it takes longer than WORKER_STOP_WAIT_MS, `late` runs
    // and the wait goes on: ending a thread from outside would leave the engine in an unknown state.
    // Not from the worker thread itself.
    void Stop(const std::function<void()>& late = {});

    // One pass: a step when the gate allows it.
    void Pass();
    // One step with its timing; the caller holds UpdateLock.
    void Step();

    bool HasThread() const { return m_Thread.joinable(); }
    bool IsWorkerThread() const { return m_Thread.get_id() == std::this_thread::get_id(); }

private:
    void Run();

    IClock& m_Clock;
    UpdateLock& m_Lock;
    IUpdateStep& m_Step;
    std::atomic<bool> m_Running{false};
    std::thread m_Thread;
    // The thread marks its own end, so that Stop can wait with a bound.
    std::mutex m_EndMutex;
    std::condition_variable m_Ended;
    bool m_Done = false;
    // Step timing (the stepping thread).
    std::atomic<uint32_t> m_LastStepStart{0};
    uint32_t m_PreviousStep = 0;
    bool m_FirstStep = true;
};

} // namespace dravo
