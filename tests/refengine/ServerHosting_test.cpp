// Tests of opening the game session, starting worlds, the host address, sent datagrams and game commands.
#include "GameTestSupport.h"

namespace dravo::ref {
namespace {

using test::HostedServer;
using test::MakeRules;
using test::TestPeer;

OpenGameSessionRequest OpenRequest(uint16_t port, uint32_t maxPlayers = 8) {
    OpenGameSessionRequest request{};
    request.m_GamePort = port;
    request.m_MaxPlayers = maxPlayers;
    std::snprintf(request.m_SessionInfo, SESSION_INFO_SIZE, "[NAME:Test][HOST:DravoServ][LEVL:x][TYPE:1]");
    return request;
}

TEST(ServerHosting, OpenNeedsNetworkingAndTheTcpIpService) {
    Server server;
    OpenGameSessionRequest request = OpenRequest(dravo::test::FreeUdpPort());
    EXPECT_EQ(server.OpenGameSession(&request), 0);
    ASSERT_EQ(server.StartNetworking(0, 0), ENGINE_TRUE);
    EXPECT_EQ(server.OpenGameSession(&request), 0); // started, but no service chosen
    char error[256];
    server.LastErrorText(error, sizeof error);
    EXPECT_NE(std::string(error).find("TCP/IP"), std::string::npos) << error;
    ASSERT_EQ(server.UseService(NetworkServices::TCP_IP_SERVICE_ID), ENGINE_TRUE);
    ASSERT_EQ(server.ExecuteCommand("set net_bindaddress 127.0.0.1"), ENGINE_STATUS_OK);
    EXPECT_TRUE(test::OpenOnAFreePort(server, request));
}

TEST(ServerHosting, OpenFailsWhenThePortIsTakenOrTheRequestIsWrong) {
    HostedServer first;
    ASSERT_TRUE(first.m_Opened);
    HostedServer second;
    OpenGameSessionRequest request = OpenRequest(first.m_Port);
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    EXPECT_NE(second.LastError().find(std::to_string(first.m_Port)), std::string::npos) << second.LastError();
    request = OpenRequest(dravo::test::FreeUdpPort(), 0);
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    request = OpenRequest(dravo::test::FreeUdpPort(), Server::MAX_PLAYERS + 1);
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    request = OpenRequest(0);
    request.m_GamePort = 70000;
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    request = OpenRequest(dravo::test::FreeUdpPort());
    std::memset(request.m_SessionInfo, 'x', SESSION_INFO_SIZE); // not terminated
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    EXPECT_EQ(second.m_Server.OpenGameSession(nullptr), 0);
    request = OpenRequest(dravo::test::FreeUdpPort());
    ASSERT_EQ(second.m_Server.ExecuteCommand("set net_bindaddress ::1"), ENGINE_STATUS_OK);
    EXPECT_EQ(second.m_Server.OpenGameSession(&request), 0);
    EXPECT_NE(second.LastError().find("net_bindaddress"), std::string::npos);
}

TEST(ServerHosting, OpeningAgainOnTheSamePortReplacesTheSession) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.m_Opened);
    const OpenGameSessionRequest request = OpenRequest(hosted.m_Port);
    EXPECT_EQ(hosted.m_Server.OpenGameSession(&request), ENGINE_TRUE) << hosted.LastError();
}

TEST(ServerHosting, LoadWorldSendsTheFirstStateUpdate) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail()) << hosted.LastError();
    EXPECT_EQ(
        hosted.m_Recorder.TextsStartingWith("[GMSG:"),
        std::vector<std::string>{"[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Worlds\\Multi\\Frostline][PLRS:0]"});
}

TEST(ServerHosting, LoadWorldFindsCustomLevelsWithoutRegardToCase) {
    HostedServer hosted;
    const GameInfo rules = MakeRules(4, 0, 0, {"glasshouse", "WORLDS\\multi\\skyharbor"});
    ASSERT_TRUE(hosted.Load(rules)) << hosted.LastError();
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:0]").back(),
              "[GMSG:0][CLEV:glasshouse][NLEV:WORLDS\\multi\\skyharbor][PLRS:0]");
}

TEST(ServerHosting, LoadWorldRefusesMissingWorldsAndBadRules) {
    HostedServer hosted;
    GameInfo rules = MakeRules(4, 0, 0, {"Worlds\\Multi\\Atlantis"});
    EXPECT_FALSE(hosted.Load(rules));
    EXPECT_EQ(hosted.LastError(), "Unable to find world Worlds\\Multi\\Atlantis.");
    rules = MakeRules(4, 0, 0, {"..\\..\\etc\\passwd"});
    EXPECT_FALSE(hosted.Load(rules));
    EXPECT_EQ(hosted.LastError(), "Unable to find world ..\\..\\etc\\passwd.");

    rules = MakeRules(4, 0, 0, {"Worlds\\Multi\\Cinderworks"});
    LoadWorldRequest request{};
    std::snprintf(request.m_WorldName, WORLD_NAME_SIZE, "Worlds\\Multi\\Cinderworks");
    request.m_GameInfo = &rules;
    request.m_GameInfoSize = GAME_INFO_SIZE - 1;
    EXPECT_EQ(hosted.m_Server.LoadWorld(&request), 0);
    request.m_GameInfoSize = GAME_INFO_SIZE;
    request.m_GameInfo = nullptr;
    EXPECT_EQ(hosted.m_Server.LoadWorld(&request), 0);
    request.m_GameInfo = &rules;
    std::memset(request.m_WorldName, 'w', WORLD_NAME_SIZE); // not terminated
    EXPECT_EQ(hosted.m_Server.LoadWorld(&request), 0);
    EXPECT_EQ(hosted.m_Server.LoadWorld(nullptr), 0);
    EXPECT_TRUE(hosted.m_Recorder.TextsStartingWith("[GMSG:").empty());
}

TEST(ServerHosting, RotationLevelsTheResourcesLackAreReportedAndSkipped) {
    HostedServer hosted;
    const GameInfo rules = MakeRules(4, 0, 0, {"Worlds\\Multi\\Cinderworks", "Nowhere", "Rustbowl"});
    ASSERT_TRUE(hosted.Load(rules));
    EXPECT_EQ(hosted.m_Recorder.TextsStartingWith("[GMSG:0]").back(),
              "[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Rustbowl][PLRS:0]");
    const std::vector<std::string> lines = hosted.m_Recorder.Lines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Unable to find world Nowhere. The rotation skips it."),
              lines.end());
}

TEST(ServerHosting, HostAddressIsTheBoundAddressAndTheGamePort) {
    HostedServer hosted;
    char address[128] = "junk";
    uint16_t port = 0;
    ASSERT_EQ(hosted.m_Server.QueryHostAddress(address, sizeof address, &port), ENGINE_TRUE);
    EXPECT_STREQ(address, "127.0.0.1");
    EXPECT_EQ(port, hosted.m_Port);
    char tiny[4];
    ASSERT_EQ(hosted.m_Server.QueryHostAddress(tiny, sizeof tiny, &port), ENGINE_TRUE);
    EXPECT_STREQ(tiny, "127"); // cut to the buffer
}

TEST(ServerHosting, HostAddressOfEveryAddressIsAnIpv4Address) {
    HostedServer hosted;
    ASSERT_EQ(hosted.m_Server.ExecuteCommand("set net_bindaddress \"\""), ENGINE_STATUS_OK);
    OpenGameSessionRequest request = OpenRequest(0);
    ASSERT_TRUE(test::OpenOnAFreePort(hosted.m_Server, request)) << hosted.LastError();
    char address[128] = {};
    uint16_t port = 0;
    ASSERT_EQ(hosted.m_Server.QueryHostAddress(address, sizeof address, &port), ENGINE_TRUE);
    in_addr parsed{};
    EXPECT_EQ(::inet_pton(AF_INET, address, &parsed), 1) << address;
    EXPECT_EQ(port, request.m_GamePort);
}

TEST(ServerHosting, SendGameDatagramSendsFromTheGamePort) {
    HostedServer hosted;
    TestPeer peer;
    const std::string bytes("\\basic\\\0tail", 12);
    ASSERT_EQ(
        hosted.m_Server.SendGameDatagram(bytes.data(), static_cast<uint32_t>(bytes.size()), "127.0.0.1", peer.Port()),
        ENGINE_TRUE);
    uint16_t from = 0;
    const std::optional<std::string> got = peer.Receive(std::chrono::milliseconds(5000), &from);
    ASSERT_TRUE(got);
    EXPECT_EQ(*got, bytes);
    ASSERT_EQ(hosted.m_Server.SendGameDatagram("x", 1, "localhost", peer.Port()), ENGINE_TRUE);
    EXPECT_EQ(peer.Receive(), "x");
    EXPECT_EQ(from, hosted.m_Port);
}

TEST(ServerHosting, SendGameDatagramRefusesWhatItCannotSend) {
    HostedServer hosted;
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 1, "::1", 9), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 1, "no-such-host.invalid", 9), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 1, nullptr, 9), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 1, "127.0.0.1", 0), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 1, "127.0.0.1", 65536), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram(nullptr, 1, "127.0.0.1", 9), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 0, "127.0.0.1", 9), 0);
    EXPECT_EQ(hosted.m_Server.SendGameDatagram("x", 70000, "127.0.0.1", 9), 0);
    EXPECT_TRUE(hosted.m_Recorder.Lines().size() == 1u); // only the session's opening line: failures are silent
}

TEST(ServerHosting, PostToGameAcceptsTheFrontEndsTexts) {
    HostedServer hosted;
    ASSERT_TRUE(hosted.LoadRetail());
    EXPECT_EQ(hosted.m_Server.PostToGame("GAMEINIT"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.PostToGame("DRAVOSERV"), ENGINE_STATUS_OK);
    EXPECT_NE(hosted.m_Server.PostToGame("MAKEITRAIN"), ENGINE_STATUS_OK);
    EXPECT_NE(hosted.m_Server.PostToGame(nullptr), ENGINE_STATUS_OK);
    const std::vector<std::string> lines = hosted.m_Recorder.Lines();
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[lines.size() - 2], "Dedicated server ready.");
    EXPECT_EQ(lines.back(), "The game ignored \"MAKEITRAIN\": it is not a game command.");
}

TEST(ServerHosting, NextLevelWithoutAWorldIsIgnored) {
    HostedServer hosted;
    EXPECT_NE(hosted.m_Server.PostToGame("NEXTLEVEL"), ENGINE_STATUS_OK);
    EXPECT_EQ(hosted.m_Server.RunFrame(0), ENGINE_TRUE);
    EXPECT_TRUE(hosted.m_Recorder.TextsStartingWith("[GMSG:").empty());
}

} // namespace
} // namespace dravo::ref
