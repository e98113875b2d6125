// The headless face runs dialogs on standard streams: input lines press the default button, the log goes
// to the output, message boxes to the error stream, and close requests shut the dialog down.
#include "window/headless/HeadlessWindowSystem.h"

#include "res/ConsoleWindowTemplate.h"
#include "window/PickerDialog.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <csignal>
#include <mutex>
#include <sstream>
#include <thread>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// Both ends of a pipe, closed on destruction.
struct Pipe {
    int Read = -1;
    int Write = -1;
    Pipe() {
        int ends[2];
        if (pipe(ends) == 0) {
            Read = ends[0];
            Write = ends[1];
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    void Send(std::string_view text) const {
        ASSERT_EQ(write(Write, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }
    void CloseRead() {
        if (Read >= 0) {
            close(Read);
        }
        Read = -1;
    }
    void CloseWrite() {
        if (Write >= 0) {
            close(Write);
        }
        Write = -1;
    }
};

// Ends a dialog that a broken face would leave running, so that a failing test fails instead of hanging.
class Watchdog {
public:
    explicit Watchdog(HeadlessWindowSystem& windows)
        : m_Thread([this, &windows] {
              std::unique_lock lock(m_Mutex);
              if (!m_Done.wait_for(lock, 10s, [this] { return m_Finished; })) {
                  m_Fired = true;
                  windows.RequestClose();
                  windows.RequestClose();
              }
          }) {}
    ~Watchdog() { Stop(); }
    bool Stop() {
        {
            std::lock_guard lock(m_Mutex);
            m_Finished = true;
        }
        m_Done.notify_all();
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
        return !m_Fired;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Done;
    bool m_Finished = false;
    bool m_Fired = false;
    std::thread m_Thread;
};

class HeadlessWindowSystemTest : public ::testing::Test {
protected:
    std::unique_ptr<HeadlessWindowSystem> Make(int inputFd) {
        return std::make_unique<HeadlessWindowSystem>(HeadlessOptions{inputFd, &m_Out, &m_Err, &m_Pool});
    }
    BlockingPool m_Pool; // outlives the faces
    std::ostringstream m_Out;
    std::ostringstream m_Err;
};

// A console procedure reduced to what the face touches: commands typed, timers, close requests.
class ConsoleStandIn : public DialogProcedure {
public:
    std::vector<std::string> Events;
    size_t EndAfterCommands = 0;
    bool EndWhenInputDisabled = false;
    bool HonourClose = true;
    int TypingLimit = 0; // none when 0

    void OnInit(DialogApi& dialog) override {
        if (TypingLimit > 0) {
            EXPECT_TRUE(dialog.LimitText(ConsoleControl::CommandInput, TypingLimit));
        }
        if (EndWhenInputDisabled) {
            EXPECT_TRUE(dialog.SetTimer(1, 1));
        }
    }
    void OnCommand(DialogApi& dialog, int id, Notification /*code*/) override {
        if (id == static_cast<int>(ConsoleControl::Send)) {
            Events.push_back(dialog.GetItemText(ConsoleControl::CommandInput, 119));
            if (Events.size() == EndAfterCommands) {
                dialog.EndDialog(1);
            }
        } else if (id == DIALOG_ID_CANCEL) {
            Events.push_back("cancel");
            dialog.EndDialog(DIALOG_ID_CANCEL);
        }
    }
    void OnTimer(DialogApi& dialog, int /*timerId*/) override {
        if (!dialog.IsEnabled(ConsoleControl::CommandInput)) {
            Events.push_back("input off");
            dialog.EndDialog(7);
        }
    }
    void OnCloseRequest(DialogApi& dialog, bool forced) override {
        Events.push_back(forced ? "close forced" : "close");
        if (HonourClose) {
            dialog.EndDialog(DIALOG_ID_CANCEL);
        }
    }
};

TEST_F(HeadlessWindowSystemTest, MessageBoxesGoToTheErrorStreamOneLineEach) {
    auto windows = Make(-1);
    EXPECT_EQ(windows->ShowMessageBox("ERROR - Unable to load SERVER.DLL.", "DravoServ", MessageBoxButtons::Ok,
                                      MessageBoxIcon::Exclamation, MessageBoxDefault::First),
              MessageBoxResult::Ok);
    // A question follows only an action typed by name: its Yes stands, whatever the default.
    EXPECT_EQ(windows->ShowMessageBox("Are you sure you want to exit?", "DravoServ", MessageBoxButtons::YesNo,
                                      MessageBoxIcon::Question, MessageBoxDefault::Second),
              MessageBoxResult::Yes);
    windows->ShowMessageBox("Multiplies the player's run speed.\n\nDefault value is 1.0.", "Server Option: Run Speed",
                            MessageBoxButtons::Ok, MessageBoxIcon::Information, MessageBoxDefault::First);
    EXPECT_EQ(m_Err.str(), "DravoServ: ERROR - Unable to load SERVER.DLL.\n"
                           "DravoServ: Are you sure you want to exit? (answered Yes)\n"
                           "Server Option: Run Speed: Multiplies the player's run speed. Default value is 1.0.\n");
    EXPECT_EQ(m_Out.str(), "");
    EXPECT_FALSE(windows->IsShiftHeld());
    EXPECT_FALSE(windows->ChooseColor(ColorRgb{}).has_value());
}

TEST_F(HeadlessWindowSystemTest, InputLinesPressTheDefaultButtonWithTheirText) {
    Pipe input;
    auto windows = Make(input.Read);
    input.Send("status\r\nkick 3\n");
    ConsoleStandIn console;
    console.EndAfterCommands = 2;
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), console), 1);
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(console.Events, (std::vector<std::string>{"status", "kick 3"}));
}

TEST_F(HeadlessWindowSystemTest, ALineLongerThanTheInputTakesIsRefusedNotCut) {
    Pipe input;
    auto windows = Make(input.Read);
    input.Send("status\nkick 1234567\nkick 123456\n");
    ConsoleStandIn console;
    console.TypingLimit = 11;
    console.EndAfterCommands = 2;
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), console), 1);
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(console.Events, (std::vector<std::string>{"status", "kick 123456"}));
    EXPECT_EQ(m_Err.str(), "Not sent: a command is at most 11 characters, and this one has 12.\n");
}

TEST_F(HeadlessWindowSystemTest, EndOfInputOnlyDisablesTheInput) {
    Pipe input;
    auto windows = Make(input.Read);
    input.Send("one\n");
    input.CloseWrite();
    ConsoleStandIn console;
    console.EndWhenInputDisabled = true;
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), console), 7);
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(console.Events, (std::vector<std::string>{"one", "input off"}));
}

TEST_F(HeadlessWindowSystemTest, LogLinesGoToTheOutput) {
    struct Logger : DialogProcedure {
        void OnShow(DialogApi& dialog) override {
            EXPECT_TRUE(dialog.EditAppend(ConsoleControl::ConsoleLog, "\r\nInitializing the server..."));
            EXPECT_TRUE(dialog.EditAppend(ConsoleControl::ConsoleLog, "\r\nServer initialized."));
            EXPECT_TRUE(dialog.EditAppend(ConsoleControl::ConsoleLog, "first\r\nsecond"));
            EXPECT_TRUE(dialog.EditAppend(ConsoleControl::CommandInput, "typed, not logged"));
            EXPECT_TRUE(dialog.SetItemText(ConsoleControl::ConsoleLog, "")); // the Clear button
            dialog.EndDialog(2);
        }
    } logger;
    auto windows = Make(-1);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), logger), 2);
    EXPECT_EQ(m_Out.str(), "Initializing the server...\nServer initialized.\nfirst\nsecond\n");
}

TEST_F(HeadlessWindowSystemTest, ForcedCloseFromAnotherThreadEndsTheDialog) {
    ConsoleStandIn console;
    auto windows = Make(-1);
    struct Asker : DialogProcedure {
        HeadlessWindowSystem* Windows = nullptr;
        std::thread Other;
        ConsoleStandIn* Console = nullptr;
        void OnShow(DialogApi& /*dialog*/) override {
            Other = std::thread([this] { Windows->RequestClose(); });
        }
        void OnCloseRequest(DialogApi& dialog, bool forced) override { Console->OnCloseRequest(dialog, forced); }
    } asker;
    asker.Windows = windows.get();
    asker.Console = &console;
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), asker), DIALOG_ID_CANCEL);
    if (asker.Other.joinable()) {
        asker.Other.join();
    }
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(console.Events, (std::vector<std::string>{"close forced"}));
}

TEST_F(HeadlessWindowSystemTest, SecondCloseRequestEndsADialogThatIgnoredTheFirst) {
    auto windows = Make(-1);
    ConsoleStandIn console;
    console.HonourClose = false;
    windows->RequestClose(); // asked before the dialog runs: it still gets the request
    windows->RequestClose();
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), console), DIALOG_ID_CANCEL);
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(console.Events, (std::vector<std::string>{"close forced"}));
}

TEST_F(HeadlessWindowSystemTest, TimersAndWorkerPostsRunInTheLoop) {
    auto windows = Make(-1);
    struct Ticker : DialogProcedure {
        int Ticks = 0;
        std::thread Worker;
        void OnInit(DialogApi& dialog) override { EXPECT_TRUE(dialog.SetTimer(4, 1)); }
        void OnTimer(DialogApi& dialog, int timerId) override {
            EXPECT_EQ(timerId, 4);
            if (++Ticks == 3) {
                EXPECT_TRUE(dialog.KillTimer(4));
                Worker = std::thread([poster = dialog.Poster()] {
                    poster.Post([](DialogApi& api) {
                        (void)api.EditAppend(ConsoleControl::ConsoleLog, "\r\nfrom the worker");
                    });
                    poster.PostCommand(ConsoleControl::Clear);
                });
            }
        }
        void OnCommand(DialogApi& dialog, int id, Notification /*code*/) override {
            if (id == static_cast<int>(ConsoleControl::Clear)) {
                dialog.EndDialog(5);
            }
        }
    } ticker;
    Watchdog watchdog(*windows);
    EXPECT_EQ(windows->RunDialog(ConsoleWindowTemplate(), ticker), 5);
    if (ticker.Worker.joinable()) {
        ticker.Worker.join();
    }
    EXPECT_TRUE(watchdog.Stop());
    EXPECT_EQ(ticker.Ticks, 3);
    EXPECT_EQ(m_Out.str(), "from the worker\n");
}

} // namespace
} // namespace dravo
