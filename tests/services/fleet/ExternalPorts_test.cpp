// Which of the game server's exposed ports are named, read from the sidecar's own JSON: by name, the
// lone port, numbers that are no port, and the lines said once per change.
#include "services/fleet/ExternalPorts.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

GameServerView View(const std::string& ports) {
    const auto view =
        ReadGameServer(R"({"result":{"status":{"state":"Ready","address":"10.0.0.5","ports":)" + ports + "}}}");
    EXPECT_TRUE(view);
    return view.value_or(GameServerView{});
}

TEST(ExternalPorts, TheGameAndQueryPortsAreFoundByTheirNames) {
    const auto read = ReadExternalPorts(
        View(R"([{"name":"rcon","port":7001},{"name":"query","port":7002},{"name":"game","port":7003}])").m_Ports);
    EXPECT_EQ(read.m_Ports.m_Game, 7003);
    EXPECT_EQ(read.m_Ports.m_Query, 7002);
    EXPECT_TRUE(read.m_Problems.empty());
}

TEST(ExternalPorts, ALonePortIsTheGamePortWhateverItsNameButNeverAmongOthers) {
    EXPECT_EQ(ReadExternalPorts(View(R"([{"name":"default","port":7100}])").m_Ports).m_Ports.m_Game, 7100);
    EXPECT_EQ(ReadExternalPorts(View(R"([{"port":7100}])").m_Ports).m_Ports.m_Game, 7100);
    EXPECT_EQ(ReadExternalPorts(View(R"([{"name":"query","port":7100}])").m_Ports).m_Ports.m_Game, 0);
    const auto two = ReadExternalPorts(View(R"([{"name":"a","port":7100},{"name":"b","port":7101}])").m_Ports);
    EXPECT_EQ(two.m_Ports.m_Game, 0);
    EXPECT_EQ(ReadExternalPorts(View("[]").m_Ports).m_Ports.m_Game, 0);
}

TEST(ExternalPorts, NumbersThatAreNoPortAreNotTakenAndSaid) {
    const auto read = ReadExternalPorts(
        View(R"([{"name":"game","port":65536},{"name":"query","port":-1},{"name":"x","port":"7"},"junk",{"name":"y"}])")
            .m_Ports);
    EXPECT_EQ(read.m_Ports.m_Game, 0);
    EXPECT_EQ(read.m_Ports.m_Query, 0);
    ASSERT_EQ(read.m_Problems.size(), 2u);
    EXPECT_EQ(read.m_Problems[0],
              "Agones SDK: the game server's port \"game\" (65536) is no port from 1 to 65535; not taken.");
    EXPECT_EQ(ReadExternalPorts(View(R"([{"name":"game","port":1e30}])").m_Ports).m_Ports.m_Game, 0);
    EXPECT_EQ(ReadExternalPorts(View(R"([{"name":"game","port":18446744073709551615}])").m_Ports).m_Ports.m_Game, 0);
}

TEST(ExternalPorts, AHugeListIsReadOnlyInPart) {
    std::string ports = "[";
    for (size_t i = 0; i < MAX_GAME_SERVER_PORTS + 10; ++i) {
        ports += R"({"name":"p)" + std::to_string(i) + R"(","port":)" + std::to_string(7000 + i) + "},";
    }
    ports += R"({"name":"game","port":7999}])";
    const GameServerView view = View(ports);
    EXPECT_EQ(view.m_Ports.size(), MAX_GAME_SERVER_PORTS);
    EXPECT_EQ(ReadExternalPorts(view.m_Ports).m_Ports.m_Game, 0); // beyond what is read
}

TEST(ExternalPortsNotes, EachChangeIsSaidOnceAndTheOperatorsPortIsNamedInstead) {
    AdvertisedPorts ports;
    ExternalPortsNotes notes(&ports);
    EXPECT_TRUE(notes.Note(View("[]")).empty()); // nothing exposed, nothing to say
    std::vector<std::string> lines = notes.Note(View(R"([{"name":"game","port":7003}])"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Agones SDK: the game server's game port is 7003; heartbeats and answers name it.");
    EXPECT_EQ(ports.Game(27888), 7003);
    EXPECT_TRUE(notes.Note(View(R"([{"name":"game","port":7003}])")).empty());

    ports.SetByOperator({40000, 0});
    lines = notes.Note(View(R"([{"name":"game","port":7004},{"name":"query","port":99999}])"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("(99999) is no port"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1], "Agones SDK: the game server's game port is 7004; AdvertisedPort 40000 is named instead.");
    EXPECT_EQ(ports.Game(27888), 40000);
    EXPECT_EQ(ports.ByFleet().m_Game, 7004);
    // The same bad number is said once only.
    EXPECT_TRUE(notes.Note(View(R"([{"name":"game","port":7004},{"name":"query","port":99999}])")).empty());

    lines = notes.Note(View("[]"));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0],
              "Agones SDK: the game server's game port is not exposed; AdvertisedPort 40000 is named instead.");
    EXPECT_EQ(ports.ByFleet().m_Game, 0);
}

} // namespace
} // namespace dravo
