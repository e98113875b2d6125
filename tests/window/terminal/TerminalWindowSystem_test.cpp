// The terminal face on a real pseudo-terminal: what it does when the terminal goes away under it.
#include "window/terminal/TerminalWindowSystem.h"

#include "window/PickerDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <sstream>
#include <string_view>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;

// A pseudo-terminal of 80 x 24: the face takes the terminal end, the test holds the other end.
class PseudoTerminal {
public:
    PseudoTerminal() {
        m_Controller = posix_openpt(O_RDWR | O_NOCTTY);
        if (m_Controller < 0 || grantpt(m_Controller) != 0 || unlockpt(m_Controller) != 0) {
            return;
        }
        const char* name = ptsname(m_Controller);
        m_Terminal = name == nullptr ? -1 : open(name, O_RDWR | O_NOCTTY);
        winsize size{};
        size.ws_col = 80;
        size.ws_row = 24;
        (void)ioctl(m_Terminal, TIOCSWINSZ, &size);
    }
    ~PseudoTerminal() {
        CloseController();
        if (m_Terminal >= 0) {
            close(m_Terminal);
        }
    }
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool Usable() const { return m_Controller >= 0 && m_Terminal >= 0; }
    // Keys as the operator types them.
    bool Type(std::string_view keys) const {
        return write(m_Controller, keys.data(), keys.size()) == static_cast<ssize_t>(keys.size());
    }
    int Terminal() const { return m_Terminal; }
    // What closing the terminal's window, or killing its tmux session, does to the program in it.
    void CloseController() {
        if (m_Controller >= 0) {
            close(m_Controller);
            m_Controller = -1;
        }
    }

private:
    int m_Controller = -1;
    int m_Terminal = -1;
};

// Ends a run that does not end by itself, so that a failing test fails instead of hanging.
class Watchdog {
public:
    explicit Watchdog(WindowSystem& windows)
        : m_Thread([this, &windows] {
              std::unique_lock lock(m_Mutex);
              if (!m_Changed.wait_for(lock, 10s, [this] { return m_Done; })) {
                  m_Fired = true;
                  windows.RequestClose();
                  windows.RequestClose();
              }
          }) {}
    ~Watchdog() {
        {
            std::scoped_lock lock(m_Mutex);
            m_Done = true;
        }
        m_Changed.notify_all();
        m_Thread.join();
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    bool Fired() {
        std::scoped_lock lock(m_Mutex);
        return m_Fired;
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Done = false;
    bool m_Fired = false;
    std::thread m_Thread;
};

std::unique_ptr<TerminalWindowSystem> FaceOn(const PseudoTerminal& pty, std::ostringstream& err) {
    if (std::getenv("TERM") == nullptr) {
        setenv("TERM", "xterm", 0); // the screen needs a terminal type; ctest may run without one
    }
    TerminalOptions options;
    options.m_InputFd = pty.Terminal();
    options.m_OutputFd = pty.Terminal();
    options.m_Err = &err;
    return std::make_unique<TerminalWindowSystem>(options);
}

TEST(TerminalWindowSystem, AClosedTerminalClosesTheRunningDialogAsAStopSignalDoesAndShowsNoMore) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Usable());
    std::ostringstream err;
    auto windows = FaceOn(pty, err);
    ASSERT_TRUE(windows->Usable());

    test::PickerProcedure picker;
    windows->Post([&pty] { pty.CloseController(); }); // once the dialog runs
    int result = 0;
    bool fired = false;
    {
        Watchdog watchdog(*windows);
        result = windows->RunDialog(test::PICKER_TEMPLATE, picker);
        fired = watchdog.Fired();
    }
    EXPECT_FALSE(fired) << "the dialog went on without its terminal";
    EXPECT_EQ(result, DIALOG_ID_CANCEL);
    EXPECT_NE(std::ranges::find(picker.Events, "cancel"), picker.Events.end())
        << "the dialog is asked to close, as the close box asks it";

    // A dialog after that (a question at the end of the run) cannot be answered: it ends at once.
    test::PickerProcedure later;
    EXPECT_EQ(windows->RunDialog(test::PICKER_TEMPLATE, later), DIALOG_ID_CANCEL);
    EXPECT_EQ(std::ranges::find(later.Events, "show"), later.Events.end());
    windows.reset();
    EXPECT_NE(err.str().find(TerminalWindowSystem::TERMINAL_GONE_NOTE), std::string::npos) << err.str();
}

// Once the screen is given back, standard error repeats the error boxes the run ended on, not those the
// operator dealt with by working on in a dialog after them (choosing another service or archive).
TEST(TerminalWindowSystem, OnlyTheErrorsNotDealtWithAreRepeatedOnceTheScreenIsGone) {
    PseudoTerminal pty;
    ASSERT_TRUE(pty.Usable());
    std::ostringstream err;
    auto windows = FaceOn(pty, err);
    ASSERT_TRUE(windows->Usable());
    const auto showError = [&windows](std::string_view text) {
        (void)windows->ShowMessageBox(text, "DravoServ", MessageBoxButtons::Ok, MessageBoxIcon::Exclamation,
                                      MessageBoxDefault::First);
    };
    // Enter answers the first box; Tab is the operator working the dialog under it; Ctrl+C closes that;
    // Enter answers the box the run ends on.
    ASSERT_TRUE(pty.Type("\r\t\x03\r"));
    test::PickerProcedure picker;
    windows->Post([&showError] { showError("ERROR - dealt with"); });
    {
        Watchdog watchdog(*windows);
        (void)windows->RunDialog(test::PICKER_TEMPLATE, picker);
        showError("ERROR - the run ends here");
        EXPECT_FALSE(watchdog.Fired()) << "the keys did not answer the dialogs";
    }
    windows->ShowNote("A note is always kept.");
    windows.reset();
    EXPECT_EQ(err.str(), "DravoServ: ERROR - the run ends here\nA note is always kept.\n");
}

} // namespace
} // namespace dravo
