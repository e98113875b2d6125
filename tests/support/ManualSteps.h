// ManualSteps: a step driver without a thread. Hosting starts no worker; the test runs each step itself,
// with the timing the worker gives its steps.
#pragma once

#include "host/session/WorkerThread.h"
#include "platform/os/Clock.h"

#include <functional>

namespace dravo::test {

class ManualSteps final : public IStepDriver {
public:
    explicit ManualSteps(const IClock& clock) : m_Clock(clock) {}

    void Start(IUpdateStep& step) override {
        m_Step = &step;
        m_Timer.Restart();
    }
    void RequestStop() override {}
    void Stop(const std::function<void()>&) override {}

    // One step, as the worker runs it; the caller holds UpdateLock. Nothing before hosting started.
    void Step() {
        if (m_Step != nullptr) {
            m_Timer.Step(*m_Step, m_Clock);
        }
    }

private:
    const IClock& m_Clock;
    IUpdateStep* m_Step = nullptr;
    StepTimer m_Timer;
};

} // namespace dravo::test
