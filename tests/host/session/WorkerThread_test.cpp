// The worker thread: one pass at a time on a clock that waits for the test, the 8 ms gate, the level
// change that holds the steps, and the stop that says when it is late.
#include "host/session/WorkerThread.h"
#include "support/LockstepClock.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dravo {
namespace {

// Records each step's delta and thread; a step can be held until the test lets it go.
class RecordingStep final : public IUpdateStep {
public:
    bool IsLevelChanging() const override { return m_LevelChanging; }
    void RunStep(uint32_t deltaMs) override {
        std::unique_lock lock(m_Mutex);
        m_Deltas.push_back(deltaMs);
        m_Threads.push_back(std::this_thread::get_id());
        m_Changed.notify_all();
        m_Changed.wait(lock, [this] { return !m_Hold; });
    }

    std::vector<uint32_t> Deltas() const {
        std::scoped_lock lock(m_Mutex);
        return m_Deltas;
    }
    std::thread::id LastThread() const {
        std::scoped_lock lock(m_Mutex);
        return m_Threads.back();
    }
    void Hold(bool hold) {
        std::scoped_lock lock(m_Mutex);
        m_Hold = hold;
        m_Changed.notify_all();
    }
    bool WaitForSteps(size_t count) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_Deltas.size() >= count; });
    }

    std::atomic<bool> m_LevelChanging{false};

private:
    mutable std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<uint32_t> m_Deltas;
    std::vector<std::thread::id> m_Threads;
    bool m_Hold = false;
};

class WorkerThreadTest : public ::testing::Test {
protected:
    test::LockstepClock m_Clock;
    UpdateLock m_Lock;
    RecordingStep m_Step;
    WorkerThread m_Worker{m_Clock, m_Lock};

    void TearDown() override {
        m_Step.Hold(false);
        m_Clock.Release();
        m_Worker.Stop({});
    }
};

TEST_F(WorkerThreadTest, EachPassSleepsAndAStepComesOnlyEightMillisecondsAfterThePreviousBegan) {
    m_Worker.Start(m_Step);
    ASSERT_TRUE(m_Clock.WaitForSleeps(1)); // the first pass steps at once, with a delta of 0
    EXPECT_EQ(m_Step.Deltas(), std::vector<uint32_t>{0});
    EXPECT_NE(m_Step.LastThread(), std::this_thread::get_id());
    EXPECT_EQ(m_Clock.LastSleepMs(), WORKER_SLEEP_MS);

    ASSERT_TRUE(m_Clock.Wake(5)); // 5 ms after the step began: the gate is shut
    EXPECT_EQ(m_Step.Deltas().size(), 1u);
    ASSERT_TRUE(m_Clock.Wake(STEP_GATE_MS - 6)); // 7 ms: still shut
    EXPECT_EQ(m_Step.Deltas().size(), 1u);
    ASSERT_TRUE(m_Clock.Wake(1)); // 8 ms: open
    EXPECT_EQ(m_Step.Deltas(), (std::vector<uint32_t>{0, 8}));
    ASSERT_TRUE(m_Clock.Wake(WORKER_SLEEP_MS)); // the usual pace: one step a pass
    ASSERT_TRUE(m_Clock.Wake(WORKER_SLEEP_MS));
    EXPECT_EQ(m_Step.Deltas(), (std::vector<uint32_t>{0, 8, 9, 9}));
    EXPECT_EQ(m_Clock.LastSleepMs(), WORKER_SLEEP_MS);
}

TEST_F(WorkerThreadTest, NoStepRunsDuringALevelChangeAndTheNextCountsTheWholeWait) {
    m_Worker.Start(m_Step);
    ASSERT_TRUE(m_Clock.WaitForSleeps(1));
    m_Step.m_LevelChanging = true;
    ASSERT_TRUE(m_Clock.Wake(20));
    ASSERT_TRUE(m_Clock.Wake(20));
    EXPECT_EQ(m_Step.Deltas().size(), 1u);
    m_Step.m_LevelChanging = false;
    ASSERT_TRUE(m_Clock.Wake(10));
    EXPECT_EQ(m_Step.Deltas(), (std::vector<uint32_t>{0, 50}));
}

TEST_F(WorkerThreadTest, AStopInTimeSaysNothingAndTheWorkerCanStartAgain) {
    m_Worker.Start(m_Step);
    ASSERT_TRUE(m_Clock.WaitForSleeps(1));
    m_Clock.Release();
    bool late = false;
    m_Worker.Stop([&] { late = true; });
    EXPECT_FALSE(late);
    EXPECT_EQ(m_Step.Deltas().size(), 1u); // the time did not move on, so no second step came
    // The next game's first step has no delta again.
    m_Clock.Advance(STEP_GATE_MS);
    m_Worker.Start(m_Step);
    ASSERT_TRUE(m_Step.WaitForSteps(2));
    m_Worker.Stop([&] { late = true; });
    EXPECT_FALSE(late);
    EXPECT_EQ(m_Step.Deltas(), (std::vector<uint32_t>{0, 0}));
}

TEST_F(WorkerThreadTest, AStopThatTakesLongerThanASecondSaysSoAndStillWaits) {
    m_Step.Hold(true);
    m_Worker.Start(m_Step);
    ASSERT_TRUE(m_Step.WaitForSteps(1)); // the first step is held inside the game
    m_Clock.Release();
    int late = 0;
    bool stillHeld = false;
    // Stop waits WORKER_STOP_WAIT_MS, says so, and waits on: the step ends only when `late` lets it go.
    m_Worker.Stop([&] {
        ++late;
        stillHeld = m_Step.Deltas().size() == 1;
        m_Step.Hold(false);
    });
    EXPECT_EQ(late, 1);
    EXPECT_TRUE(stillHeld);
    EXPECT_EQ(m_Step.Deltas().size(), 1u);
}

TEST(StepTimer, TheFirstStepHasNoDeltaAndALevelChangeSkipsTheStepWithoutReadingTheClock) {
    test::LockstepClock clock(500);
    RecordingStep step;
    StepTimer timer;
    EXPECT_TRUE(timer.GateOpen(500)); // nothing stepped yet
    timer.Step(step, clock);
    EXPECT_FALSE(timer.GateOpen(507));
    EXPECT_TRUE(timer.GateOpen(508));
    step.m_LevelChanging = true;
    timer.Step(step, clock);
    step.m_LevelChanging = false;
    EXPECT_FALSE(timer.GateOpen(507)); // the skipped step did not count as one
    timer.Restart();
    timer.Step(step, clock);
    EXPECT_EQ(step.Deltas(), (std::vector<uint32_t>{0, 0}));
}

} // namespace
} // namespace dravo
