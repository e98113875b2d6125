// The worker thread and the update step of the hosted game.
#include "host/ServerSession.h"

#include <chrono>

namespace dravo {

void ServerSession::WorkerThread() {
    m_WorkerId = std::this_thread::get_id();
    while (m_Running) {
        StepIfDue();
        m_Clock.SleepMs(WORKER_SLEEP_MS);
    }
    // A level change the game began on this thread and never ended must not keep the lock.
    m_UpdateLock.ReleaseLevelChanges();
    std::scoped_lock lock(m_WorkerEndMutex);
    m_WorkerDone = true;
    m_WorkerEnded.notify_all();
}

void ServerSession::StepIfDue() {
    const uint32_t now = m_Clock.NowMs();
    if (static_cast<uint32_t>(now - m_LastStepStart) >= STEP_GATE_MS && !m_LevelChange) {
        std::scoped_lock lock(m_UpdateLock);
        UpdateStep();
    }
}

void ServerSession::UpdateStep() {
    if (m_LevelChange) {
        return;
    }
    const uint32_t now = m_Clock.NowMs();
    m_LastStepStart = now;
    const uint32_t delta = m_FirstStep ? 0 : now - m_PreviousStep;
    m_FirstStep = false;
    m_PreviousStep = now;
    if (!m_Running) {
        return;
    }
    AdvanceCountdown(delta);

    if (m_Server != nullptr && m_Running) {
        if (m_Server->RunFrame(0) != ENGINE_TRUE) {
            char error[256] = {};
            m_Server->LastErrorText(error, 255);
            error[255] = '\0';
            LogText(error);
            StopHosting(); // on this thread: it only clears the running flag
        }
        m_KickQueue.AdvanceKicks(delta);
    }
    if (m_Running) {
        TickPresence(delta);
    }
}

void ServerSession::AdvanceCountdown(uint32_t delta) {
    if (!m_CountdownArmed) {
        return;
    }
    m_CountdownRemaining = delta >= m_CountdownRemaining ? 0 : m_CountdownRemaining - delta;
    if (m_CountdownRemaining == 0) {
        m_CountdownArmed = false; // one close request is enough
        m_ExitWithoutAsking = true;
        m_View.RequestClose();
    }
}

void ServerSession::StopWorker() {
    if (!m_Worker.joinable()) {
        return;
    }
    if (std::this_thread::get_id() == m_Worker.get_id()) {
        return; // the loop ends after this step; the window thread joins it later
    }
    std::unique_lock lock(m_WorkerEndMutex);
    if (!m_WorkerEnded.wait_for(lock, std::chrono::milliseconds(WORKER_STOP_WAIT_MS),
                                [this] { return m_WorkerDone; })) {
        lock.unlock();
        // Ending a thread from outside would leave the engine in an unknown state; wait for it instead.
        LogLine("ERROR - The update thread did not stop within %u ms; waiting for it.", WORKER_STOP_WAIT_MS);
    } else {
        lock.unlock();
    }
    m_Worker.join();
}

} // namespace dravo
