// The remote console's test fixture: a real command service and session before a console window that
// runs every line at once, and a client that reads whole packets back.
#pragma once

#include "services/TcpTestClient.h"
#include "services/rcon/RemoteConsole.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/RecordingView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace dravo::test {

inline constexpr const char* PASSWORD = "correct horse";

// The remote console before a real command service and session, whose console window runs every line at
// once on the caller's thread: the engine answers "ran: <command>", "/many" logs a hundred long lines,
// "/shutdown" is the window's.
class RemoteConsoleTest : public ::testing::Test {
protected:
    // A line the log shows as sent from a remote console client.
    bool LoggedFromAfar(std::string_view command) const {
        return std::ranges::any_of(m_View.Log(), [command](const std::string& line) {
            return line.starts_with("[remote 127.0.0.1:") && line.ends_with("] " + std::string(command));
        });
    }
    FakeEngine m_Engine;
    RecordingView m_View;
    FakeClock m_Clock;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};
    ServerSettings m_Settings;
    BlockingPool m_Pool;
    ServerSession m_Session{m_View, m_Clock, m_Pool, SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}};
    CommandService m_Commands{m_Session, CommandRecords{m_Settings, m_Options, m_Host}};
    std::mutex m_ShutdownMutex;
    std::condition_variable m_ShutdownSeen;
    int m_Shutdowns = 0; // guarded by m_ShutdownMutex
    std::unique_ptr<RemoteConsole> m_Console;

    void SetUp() override {
        m_Engine.m_EchoCommands = true;
        ASSERT_TRUE(m_Session.InitSession(&m_Engine));
        ConsoleBinding binding;
        binding.m_Post = [](std::function<void()> work, const std::function<void()>&) {
            work();
            return true;
        };
        binding.m_Actions = {
            {"many", true,
             [this](std::string_view) {
                 for (int i = 0; i < 100; ++i) {
                     m_Session.LogLine("line %03d %s", i, std::string(90, 'm').c_str());
                 }
             }},
            {"options", false, [](std::string_view) { ADD_FAILURE() << "a remote /options ran"; }},
            {"shutdown", true,
             [this](std::string_view) {
                 std::scoped_lock lock(m_ShutdownMutex);
                 ++m_Shutdowns;
                 m_ShutdownSeen.notify_all();
             }},
        };
        m_Commands.BindConsole(std::move(binding));
    }
    void TearDown() override {
        m_Console.reset();
        m_Commands.UnbindConsole();
        m_Session.ResetSession();
    }
    void Start(RconOptions options = Options()) {
        m_Session.Log().Secrets().SetValue("RconPassword", PASSWORD);
        m_Console = std::make_unique<RemoteConsole>(
            RemoteConsoleParts{m_Commands, m_Session.Log(), m_Session.Counters(), m_Clock}, options);
        ASSERT_TRUE(m_Console->Start());
    }
    static RconOptions Options() {
        RconOptions options;
        options.m_Enabled = true;
        options.m_Port = 0;
        options.m_Guard = LoginGuardLimits{2, 60000};
        return options;
    }
    uint64_t Logins(RemoteLogin result) {
        return m_Session.Counters().Snapshot().m_RemoteLogins[static_cast<size_t>(result)];
    }
};

// A client that reads whole packets back.
class Client {
public:
    explicit Client(uint16_t port, uint32_t from = 0) : m_Tcp(port, from) {}
    bool Send(int32_t id, RconType type, std::string_view body) {
        return m_Tcp.Write(EncodeRconPacket(id, type, body));
    }
    std::optional<RconPacket> Next() {
        for (;;) {
            if (auto packet = m_Reader.Next()) {
                return packet;
            }
            const size_t had = m_Tcp.Received().size();
            const std::string& all = m_Tcp.Read(had + 1);
            if (all.size() == had) {
                return std::nullopt; // closed, or nothing within the limit
            }
            EXPECT_TRUE(m_Reader.Feed(std::string_view(all).substr(had)));
        }
    }
    bool LogIn(const char* password) {
        const auto answer = Send(1, RconType::Login, password) ? Next() : std::nullopt;
        return answer && answer->m_Type == RconType::LoginAnswer && answer->m_Id == 1;
    }
    TcpTestClient& Tcp() { return m_Tcp; }

private:
    TcpTestClient m_Tcp;
    RconPacketReader m_Reader;
};

} // namespace dravo::test
