// The A2S answers of the status reporter on a real query port: the challenge, the three answers read
// field by field as a client reads them, their agreement with the GameSpy answers, and what gets nothing.
#include "net/A2sReader.h"
#include "net/ReporterFixture.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::A2sReader;
using test::A2sRequest;

class QueryA2sTest : public test::ReporterTest {
protected:
    void SetUp() override {
        ReporterTest::SetUp();
        AddPlayer("Ace", 7, 20);
        AddPlayer("Bob", 3, 40);
    }
    // Sends a datagram and returns the first datagram that comes back.
    std::string Exchange(const std::string& request) {
        EXPECT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), request));
        Pump();
        const auto answer = m_Client.Receive();
        return answer ? answer->m_Data : std::string();
    }
    // The challenge the reporter gives this client, asked for with a request of `kind`.
    uint32_t TakeChallenge(char kind) {
        const std::string answer = kind == 'T' ? Exchange(A2sRequest('T', a2s::INFO_PAYLOAD, nullptr))
                                               : Exchange(A2sRequest(kind, "", &a2s::NO_CHALLENGE));
        EXPECT_EQ(answer.size(), a2s::CHALLENGE_ANSWER_SIZE);
        A2sReader reader(answer);
        EXPECT_EQ(reader.Header(), a2s::CHALLENGE_ANSWER);
        return static_cast<uint32_t>(reader.Long());
    }
    std::string AskWithChallenge(char kind) {
        const uint32_t challenge = TakeChallenge(kind);
        return Exchange(A2sRequest(kind, kind == 'T' ? a2s::INFO_PAYLOAD : "", &challenge));
    }
    // Sends `ignored` first, then a GameSpy echo: the echo's answer must be the first thing back.
    void ExpectNothingFor(const std::string& ignored) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), ignored));
        EXPECT_TRUE(Exchange("\\echo\\after").starts_with("\\echo\\after\\final\\")) << testing::PrintToString(ignored);
    }
};

TEST_F(QueryA2sTest, InfoAnswersWithTheChallengeFirstThenWithEveryField) {
    Start();
    A2sReader info(AskWithChallenge('T'));
    EXPECT_EQ(info.Header(), a2s::INFO_ANSWER);
    EXPECT_EQ(info.Byte(), a2s::PROTOCOL_VERSION);
    EXPECT_EQ(info.Text(), "Test Server");
    EXPECT_EQ(info.Text(), "Cinderworks");
    EXPECT_EQ(info.Text(), "dravo");
    EXPECT_EQ(info.Text(), "Dravo");
    EXPECT_EQ(info.Short(), 0);  // application id
    EXPECT_EQ(info.Byte(), 2);   // players
    EXPECT_EQ(info.Byte(), 16);  // max players
    EXPECT_EQ(info.Byte(), 0);   // bots
    EXPECT_EQ(info.Byte(), 'd'); // dedicated
#ifdef _WIN32
    EXPECT_EQ(info.Byte(), 'w');
#else
    EXPECT_EQ(info.Byte(), 'l');
#endif
    EXPECT_EQ(info.Byte(), 0); // no password
    EXPECT_EQ(info.Byte(), 0); // not secured
    EXPECT_EQ(info.Text(), DRAVO_VERSION_TEXT);
    EXPECT_EQ(info.Byte(), a2s::EDF_GAME_PORT);
    EXPECT_EQ(info.Short(), GAME_PORT);
    EXPECT_TRUE(info.Ok());
    EXPECT_TRUE(info.AtEnd());
}

TEST_F(QueryA2sTest, InfoNeedsNoChallengeWhenThatIsSwitchedOff) {
    m_A2sInfoChallenge = false;
    Start();
    A2sReader info(Exchange(A2sRequest('T', a2s::INFO_PAYLOAD, nullptr)));
    EXPECT_EQ(info.Header(), a2s::INFO_ANSWER);
    // Players and rules still need theirs.
    EXPECT_EQ(Exchange(A2sRequest('U', "", &a2s::NO_CHALLENGE)).size(), a2s::CHALLENGE_ANSWER_SIZE);
}

TEST_F(QueryA2sTest, PlayersCarryTheirFragsAndTimeConnected) {
    Start();
    m_Status.SetJoined(1000);
    m_Clock.Set(4500);
    A2sReader players(AskWithChallenge('U'));
    EXPECT_EQ(players.Header(), a2s::PLAYER_ANSWER);
    ASSERT_EQ(players.Byte(), 2);
    for (const auto& [name, frags] : {std::pair{"Ace", 7}, std::pair{"Bob", 3}}) {
        players.Byte(); // index
        EXPECT_EQ(players.Text(), name);
        EXPECT_EQ(players.Long(), frags);
        EXPECT_FLOAT_EQ(players.Float(), 3.5F);
    }
    EXPECT_TRUE(players.Ok() && players.AtEnd());
    // The time goes on without any change to the players.
    m_Clock.Set(10500);
    A2sReader later(AskWithChallenge('U'));
    later.Header();
    later.Byte();
    later.Byte();
    later.Text();
    later.Long();
    EXPECT_FLOAT_EQ(later.Float(), 9.5F);
}

TEST_F(QueryA2sTest, ManyLongNamesAreCutAtAWholePlayerAndCountedSo) {
    Start();
    for (int i = 0; i < 60; ++i) {
        AddPlayer(std::string(60, static_cast<char>('a' + i % 26)).c_str(), i, 10);
    }
    const std::string answer = AskWithChallenge('U');
    EXPECT_LE(answer.size(), a2s::MAX_ANSWER);
    A2sReader players(answer);
    players.Header();
    const int count = players.Byte();
    EXPECT_GT(count, 10);
    EXPECT_LT(count, 62);
    for (int i = 0; i < count; ++i) {
        players.Byte();
        players.Text();
        players.Long();
        players.Float();
    }
    EXPECT_TRUE(players.Ok() && players.AtEnd());
}

TEST_F(QueryA2sTest, RulesAreThoseOfTheGameSpyAnswer) {
    Start();
    A2sReader rules(AskWithChallenge('V'));
    EXPECT_EQ(rules.Header(), a2s::RULES_ANSWER);
    ASSERT_EQ(rules.Short(), 5);
    std::string asText;
    for (int i = 0; i < 5; ++i) {
        asText += "\\" + rules.Text();
        asText += "\\" + rules.Text();
    }
    EXPECT_TRUE(rules.Ok() && rules.AtEnd());
    EXPECT_EQ(asText, "\\timelimit\\0\\fraglimit\\25\\tractorbeam\\on\\doublejump\\off\\ramming\\off");
    EXPECT_TRUE(Ask("\\rules\\")[0].starts_with(asText + "\\final\\"));
}

TEST_F(QueryA2sTest, AgreesWithTheGameSpyAnswerOnNameLevelAndPlayers) {
    Start();
    const std::string status = Ask("\\status\\")[0];
    A2sReader info(AskWithChallenge('T'));
    info.Header();
    info.Byte();
    const std::string name = info.Text();
    const std::string map = info.Text();
    info.Text();
    info.Text();
    info.Short();
    const int count = info.Byte();
    EXPECT_NE(status.find("\\hostname\\" + name + "\\"), std::string::npos) << status;
    EXPECT_NE(status.find("\\mapname\\" + map + "\\"), std::string::npos) << status;
    EXPECT_NE(status.find("\\numplayers\\" + std::to_string(count) + "\\"), std::string::npos) << status;
    A2sReader players(AskWithChallenge('U'));
    players.Header();
    ASSERT_EQ(players.Byte(), count);
    for (int i = 0; i < count; ++i) {
        players.Byte();
        const std::string player = players.Text();
        EXPECT_NE(status.find("\\player_" + std::to_string(i) + "\\" + player + "\\"), std::string::npos);
        players.Long();
        players.Float();
    }
}

TEST_F(QueryA2sTest, WrongStaleOrMalformedRequestsGetNothing) {
    Start();
    const uint32_t challenge = TakeChallenge('U');
    const uint32_t wrong = challenge ^ 0x00010000;
    const std::string header("\xFF\xFF\xFF\xFF", 4);
    ExpectNothingFor(A2sRequest('U', "", &wrong));
    ExpectNothingFor(A2sRequest('T', a2s::INFO_PAYLOAD, &wrong));
    ExpectNothingFor(header);
    ExpectNothingFor(header + "U" + "ab");
    ExpectNothingFor(std::string("\xFF\xFF\xFF\xFE", 4) + "\x01\x00\x00\x00\x02\x00" + "T");
    ExpectNothingFor(header + "I" + std::string(a2s::INFO_PAYLOAD));
    ExpectNothingFor(header + "A" + "abcd");
    // The challenge holds through the next period and no longer.
    m_Clock.Advance(2 * A2sChallenge::PERIOD_MS);
    ExpectNothingFor(A2sRequest('U', "", &challenge));
}

TEST_F(QueryA2sTest, SwitchedOffItAnswersNothingButGameSpyStill) {
    m_A2s = false;
    Start();
    ExpectNothingFor(A2sRequest('T', a2s::INFO_PAYLOAD, nullptr));
    ExpectNothingFor(A2sRequest('U', "", &a2s::NO_CHALLENGE));
}

TEST_F(QueryA2sTest, TheGamePortRoadTakesTheRequestWholeNulsAndAll) {
    m_A2sInfoChallenge = false;
    Start();
    test::RecordingSendHook hook;
    m_Reporter.SetSendHook(&hook);
    const std::string request = A2sRequest('T', a2s::INFO_PAYLOAD, nullptr);
    EXPECT_EQ(AskGamePort(Peer("127.0.0.7", 5000), request), 1);
    ASSERT_EQ(hook.m_Sent.size(), 2u); // the heartbeat, then the answer
    EXPECT_EQ(hook.m_Sent[1].m_Address, "127.0.0.7");
    EXPECT_EQ(hook.m_Sent[1].m_Port, 5000);
    EXPECT_EQ(A2sReader(hook.m_Sent[1].m_Data).Header(), a2s::INFO_ANSWER);
}

TEST_F(QueryA2sTest, OneAddressGetsItsAllowanceAndNoMore) {
    Start(AnswerRateLimits{}); // the defaults: a burst of 10
    const uint32_t challenge = TakeChallenge('V');
    const std::string rules = A2sRequest('V', "", &challenge);
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), rules));
    }
    Pump(AnswerRateLimits::DEFAULT_BURST - 1);
    int answers = 0;
    while (m_Client.Receive(std::chrono::milliseconds(0))) {
        ++answers;
    }
    // The challenge was an answer too.
    EXPECT_EQ(answers, static_cast<int>(AnswerRateLimits::DEFAULT_BURST) - 1);
}

TEST_F(QueryA2sTest, RequestsForChallengesSpendTheAllowanceOfTheirAddress) {
    Start(AnswerRateLimits{});
    const std::string ask = A2sRequest('T', a2s::INFO_PAYLOAD, nullptr);
    for (int i = 0; i < 30; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), ask));
    }
    Pump(AnswerRateLimits::DEFAULT_BURST);
    int challenges = 0;
    while (const auto answer = m_Client.Receive(std::chrono::milliseconds(0))) {
        EXPECT_EQ(answer->m_Data.size(), a2s::CHALLENGE_ANSWER_SIZE);
        ++challenges;
    }
    EXPECT_EQ(challenges, static_cast<int>(AnswerRateLimits::DEFAULT_BURST));
    // A second later the address has earned one more answer, and no more, challenge or not.
    m_Clock.Advance(1000);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), ask));
    }
    Pump();
    EXPECT_EQ(m_Reporter.Process(), 0);
    ASSERT_TRUE(m_Client.Receive(std::chrono::milliseconds(0)));
    EXPECT_FALSE(m_Client.Receive(std::chrono::milliseconds(0)));
}

} // namespace
} // namespace dravo
