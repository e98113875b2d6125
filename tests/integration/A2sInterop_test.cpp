// A2S end to end: dravoserv hosting with dravo-bot players, read by the peers that monitoring tools are
// built on, gamedig (npm, protocol-valve) and quakestat (-a2s), with the challenges on, while quakestat
// (-gps) still reads GameSpy on the same port.
#include "integration/PresenceFixture.h"
#include "net/UdpTestPeer.h"

#include <gtest/gtest.h>

#include <sstream>

namespace dravo {
namespace {

namespace fs = std::filesystem;
using test::UdpTestPeer;

std::optional<fs::path> FindGamedig() {
    for (const fs::path& root : {fs::path(DRAVO_BUILD_DIR), fs::path(DRAVO_SOURCE_DIR) / "build"}) {
        if (fs::exists(root / "node_modules/gamedig/bin/gamedig.js")) {
            return root / "node_modules/gamedig/bin/gamedig.js";
        }
    }
    return std::nullopt;
}

std::string FirstLine(const std::string& text) {
    return text.substr(0, text.find('\n'));
}

class A2sInteropTest : public test::PresenceTest {
protected:
    std::unique_ptr<test::LiveProcess> m_Server;
    std::unique_ptr<test::LiveProcess> m_Bots;

    // Ace and Bob playing, Bob with 4 frags that the GameSpy answer already shows.
    void SetUp() override {
        PresenceTest::SetUp();
        Configure({{"SpyRateBurst", "0"}, {"SpyGlobalRate", "0"}}); // the peers ask often from one address
        m_Server = StartServer();
        m_Bots = StartBots("Ace,Bob", 60);
        for (const char* name : {"Ace", "Bob"}) {
            ASSERT_TRUE(m_Server->WaitForOutput(std::string(name) + " joined the game.")) << m_Server->Output();
        }
        // The frags reach the player table with the next frame's state update: wait until an answer shows them.
        m_Server->WriteLine("addfrag Bob 4");
        UdpTestPeer client;
        std::string answered;
        for (int probe = 0; probe < 500 && answered.find("\\Bob\\frags_0\\4\\") == std::string::npos; ++probe) {
            ASSERT_TRUE(client.SendTo(QueryPort(), "\\players\\"));
            const auto answer = client.Receive();
            ASSERT_TRUE(answer);
            answered = answer->m_Data;
        }
        ASSERT_NE(answered.find("\\Bob\\frags_0\\4\\"), std::string::npos) << answered;
    }
    void TearDown() override {
        m_Server->WriteLine("/shutdown");
        EXPECT_EQ(m_Server->Wait(), 0) << m_Server->Errors();
    }
    static std::string Quakestat(const std::string& protocol, uint16_t port) {
        const auto result = test::RunProcess(
            "/usr/bin/quakestat", {"-raw", "\t", "-P", "-R", protocol, "127.0.0.1:" + std::to_string(port)}, ".");
        EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
        return result.m_Stdout;
    }
};

TEST_F(A2sInteropTest, GamedigReadsInfoPlayersAndRules) {
    const auto gamedig = FindGamedig();
    ASSERT_TRUE(gamedig) << "gamedig is missing: scripts/setup.sh installs it (npm install --prefix build gamedig)";
    const auto result = test::RunProcess("/usr/bin/env",
                                         {"node", gamedig->string(), "--type", "protocol-valve", "--requestRules",
                                          "127.0.0.1:" + std::to_string(QueryPort())},
                                         ".", "", std::chrono::seconds(20));
    ASSERT_EQ(result.m_ExitStatus, 0) << result.m_Stdout << result.m_Stderr;
    const std::string& answer = result.m_Stdout;
    ASSERT_EQ(answer.find("\"error\""), std::string::npos) << answer;
    for (const std::string& expected : std::vector<std::string>{
             "\"name\":\"Loopback Arena\"",
             "\"map\":\"Cinderworks\"",
             "\"maxplayers\":16",
             "\"numplayers\":2",
             "\"folder\":\"dravo\"",
             "\"game\":\"Dravo\"",
             "\"environment\":\"l\"",
             "\"connect\":\"127.0.0.1:" + std::to_string(GamePort()) + "\"",
             "{\"name\":\"Ace\",\"raw\":{\"score\":0,",
             "{\"name\":\"Bob\",\"raw\":{\"score\":4,",
             "\"rules\":{\"timelimit\":\"10\",\"fraglimit\":\"25\",\"tractorbeam\":\"on\"",
         }) {
        EXPECT_NE(answer.find(expected), std::string::npos) << expected << "\n" << answer;
    }
}

TEST_F(A2sInteropTest, QuakestatReadsA2sAndGameSpyOnTheSamePort) {
    ASSERT_TRUE(fs::exists("/usr/bin/quakestat")) << "install qstat";
    const std::string a2s = Quakestat("-a2s", QueryPort());
    const std::string gps = Quakestat("-gps", QueryPort());
    const std::string port = std::to_string(QueryPort());
    // Protocol, address, server name, map, max players, players: the same from both.
    EXPECT_EQ(FirstLine(a2s).rfind("A2S\t127.0.0.1:" + port + "\tLoopback Arena\tCinderworks\t16\t2\t", 0), 0u) << a2s;
    EXPECT_EQ(FirstLine(gps).rfind("GPS\t127.0.0.1:" + port + "\tLoopback Arena\tCinderworks\t16\t2\t", 0), 0u) << gps;
    EXPECT_NE(a2s.find("fraglimit=25"), std::string::npos) << a2s;
    EXPECT_NE(a2s.find("\nBob\t4\t"), std::string::npos) << a2s;
    EXPECT_NE(a2s.find("\nAce\t0\t"), std::string::npos) << a2s;
    // The game port answers A2S too, by the engine's road.
    const std::string gamePort = Quakestat("-a2s", GamePort());
    EXPECT_EQ(FirstLine(gamePort).rfind("A2S\t127.0.0.1:" + std::to_string(GamePort()) + "\tLoopback Arena\t", 0), 0u)
        << gamePort;
}

} // namespace
} // namespace dravo
