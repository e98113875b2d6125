// SIGTERM and SIGINT: a close request for the running dialog, and a bounded end of a start-up that
// does not answer.
#include "app/StopSignals.h"
#include "support/ScriptedWindows.h"
#include "window/PickerDialog.h"
#include "window/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <csignal>
#include <mutex>
#include <sstream>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// Stands in for ending the process: notes the status and wakes the test.
class ExitRecorder {
public:
    std::function<void(int)> Function() {
        return [this](int status) {
            std::scoped_lock lock(m_Mutex);
            m_Status = status;
            m_Changed.notify_all();
        };
    }
    std::optional<int> WaitFor(std::chrono::milliseconds limit) {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait_for(lock, limit, [this] { return m_Status.has_value(); });
        return m_Status;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::optional<int> m_Status;
};

class StopSignalsTest : public ::testing::Test {
protected:
    std::ostringstream m_Out;
    std::ostringstream m_Err;
    HeadlessWindowSystem m_Windows{HeadlessOptions{-1, &m_Out, &m_Err}};
    ExitRecorder m_Exit;
};

TEST_F(StopSignalsTest, ASignalClosesTheRunningDialogThroughCancel) {
    StopSignals stops(m_Exit.Function());
    const StopSignals::Attachment attached = stops.Attach(m_Windows);
    struct Raiser : test::PickerProcedure {
        void OnShow(DialogApi& dialog) override {
            PickerProcedure::OnShow(dialog);
            raise(SIGTERM); // ends the test program unless it is taken
        }
    } raiser;
    EXPECT_EQ(m_Windows.RunDialog(test::PICKER_TEMPLATE, raiser), DIALOG_ID_CANCEL);
    EXPECT_EQ(raiser.Events, (std::vector<std::string>{"init", "show", "cancel", "destroy"}));
    EXPECT_TRUE(stops.StoppedDuringStartup());
    EXPECT_FALSE(m_Exit.WaitFor(STARTUP_STOP_LIMIT + 200ms)); // the window thread took it in time
}

TEST_F(StopSignalsTest, AStartUpThatDoesNotAnswerEndsWithTheStoppedStatus) {
    StopSignals stops(m_Exit.Function());
    const StopSignals::Attachment attached = stops.Attach(m_Windows);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(raise(SIGINT), 0); // no dialog runs and nothing runs the window thread's work
    const std::optional<int> status = m_Exit.WaitFor(5s);
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, STOPPED_EXIT_STATUS);
    EXPECT_GE(std::chrono::steady_clock::now() - start, STARTUP_STOP_LIMIT);
}

TEST_F(StopSignalsTest, OnceHostedASignalOnlyAsksTheWindowToClose) {
    StopSignals stops(m_Exit.Function());
    stops.EndStartup();
    stops.OnStopSignal(); // before the window system is attached: passed on when it is
    const StopSignals::Attachment attached = stops.Attach(m_Windows);
    test::PickerProcedure picker;
    EXPECT_EQ(m_Windows.RunDialog(test::PICKER_TEMPLATE, picker), DIALOG_ID_CANCEL);
    EXPECT_FALSE(stops.StoppedDuringStartup());
    EXPECT_FALSE(m_Exit.WaitFor(STARTUP_STOP_LIMIT + 200ms));
}

TEST_F(StopSignalsTest, ASignalAfterTheFaceIsGoneReachesNoFaceTillTheNextIsAttached) {
    StopSignals stops(m_Exit.Function());
    stops.EndStartup();
    test::ScriptedWindows earlier;
    {
        const StopSignals::Attachment attached = stops.Attach(earlier);
        stops.OnStopSignal();
    }
    EXPECT_EQ(earlier.CloseRequests(), 1);
    {
        auto gone = std::make_unique<HeadlessWindowSystem>(HeadlessOptions{-1, &m_Out, &m_Err});
        const StopSignals::Attachment attached = stops.Attach(*gone);
    }
    stops.OnStopSignal(); // the face is gone, as it is while main ends (a use of it fails the sanitizer runs)
    EXPECT_EQ(earlier.CloseRequests(), 1); // nor does a face attached before reach it
    const StopSignals::Attachment attached = stops.Attach(m_Windows);
    test::PickerProcedure picker;
    EXPECT_EQ(m_Windows.RunDialog(test::PICKER_TEMPLATE, picker), DIALOG_ID_CANCEL); // the held request
    EXPECT_EQ(picker.Events, (std::vector<std::string>{"init", "show", "cancel", "destroy"}));
}

TEST_F(StopSignalsTest, AStopThatDoesNotEndInTimeEndsTheProgramWithTheStoppedStatus) {
    constexpr auto LIMIT = 300ms;
    StopSignals stops(m_Exit.Function(), LIMIT);
    stops.EndStartup();
    test::ScriptedWindows windows; // takes the close request and does nothing: a stop held up for ever
    const StopSignals::Attachment attached = stops.Attach(windows);
    const auto start = std::chrono::steady_clock::now();
    stops.OnStopSignal();
    const std::optional<int> status = m_Exit.WaitFor(5s);
    ASSERT_TRUE(status);
    EXPECT_EQ(*status, STOPPED_EXIT_STATUS);
    EXPECT_GE(std::chrono::steady_clock::now() - start, LIMIT);
    EXPECT_EQ(windows.CloseRequests(), 1); // the normal end was asked first
}

// Once the run's end is settled (the configuration saved), a stop that overruns ends with the run's own
// status, not with "stopped without saving".
TEST_F(StopSignalsTest, AStopThatOverrunsAfterTheSaveEndsWithTheRunsStatus) {
    for (const int settled : {0, 3}) {
        ExitRecorder exit;
        StopSignals stops(exit.Function(), 300ms);
        stops.EndStartup();
        stops.OnStopSignal();
        stops.Settle(settled);
        const std::optional<int> status = exit.WaitFor(5s);
        ASSERT_TRUE(status);
        EXPECT_EQ(*status, settled);
    }
    ExitRecorder unsettled;
    StopSignals stops(unsettled.Function(), 300ms);
    stops.EndStartup();
    stops.OnStopSignal();
    EXPECT_EQ(unsettled.WaitFor(5s), STOPPED_EXIT_STATUS);
}

// With a warned stop set, the first signal after start-up starts it instead of closing the window; a
// second signal closes the window at once; the whole stop stays within the limit from the first signal.
TEST_F(StopSignalsTest, TheFirstSignalOnceHostedStartsTheWarnedStopAndTheSecondStopsAtOnce) {
    constexpr auto LIMIT = 300ms;
    StopSignals stops(m_Exit.Function(), LIMIT);
    test::ScriptedWindows windows;
    const StopSignals::Attachment attached = stops.Attach(windows);
    std::vector<Signal> warned;
    stops.SetWarnedStop([&warned](Signal signal) {
        warned.push_back(signal);
        return true;
    });
    stops.EndStartup();
    const auto start = std::chrono::steady_clock::now();
    stops.OnStopSignal(Signal::Interrupt);
    EXPECT_EQ(warned, std::vector<Signal>{Signal::Interrupt});
    EXPECT_EQ(windows.CloseRequests(), 0) << "the countdown runs first";
    stops.OnStopSignal(Signal::Terminate);
    EXPECT_EQ(warned.size(), 1u);
    EXPECT_EQ(windows.CloseRequests(), 1) << "a second signal closes the window at once";
    // The scripted window never ends: the limit, counted from the first signal, ends the program.
    EXPECT_EQ(m_Exit.WaitFor(5s), STOPPED_EXIT_STATUS);
    EXPECT_GE(std::chrono::steady_clock::now() - start, LIMIT);
    stops.ClearWarnedStop();
}

TEST_F(StopSignalsTest, AWarnedStopThatCannotStartOrComesDuringStartUpClosesAsBefore) {
    StopSignals stops(m_Exit.Function());
    test::ScriptedWindows windows;
    const StopSignals::Attachment attached = stops.Attach(windows);
    int asked = 0;
    stops.SetWarnedStop([&asked](Signal) {
        ++asked;
        return false; // the console window is not open
    });
    stops.EndStartup();
    stops.OnStopSignal();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(windows.CloseRequests(), 1);

    StopSignals early(m_Exit.Function());
    test::ScriptedWindows starting;
    const StopSignals::Attachment attachedEarly = early.Attach(starting);
    early.SetWarnedStop([&asked](Signal) { return ++asked > 0; });
    early.OnStopSignal(); // start-up ends without a word to anyone
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(starting.CloseRequests(), 1);
    EXPECT_TRUE(early.StoppedDuringStartup());
    early.EndStartup();
}

} // namespace
} // namespace dravo
