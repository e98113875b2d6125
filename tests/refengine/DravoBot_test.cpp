// Tests of the dravo-bot tool against a real game session on loopback.
#include "GameTestSupport.h"

#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace dravo::ref {
namespace {

using test::HostedServer;

const std::string BOT_PATH = std::string(DRAVO_BIN_DIR) + "/dravo-bot";

// The tool run as a child process, its standard output and error collected through a pipe.
class BotProcess {
public:
    explicit BotProcess(std::vector<std::string> arguments) {
        int pipeEnds[2];
        EXPECT_EQ(::pipe2(pipeEnds, O_CLOEXEC), 0);
        m_Output = pipeEnds[0];
        ::fcntl(m_Output, F_SETFL, O_NONBLOCK);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDERR_FILENO);
        arguments.insert(arguments.begin(), BOT_PATH);
        std::vector<char*> argv;
        for (std::string& argument : arguments) {
            argv.push_back(argument.data());
        }
        argv.push_back(nullptr);
        m_Started = ::posix_spawn(&m_Pid, BOT_PATH.c_str(), &actions, nullptr, argv.data(), environ) == 0;
        posix_spawn_file_actions_destroy(&actions);
        ::close(pipeEnds[1]);
        EXPECT_TRUE(m_Started) << "build the dravo-bot target first: " << BOT_PATH;
    }
    ~BotProcess() {
        if (m_Started && !m_Status) {
            ::kill(m_Pid, SIGKILL);
            ::waitpid(m_Pid, nullptr, 0);
        }
        ::close(m_Output);
    }
    BotProcess(const BotProcess&) = delete;
    BotProcess& operator=(const BotProcess&) = delete;

    // Everything printed so far.
    const std::string& Output() {
        char buffer[4096];
        ssize_t got = 0;
        while ((got = ::read(m_Output, buffer, sizeof buffer)) > 0) {
            m_Text.append(buffer, static_cast<size_t>(got));
        }
        return m_Text;
    }
    bool Printed(const std::string& text) { return Output().find(text) != std::string::npos; }
    // True once the process has ended; its exit status then in ExitCode().
    bool Ended() {
        int status = 0;
        if (!m_Status && m_Started && ::waitpid(m_Pid, &status, WNOHANG) == m_Pid) {
            m_Status = status;
        }
        return m_Status.has_value();
    }
    int ExitCode() const { return m_Status && WIFEXITED(*m_Status) ? WEXITSTATUS(*m_Status) : -1; }
    void Signal(int signal) const { ::kill(m_Pid, signal); }
    // Waits for the end without frames (for runs that never reach a server), at most the bound.
    bool WaitForEnd() {
        const auto deadline = std::chrono::steady_clock::now() + test::WAIT_BOUND;
        while (!Ended() && std::chrono::steady_clock::now() < deadline) {
            pollfd entry{m_Output, POLLIN, 0};
            ::poll(&entry, 1, 10);
            Output();
        }
        return Ended();
    }

private:
    pid_t m_Pid = 0;
    bool m_Started = false;
    int m_Output = -1;
    std::string m_Text;
    std::optional<int> m_Status;
};

std::vector<std::string> ClientNames(Server& server) {
    std::vector<std::string> names;
    ClientRecord record{};
    for (uint32_t i = 0; i < server.CountClients(); ++i) {
        if (server.DescribeClient(i, &record) == ENGINE_TRUE) {
            names.emplace_back(record.m_Name);
        }
    }
    return names;
}

TEST(DravoBot, JoinsNamedPlayersAnswersPingsAndLeavesOnSigterm) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    BotProcess bot(
        {"--port", std::to_string(hosted.m_Port), "--count", "3", "--names", "Ace,Bob", "--duration", "600"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 3u; })) << bot.Output();
    std::vector<std::string> names = ClientNames(hosted.m_Server);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Ace", "Bob", "Bot1"}));
    ClientRecord record{};
    EXPECT_TRUE(hosted.FramesUntil([&] {
        for (uint32_t i = 0; i < hosted.m_Server.CountClients(); ++i) {
            if (hosted.m_Server.DescribeClient(i, &record) != ENGINE_TRUE || record.m_PingSeconds <= 0.0f) {
                return false;
            }
        }
        return true;
    }));
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Printed("Bot1 joined with id "); })) << bot.Output();

    bot.Signal(SIGTERM);
    ASSERT_TRUE(hosted.FramesUntil([&] { return bot.Ended() && hosted.m_Server.CountClients() == 0u; }))
        << bot.Output();
    EXPECT_EQ(bot.ExitCode(), 0);
    EXPECT_TRUE(bot.Printed("Ace left"));
}

TEST(DravoBot, EndsByItselfAfterTheDuration) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    BotProcess bot({"--port", std::to_string(hosted.m_Port), "--duration", "0.5", "--quiet"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return bot.Ended(); }));
    EXPECT_EQ(bot.ExitCode(), 0);
    EXPECT_EQ(bot.Output(), ""); // quiet
}

TEST(DravoBot, ReportsAKickAndChurnBringsThePlayerBack) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    BotProcess bot({"--port", std::to_string(hosted.m_Port), "--names", "Ace", "--churn", "0.4", "--seed", "3",
                    "--duration", "600"});
    ASSERT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 1u; })) << bot.Output();
    ClientRecord record{};
    ASSERT_EQ(hosted.m_Server.DescribeClient(0, &record), ENGINE_TRUE);
    ASSERT_EQ(hosted.m_Server.DisconnectClient(record.m_ClientId), ENGINE_STATUS_OK);
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Printed("Ace was kicked"); })) << bot.Output();
    // Away a while, then back; and with churn it also leaves by itself and comes back again.
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Printed("Ace left"); })) << bot.Output();
    EXPECT_TRUE(hosted.FramesUntil([&] { return hosted.m_Server.CountClients() == 1u; }));
    const auto joins = hosted.m_Recorder.TextsStartingWith("[GMSG:2][CMSG:Ace joined");
    EXPECT_GE(joins.size(), 3u);
    bot.Signal(SIGINT);
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Ended(); }));
    EXPECT_EQ(bot.ExitCode(), 0);
}

TEST(DravoBot, ARefusedJoinIsReportedAndRetried) {
    HostedServer hosted(1);
    ASSERT_TRUE(hosted.LoadRetail());
    BotProcess bot({"--port", std::to_string(hosted.m_Port), "--count", "2", "--duration", "600"});
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Printed("refused: server full"); })) << bot.Output();
    EXPECT_EQ(hosted.m_Server.CountClients(), 1u);
    bot.Signal(SIGTERM);
    EXPECT_TRUE(hosted.FramesUntil([&] { return bot.Ended(); }));
}

TEST(DravoBot, RefusesHostsOutsideLoopbackAndBadArguments) {
    BotProcess remote({"--port", "27888", "--host", "192.0.2.1"});
    ASSERT_TRUE(remote.WaitForEnd());
    EXPECT_EQ(remote.ExitCode(), 2);
    EXPECT_TRUE(remote.Printed("not a loopback address")) << remote.Output();
    for (const std::vector<std::string>& arguments : {std::vector<std::string>{},
                                                      {"--port", "0"},
                                                      {"--port", "9", "--count", "0"},
                                                      {"--port", "9", "--duration", "3601"},
                                                      {"--port", "9", "--names", "Ace,,Bob"},
                                                      {"--port", "9", "--bogus"},
                                                      {"--port", "9", "--names", std::string(64, 'n')},
                                                      {"--port"}}) {
        BotProcess bad(arguments);
        ASSERT_TRUE(bad.WaitForEnd());
        EXPECT_EQ(bad.ExitCode(), 2) << bad.Output();
    }
}

} // namespace
} // namespace dravo::ref
