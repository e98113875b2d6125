// The machine-readable side end to end: a whole hosting run in JSON mode validated line by line against
// the schema by a real validator, with its events in the order they happened; and a stand-in for
// systemd on a notify socket, which hears READY=1 once queries are answered, no watchdog pings while
// the game loop is wedged, pings again after, and STOPPING=1 at the stop.
#include "integration/HostedGameTest.h"
#include "integration/RemotePeers.h"
#include "net/UdpTestPeer.h"
#include "support/LoopbackSocket.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <fstream>
#include <mutex>
#include <regex>
#include <thread>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace dravo {
namespace {

using namespace std::chrono_literals;
constexpr const char* PASSWORD = "Tr0ub4dor&3x";

// The event names of the stream, line by line.
std::vector<std::string> EventNames(const std::string& stream) {
    std::vector<std::string> names;
    const std::regex name(R"re(^\{"time":"[^"]*","level":"[a-z]*","event":"([a-z_.]+)")re");
    std::istringstream lines(stream);
    for (std::string line; std::getline(lines, line);) {
        std::smatch match;
        names.push_back(std::regex_search(line, match, name) ? match[1].str() : "(not an event) " + line);
    }
    return names;
}

// The place of the first `name` at or after `from`, or the end.
size_t Find(const std::vector<std::string>& names, const std::string& name, size_t from = 0) {
    for (size_t index = from; index < names.size(); ++index) {
        if (names[index] == name) {
            return index;
        }
    }
    return names.size();
}

test::ProcessResult Validate(const std::vector<std::filesystem::path>& files) {
    std::vector<std::string> arguments = {std::string(DRAVO_SOURCE_DIR) + "/tests/integration/validate-events.py",
                                          std::string(DRAVO_SOURCE_DIR) + "/docs/events.schema.json"};
    for (const auto& file : files) {
        arguments.push_back(file.string());
    }
    return test::RunProcess("/usr/bin/python3", arguments, ".", "", 60s);
}

class EventsEndToEnd : public test::HostedGameTest {};

TEST_F(EventsEndToEnd, AWholeRunInJsonIsValidEveryLineAndInOrder) {
    ASSERT_TRUE(test::NodeModules()) << "rcon-srcds is missing: scripts/setup.sh installs it";
    test::UdpTestPeer master;
    Configure({{"UseGameSpy", "1"}, {"SpyMasterHost", "127.0.0.1"}, {"SpyMasterPort", std::to_string(master.Port())}});
    auto server = StartServer({"-logformat", "json", "-logfile", "events.log", "+fragrate", "0", "+ServerReg", "0",
                               "+RconPassword", PASSWORD});
    ASSERT_TRUE(server->WaitForOutput("\"event\":\"server.ready\"")) << server->Output();
    auto bots = StartBots("Ace,Bob", 60, {"--quiet"});
    ASSERT_TRUE(server->WaitForOutput("\"event\":\"player.joined\",\"message\":\"Bob joined")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput("\"event\":\"player.joined\",\"message\":\"Ace joined")) << server->Output();
    server->WriteLine("/boot Bob");
    ASSERT_TRUE(server->WaitForOutput("\"event\":\"player.left\",\"message\":\"Bob left")) << server->Output();
    EXPECT_EQ(test::RconPeer("srcds", GamePort(), PASSWORD, {"run", "status"}).m_ExitStatus, 0);
    ASSERT_TRUE(server->WaitForOutput("\"result\":\"accepted\"")) << server->Output();
    server->WriteLine("/nextlevel");
    ASSERT_TRUE(server->WaitForOutput("\"event\":\"level.changed\"")) << server->Output();
    server->WriteLine("/shutdown");
    ASSERT_EQ(server->Wait(), 0) << server->Errors();
    server->FinishReading();

    const std::filesystem::path output = m_Game.Path() / "stdout.json";
    std::ofstream(output) << server->Output();
    const test::ProcessResult validated = Validate({output, m_Game.Path() / "events.log"});
    EXPECT_EQ(validated.m_ExitStatus, 0) << validated.m_Stdout << validated.m_Stderr;

    const std::vector<std::string> names = EventNames(server->Output());
    const std::vector<std::string> order = {"server.starting", "server.running",  "server.ready",  "player.joined",
                                            "player.kicked",   "player.left",     "remote.login",  "console.command",
                                            "level.changed",   "server.stopping", "server.stopped"};
    size_t at = 0;
    for (const std::string& name : order) {
        at = Find(names, name, at);
        ASSERT_LT(at, names.size()) << name << " missing or out of order:\n" << server->Output();
    }
    EXPECT_EQ(names.back(), "server.stopped");
    EXPECT_NE(server->Output().find("\"exit_status\":0,\"saved\":true"), std::string::npos);
    // The password reaches neither the stream nor the file.
    EXPECT_EQ(server->Output().find(PASSWORD), std::string::npos);
    EXPECT_EQ(m_Game.Read("events.log").find(PASSWORD), std::string::npos);
}

TEST_F(EventsEndToEnd, TheEnvironmentChoosesJsonAndAStartUpErrorIsANamedEvent) {
    const test::ProcessResult result =
        test::RunProcess("/usr/bin/env",
                         {"DRAVO_LOG_FORMAT=json", (test::BinDir() / "dravoserv").string(), "-go", "-face", "headless",
                          "-DLL", "/nonexistent/server.so"},
                         m_Game.Path(), "", 30s);
    EXPECT_EQ(result.m_ExitStatus, 1);
    const std::vector<std::string> names = EventNames(result.m_Stdout);
    EXPECT_EQ(names, (std::vector<std::string>{"server.starting", "error.library_load", "server.stopped"}))
        << result.m_Stdout;
    const std::filesystem::path output = m_Game.Path() / "failed.json";
    std::ofstream(output) << result.m_Stdout;
    EXPECT_EQ(Validate({output}).m_ExitStatus, 0);
}

// A stand-in for systemd: a datagram socket in the abstract namespace that keeps what it is told, each
// message with the time it came.
class NotifyStandIn {
public:
    NotifyStandIn() : m_Name("@dravo-events-test-" + std::to_string(::getpid())) {
        m_Socket = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::copy(m_Name.begin() + 1, m_Name.end(), address.sun_path + 1);
        m_Bound = ::bind(m_Socket, reinterpret_cast<sockaddr*>(&address),
                         static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + m_Name.size())) == 0;
        m_Reader = std::thread([this] { Read(); });
    }
    ~NotifyStandIn() {
        m_Stop = true;
        m_Reader.join();
        ::close(m_Socket);
    }
    NotifyStandIn(const NotifyStandIn&) = delete;
    NotifyStandIn& operator=(const NotifyStandIn&) = delete;

    bool Bound() const { return m_Bound; }
    const std::string& Name() const { return m_Name; }
    // The time of the first message that holds the text, waiting at most the limit.
    std::optional<std::chrono::steady_clock::time_point> WaitFor(const std::string& text,
                                                                 std::chrono::milliseconds limit = 20s) {
        std::unique_lock lock(m_Mutex);
        std::optional<std::chrono::steady_clock::time_point> found;
        m_Changed.wait_for(lock, limit, [&] {
            for (const auto& [message, when] : m_Messages) {
                if (message.find(text) != std::string::npos) {
                    found = when;
                    return true;
                }
            }
            return false;
        });
        return found;
    }
    // Waits at most the limit for a message that holds the text and came after `after`.
    bool WaitForAfter(const std::string& text, std::chrono::steady_clock::time_point after,
                      std::chrono::milliseconds limit = 20s) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, limit, [&] {
            return std::any_of(m_Messages.begin(), m_Messages.end(), [&](const auto& message) {
                return message.second > after && message.first.find(text) != std::string::npos;
            });
        });
    }
    std::vector<std::chrono::steady_clock::time_point> Times(const std::string& text) {
        std::scoped_lock lock(m_Mutex);
        std::vector<std::chrono::steady_clock::time_point> times;
        for (const auto& [message, when] : m_Messages) {
            if (message.find(text) != std::string::npos) {
                times.push_back(when);
            }
        }
        return times;
    }

private:
    void Read() {
        while (!m_Stop) {
            pollfd ready{m_Socket, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0) {
                continue;
            }
            char data[4096];
            const ssize_t size = ::recv(m_Socket, data, sizeof data, 0);
            if (size > 0) {
                std::scoped_lock lock(m_Mutex);
                m_Messages.emplace_back(std::string(data, static_cast<size_t>(size)), std::chrono::steady_clock::now());
                m_Changed.notify_all();
            }
        }
    }

    std::string m_Name;
    int m_Socket = -1;
    bool m_Bound = false;
    std::atomic<bool> m_Stop{false};
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    std::vector<std::pair<std::string, std::chrono::steady_clock::time_point>> m_Messages;
    std::thread m_Reader;
};

TEST_F(EventsEndToEnd, SystemdHearsReadyStatusAWatchdogThatStopsWhileTheLoopIsWedgedAndStopping) {
    NotifyStandIn systemd;
    ASSERT_TRUE(systemd.Bound());
    test::UdpTestPeer master;
    Configure({{"fragrate", "0"},
               {"UseGameSpy", "1"},
               {"ServerReg", "0"},
               {"SpyMasterHost", "127.0.0.1"},
               {"SpyMasterPort", std::to_string(master.Port())}});
    test::SampleGame::Start start;
    start.m_Program = "/usr/bin/env";
    start.m_Arguments = {"NOTIFY_SOCKET=" + systemd.Name(),
                         "WATCHDOG_USEC=400000",
                         (test::BinDir() / "dravoserv").string(),
                         "-go",
                         "-face",
                         "headless"};
    auto server = m_Game.StartServer(start);
    ASSERT_TRUE(systemd.WaitFor("READY=1")) << server->Output();
    // Ready means answering: a GameSpy query at once has its answer.
    test::LoopbackSocket player(0x7F000001, 0);
    ASSERT_TRUE(player.SendTo(0x7F000001, QueryPort(), "\\status\\"));
    const auto answer = player.Receive(5s);
    ASSERT_TRUE(answer) << "no answer on the query port once READY=1 was sent";
    EXPECT_NE(answer->m_Data.find("\\hostname\\"), std::string::npos) << answer->m_Data;
    ASSERT_TRUE(systemd.WaitFor("WATCHDOG=1"));

    auto bots = StartBots("Ace", 30, {"--quiet"});
    EXPECT_TRUE(systemd.WaitFor("STATUS=Level Worlds\\Multi\\Cinderworks; 1 of 16 players")) << server->Output();

    const auto wedged = std::chrono::steady_clock::now();
    server->WriteLine("stallframe 3000");
    ASSERT_TRUE(server->WaitForOutput("stallframe 3000"));
    // Pings come again once the step is over.
    ASSERT_TRUE(systemd.WaitForAfter("WATCHDOG=1", wedged + 3000ms)) << "no ping after the stall";
    const std::vector<std::chrono::steady_clock::time_point> pings = systemd.Times("WATCHDOG=1");
    std::chrono::milliseconds longest{0};
    for (size_t index = 1; index < pings.size(); ++index) {
        longest =
            std::max(longest, std::chrono::duration_cast<std::chrono::milliseconds>(pings[index] - pings[index - 1]));
    }
    EXPECT_GE(longest, 2000ms) << "pings went on while the game loop was wedged";

    server->WriteLine("/shutdown");
    EXPECT_TRUE(systemd.WaitFor("STOPPING=1"));
    EXPECT_EQ(server->Wait(), 0) << server->Errors();
}

TEST(ServiceUnit, SystemdAnalyzeVerifyAcceptsTheUnit) {
    ASSERT_TRUE(std::filesystem::exists("/usr/bin/systemd-analyze")) << "install systemd";
    test::TempDir directory;
    // The unit as installed, with the program where this build has it.
    std::string unit = test::TempDir::ReadFile(std::filesystem::path(DRAVO_SOURCE_DIR) / "contrib/dravoserv@.service");
    unit = std::regex_replace(unit, std::regex("/usr/bin/dravoserv"), (test::BinDir() / "dravoserv").string());
    directory.Write("dravoserv@main.service", unit);
    const test::ProcessResult result =
        test::RunProcess("/usr/bin/systemd-analyze",
                         {"verify", "--man=no", (directory.Path() / "dravoserv@main.service").string()}, ".", "", 60s);
    EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stdout << result.m_Stderr;
    EXPECT_EQ(result.m_Stderr, "");
    EXPECT_NE(unit.find("Type=notify"), std::string::npos);
    EXPECT_NE(unit.find("WatchdogSec="), std::string::npos);
}

} // namespace
} // namespace dravo
