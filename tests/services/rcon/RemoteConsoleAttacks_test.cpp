// The remote console under attack from many addresses, and at a stop.
#include "services/rcon/RemoteConsoleFixture.h"

namespace dravo {
namespace {

using test::Client;
using test::PASSWORD;
using test::RemoteConsoleTest;

constexpr uint32_t MANY_BASE = 0x7F640000; // 127.100.0.0

// One login from `address`; true when it was let in.
bool LogInFrom(uint16_t port, uint32_t address, const char* password) {
    Client client(port, address);
    const bool in = client.LogIn(password);
    if (!in) {
        EXPECT_TRUE(client.Tcp().WaitForClose());
    }
    return in;
}

size_t CountLines(const std::vector<std::string>& log, const std::string& start) {
    return static_cast<size_t>(
        std::count_if(log.begin(), log.end(), [&](const std::string& line) { return line.starts_with(start); }));
}

// Every address of 127.0.0.0/8 is any local user's: guesses spread over many addresses get no more than
// one address would, and the lines about them do not flood the log.
TEST_F(RemoteConsoleTest, GuessesFromManyAddressesShareOneBudgetAndTheirLinesAreSummarised) {
    RconOptions options = Options();
    options.m_Guard = LoginGuardLimits{3, 60000};
    Start(options);
    const uint32_t burst = LoginGuard::GLOBAL_BURST_LOCKOUTS * 3;
    for (uint32_t i = 0; i < burst + 8; ++i) {
        EXPECT_FALSE(LogInFrom(m_Console->Port(), MANY_BASE + i, "guess"));
    }
    EXPECT_EQ(Logins(RemoteLogin::WrongPassword), burst) << "passwords looked at";
    EXPECT_EQ(Logins(RemoteLogin::LockedOut), 8u) << "refused unread once the budget was spent";
    EXPECT_FALSE(LogInFrom(m_Console->Port(), MANY_BASE + 500, PASSWORD)) << "not even the right one is tried";
    const std::vector<std::string> log = m_View.Log();
    EXPECT_EQ(CountLines(log, "Remote console: wrong password from "), 5u);
    EXPECT_EQ(CountLines(log, "Remote console: too many failed logins"), 0u) << "over the lines' budget";

    m_Clock.Advance(20000); // one failure's worth of budget at one address's pace, and the lines' period
    EXPECT_TRUE(LogInFrom(m_Console->Port(), MANY_BASE + 501, PASSWORD));
    EXPECT_TRUE(m_View.Logged("Remote console: 16 more lines about failed logins were left out (at most 5 in 10 s)."));
}

// A client that waits for a command's answer when the server stops gets an answer, not a closed connection.
TEST_F(RemoteConsoleTest, ACommandInFlightAtAStopIsAnsweredBeforeTheConnectionCloses) {
    std::mutex mutex;
    std::condition_variable queued;
    std::vector<std::function<void()>> held;
    ConsoleBinding binding;
    binding.m_Post = [&](std::function<void()> work, const std::function<void()>&) {
        std::scoped_lock lock(mutex);
        held.push_back(std::move(work));
        queued.notify_all();
        return true;
    };
    m_Commands.BindConsole(std::move(binding));
    Start();
    Client client(m_Console->Port());
    ASSERT_TRUE(client.LogIn(PASSWORD));
    ASSERT_TRUE(client.Send(8, RconType::Command, "status"));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(queued.wait_for(lock, std::chrono::seconds(5), [&] { return !held.empty(); }));
    }
    m_Console->Stop();
    const auto answer = client.Next();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->m_Id, 8);
    EXPECT_EQ(answer->m_Body, "The server stopped before the command had run; it may not have run.\n");
    EXPECT_TRUE(client.Tcp().WaitForClose());
    held.front()(); // the window runs it late: nothing is left to answer, and nothing breaks
}

} // namespace
} // namespace dravo
