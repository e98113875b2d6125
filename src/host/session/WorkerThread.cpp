// The worker's loop, its gate and its bounded stop.
#include "host/session/WorkerThread.h"

#include <chrono>

namespace dravo {

void StepTimer::Step(IUpdateStep& step, const IClock& clock) {
    if (step.IsLevelChanging()) {
        return; // before the clock is read
    }
    const uint32_t now = clock.NowMs();
    m_LastStepStart = now;
    const uint32_t delta = m_FirstStep ? 0 : now - m_PreviousStep;
    m_FirstStep = false;
    m_PreviousStep = now;
    step.RunStep(delta);
}

WorkerThread::~WorkerThread() {
    if (m_Thread.get_id() != std::this_thread::get_id()) {
        Stop({});
    }
}

void WorkerThread::Start(IUpdateStep& step) {
    m_Step = &step;
    m_Timer.Restart();
    m_Running = true;
    {
        std::scoped_lock lock(m_EndMutex);
        m_Done = false;
    }
    m_Thread = std::thread([this] { Run(); });
}

void WorkerThread::Stop(const std::function<void()>& late) {
    m_Running = false;
    if (!m_Thread.joinable()) {
        return;
    }
    bool inTime = true;
    {
        std::unique_lock lock(m_EndMutex);
        inTime = m_Ended.wait_for(lock, std::chrono::milliseconds(WORKER_STOP_WAIT_MS), [this] { return m_Done; });
    }
    if (!inTime && late) {
        late();
    }
    m_Thread.join();
    m_Thread = std::thread();
}

void WorkerThread::Run() {
    while (m_Running) {
        Pass();
        m_Clock.SleepMs(WORKER_SLEEP_MS);
    }
    // A level change the game began on this thread and never ended must not keep the lock.
    m_Lock.ReleaseLevelChanges();
    std::scoped_lock lock(m_EndMutex);
    m_Done = true;
    m_Ended.notify_all();
}

void WorkerThread::Pass() {
    if (m_Timer.GateOpen(m_Clock.NowMs()) && !m_Step->IsLevelChanging()) {
        std::scoped_lock lock(m_Lock);
        m_Timer.Step(*m_Step, m_Clock);
    }
}

} // namespace dravo
