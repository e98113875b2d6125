// The remote console end to end: the real dravoserv, with RCON clients from npm and raw connections.
#include "integration/HostedGameTest.h"
#include "integration/RemotePeers.h"
#include "services/TcpTestClient.h"
#include "services/rcon/RconPacket.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>

namespace dravo {
namespace {

using namespace std::chrono_literals;

constexpr const char* PASSWORD = "Tr0ub4dor&3x";

class RemoteConsoleEndToEnd : public test::HostedGameTest {
protected:
    void SetUp() override {
        if (!test::NodeModules()) {
            GTEST_FAIL() << "rcon-srcds and rcon-client are missing: scripts/setup.sh installs them";
        }
    }
    // The server with the remote console on the game port's number (its default) and these overrides.
    std::unique_ptr<test::LiveProcess> StartConsole(std::vector<std::string> more = {}) {
        std::vector<std::string> arguments = {"+fragrate",  "0", "+UseGameSpy",   "0",
                                              "+ServerReg", "0", "+RconPassword", PASSWORD};
        arguments.insert(arguments.end(), more.begin(), more.end());
        auto server = StartServer(arguments);
        EXPECT_TRUE(server->WaitForOutput("Remote console listening on TCP 127.0.0.1:" + std::to_string(GamePort())))
            << server->Output();
        return server;
    }
    static std::string Run(const std::string& client, uint16_t port, const std::vector<std::string>& mode,
                           const std::string& password = PASSWORD) {
        const test::ProcessResult result = test::RconPeer(client, port, password, mode);
        EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
        return result.m_Stdout;
    }
};

TEST_F(RemoteConsoleEndToEnd, CommonClientsLogInEveryTimeAndRunCommandsAndActions) {
    std::map<std::string, std::string> pads;
    for (int i = 0; i < 40; ++i) {
        pads["Pad" + std::to_string(100 + i)] = std::string(150, static_cast<char>('a' + i % 26));
    }
    Configure(pads);
    auto server = StartConsole();
    auto bots = StartBots("Ace,Bob", 60, {"--quiet"});
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();

    EXPECT_EQ(Run("srcds", GamePort(), {"logins", "100"}), "{\"ok\":100}\n");
    EXPECT_EQ(Run("client", GamePort(), {"logins", "100"}), "{\"ok\":100}\n");

    const std::string answers =
        Run("srcds", GamePort(),
            {"run", "status", "+ServerName \"Remote Arena\"", "ServerName", "/players", "cvarlist pad"});
    EXPECT_NE(answers.find("2 of 16 players"), std::string::npos) << answers;
    // A setting of the hosting records is kept for the save, and the answer says so.
    EXPECT_NE(answers.find("\"+ServerName \\\"Remote Arena\\\"\\nServerName is now \\\"Remote Arena\\\".\\n\""),
              std::string::npos)
        << answers;
    EXPECT_NE(answers.find("ServerName is \\\"Remote Arena\\\""), std::string::npos) << answers;
    EXPECT_NE(answers.find("Players: 2\\n"), std::string::npos) << answers;
    EXPECT_NE(answers.find("\\tAce\\t"), std::string::npos) << answers;
    // An answer of several packets (about 7 KB), whole, through the client's end marker.
    EXPECT_NE(answers.find("Pad100 is"), std::string::npos) << answers;
    EXPECT_NE(answers.find("Pad139 is"), std::string::npos) << answers;
    EXPECT_NE(answers.find("40 variables"), std::string::npos) << answers;

    // rcon-client reads one packet a command: it takes the first 4096 bytes of a long answer.
    const std::string first = Run("client", GamePort(), {"run", "/status", "cvarlist pad"});
    EXPECT_NE(first.find("Current Level: Worlds\\\\Multi\\\\Cinderworks"), std::string::npos) << first;
    EXPECT_NE(first.find("Players: 2"), std::string::npos) << first;
    EXPECT_NE(first.find("Pad100 is"), std::string::npos) << first;
    // The commands ran as typed ones do: in the console log, in order.
    EXPECT_TRUE(server->WaitForOutput("+ServerName \"Remote Arena\"")) << server->Output();
}

TEST_F(RemoteConsoleEndToEnd, ThePasswordNeverShowsAndWrongOnesLockTheAddressOut) {
    auto server = StartConsole({"+RconMaxFailures", "2", "+RconLockout", "60"});
    const std::string listed = Run("srcds", GamePort(), {"run", "cvarlist rcon", "RconPassword"});
    EXPECT_NE(listed.find("RconPassword is \\\"********\\\""), std::string::npos) << listed;
    ASSERT_TRUE(server->WriteLine("cvarlist Rcon"));
    ASSERT_TRUE(server->WriteLine("+RconPassword \"An0ther-Secret\""));
    ASSERT_TRUE(server->WriteLine("RconPassword"));
    ASSERT_TRUE(server->WaitForOutput("RconPassword \"********\"")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput("RconPassword is \"********\"")) << server->Output();

    // The new password counts at once; two wrong ones lock 127.0.0.1 out, the right one included.
    EXPECT_EQ(Run("srcds", GamePort(), {"login"}, "An0ther-Secret"), "{\"ok\":true}\n");
    EXPECT_EQ(Run("client", GamePort(), {"login"}, PASSWORD), "{\"ok\":false,\"error\":\"Authentication failed\"}\n");
    EXPECT_TRUE(server->WaitForOutput("Remote console: wrong password from 127.0.0.1.")) << server->Output();
    EXPECT_NE(Run("srcds", GamePort(), {"login"}, "wrong-guess").find("\"ok\":false"), std::string::npos);
    EXPECT_TRUE(server->WaitForOutput("Remote console: wrong password from 127.0.0.1; it is locked out for 60 s."))
        << server->Output();
    const std::string locked = Run("srcds", GamePort(), {"login"}, "An0ther-Secret");
    EXPECT_NE(locked.find("\"ok\":false"), std::string::npos) << locked << server->Output();
    server->CloseInput();
    server->Signal(SIGTERM);
    EXPECT_EQ(server->Wait(), 0);
    for (const std::string_view secret : {PASSWORD, "An0ther-Secret"}) {
        EXPECT_EQ(server->Output().find(secret), std::string::npos) << server->Output();
        EXPECT_EQ(server->Errors().find(secret), std::string::npos) << server->Errors();
    }
}

TEST_F(RemoteConsoleEndToEnd, FloodsJunkAndSlowClientsAreClosedAndTheConsoleStillAnswers) {
    auto server = StartConsole({"+RconLoginTimeout", "0.5"});
    const uint16_t port = GamePort();

    test::TcpTestClient oversized(port);
    std::string packet = EncodeRconPacket(1, RconType::Login, std::string(MAX_RCON_BODY, 'x'));
    packet[1] = static_cast<char>(packet[1] + 1); // 256 bytes more than a body may hold
    (void)oversized.Write(packet);
    EXPECT_TRUE(oversized.WaitForClose());
    EXPECT_EQ(oversized.Received(), "");
    test::TcpTestClient malformed(port);
    (void)malformed.Write(std::string("\x0c\0\0\0\x01\0\0\0\x03\0\0\0pwXY", 16));
    EXPECT_TRUE(malformed.WaitForClose());

    // A client that sends a byte at a time is closed at the login timeout, long before its packet ends.
    test::TcpTestClient slow(port);
    const std::string login = EncodeRconPacket(2, RconType::Login, PASSWORD);
    size_t sent = 0;
    while (sent < login.size() && !slow.WaitReadable(200ms)) {
        (void)slow.Write(login.substr(sent++, 1));
    }
    EXPECT_TRUE(slow.WaitForClose());
    EXPECT_LT(sent, login.size());

    // 1,000 connections at once from 250 addresses that never log in: each is closed, to make room for a
    // newer one or at the login timeout.
    std::vector<std::unique_ptr<test::TcpTestClient>> flood;
    for (uint32_t i = 0; i < 1000; ++i) {
        flood.push_back(std::make_unique<test::TcpTestClient>(port, 0x7F000002 + i / 4));
    }
    size_t closed = 0;
    for (auto& client : flood) {
        closed += client->WaitForClose(10s) ? 1 : 0;
    }
    EXPECT_EQ(closed, flood.size());
    EXPECT_TRUE(server->WaitForOutput("Remote console: too many connections; the oldest that have not logged in "
                                      "are closed to make room (at most 16, 4 from one address)."))
        << server->Output();
    flood.clear();
    EXPECT_NE(Run("srcds", port, {"run", "status"}).find("0 of 16 players"), std::string::npos);
}

TEST_F(RemoteConsoleEndToEnd, APasswordOnTheCommandLineLeavesTheProcessList) {
    auto server = StartConsole();
    std::ifstream file("/proc/" + std::to_string(server->Pid()) + "/cmdline", std::ios::binary);
    const std::string arguments((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(arguments.find("+RconPassword"), std::string::npos);
    EXPECT_EQ(arguments.find(PASSWORD), std::string::npos) << "every local user can read this";
    EXPECT_NE(Run("srcds", GamePort(), {"run", "status"}).find("0 of 16 players"), std::string::npos);
}

TEST_F(RemoteConsoleEndToEnd, ThePasswordMayComeFromTheEnvironment) {
    ASSERT_EQ(setenv("DRAVO_RCON_PASSWORD", PASSWORD, 1), 0);
    auto server = StartServer({"+fragrate", "0", "+UseGameSpy", "0", "+ServerReg", "0"});
    unsetenv("DRAVO_RCON_PASSWORD");
    ASSERT_TRUE(server->WaitForOutput("Remote console listening on TCP 127.0.0.1:" + std::to_string(GamePort())))
        << server->Output();
    EXPECT_NE(Run("srcds", GamePort(), {"run", "status"}).find("0 of 16 players"), std::string::npos);
}

TEST_F(RemoteConsoleEndToEnd, ShutdownAnswersAndThenTheServerStops) {
    auto server = StartConsole();
    EXPECT_EQ(Run("srcds", GamePort(), {"run", "/shutdown"}), "[\"Shutting the server down.\\n\"]\n");
    EXPECT_EQ(server->Wait(), 0) << server->Output() << server->Errors();
}

} // namespace
} // namespace dravo
