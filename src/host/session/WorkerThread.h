// WorkerThread: the thread that drives the hosted game's frames.
//
// Contract. The session starts and stops it on the window thread, once per
// game, through IStepDriver. Each pass sleeps WORKER_SLEEP_MS and runs one
// step, holding UpdateLock, when at least STEP_GATE_MS have passed since the
// previous step began and no level change is in progress. A step may ask its
// own thread to end (RequestStop); only another thread waits for it (Stop).
// The steps' timing is StepTimer's, which tests that run steps by hand use too.
#pragma once

#include "host/state/UpdateLock.h"
#include "platform/os/Clock.h"

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

// What runs the steps while a game is hosted: the WorkerThread.
class IStepDriver {
public:
    virtual ~IStepDriver() = default;
    // Hosting starts: steps of `step` begin, the first with a delta of 0. `step` outlives the steps.
    virtual void Start(IUpdateStep& step) = 0;
    // Asks the steps to end after the one in progress; from any thread, a step's own included.
    virtual void RequestStop() = 0;
    // Asks, then waits for the steps to end. When that takes longer than WORKER_STOP_WAIT_MS, `late` runs
    // and the wait goes on. Not from a step.
    virtual void Stop(const std::function<void()>& late) = 0;
};

// The timing of the steps: the gate, and the time since the previous step began.
class StepTimer {
public:
    // The next step is a first one.
    void Restart() { m_FirstStep = true; }
    // At least STEP_GATE_MS since the previous step began; any thread.
    bool GateOpen(uint32_t nowMs) const { return static_cast<uint32_t>(nowMs - m_LastStepStart) >= STEP_GATE_MS; }
    // One step with its timing, unless a level change is in progress; the caller holds UpdateLock.
    void Step(IUpdateStep& step, const IClock& clock);

private:
    std::atomic<uint32_t> m_LastStepStart{0};
    uint32_t m_PreviousStep = 0; // the stepping thread's
    bool m_FirstStep = true;
};

class WorkerThread final : public IStepDriver {
public:
    WorkerThread(IClock& clock, UpdateLock& lock) : m_Clock(clock), m_Lock(lock) {}
    ~WorkerThread() override;
    WorkerThread(const WorkerThread&) = delete;
    WorkerThread& operator=(const WorkerThread&) = delete;

    void Start(IUpdateStep& step) override;
    void RequestStop() override { m_Running = false; }
    void Stop(const std::function<void()>& late) override;

private:
    void Run();
    // One pass: a step when the gate allows it.
    void Pass();

    IClock& m_Clock;
    UpdateLock& m_Lock;
    IUpdateStep* m_Step = nullptr;
    StepTimer m_Timer;
    std::atomic<bool> m_Running{false};
    std::thread m_Thread;
    // The thread marks its own end, so that Stop can wait with a bound.
    std::mutex m_EndMutex;
    std::condition_variable m_Ended;
    bool m_Done = false;
};

} // namespace dravo
