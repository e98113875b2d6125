// The query reporter through real UDP sockets on loopback: answers, ids, splitting,
// limits on what is read, the heartbeat and the send paths.
#include "net/ReporterFixture.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <memory>
#include <mutex>

namespace dravo {
namespace {

using List = std::vector<std::string>;
using QueryReporterTest = test::ReporterTest;

// A query that answers with a known text: what came before it was answered first, if at all.
constexpr std::string_view MARK = "\\echo\\mark";

TEST_F(QueryReporterTest, FirstProcessSendsTheHeartbeatNamingTheGamePort) {
    Start();
    EXPECT_EQ(m_Reporter.Process(), 0);
    const auto heartbeat = m_Master.Receive();
    ASSERT_TRUE(heartbeat);
    EXPECT_EQ(heartbeat->m_Data, "\\heartbeat\\27960\\gamename\\dravo\\final\\\\queryid\\1.1");
    EXPECT_EQ(heartbeat->m_FromPort, m_Reporter.QueryPort()); // no send hook: from the query port
}

TEST_F(QueryReporterTest, BasicAnswerWithQueryIdFive) {
    Start();
    (void)m_Reporter.Process(); // the heartbeat takes id 1
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(Ask("\\echo\\x").size(), 1u);
    }
    EXPECT_EQ(Ask("\\basic\\"), List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\final\\\\queryid\\5.1"});
}

TEST_F(QueryReporterTest, EchoAndTheTokensItConsumes) {
    Start();
    (void)m_Reporter.Process();
    EXPECT_EQ(Ask("\\echo\\hello"), List{"\\echo\\hello\\final\\\\queryid\\2.1"});
    // The empty value is skipped and "status" is taken as the echo's value.
    EXPECT_EQ(Ask("\\echo\\\\status\\"), List{"\\echo\\status\\final\\\\queryid\\3.1"});
    EXPECT_EQ(Ask("\\basic\\foo\\echo"),
              List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\final\\\\queryid\\4.1"});
}

TEST_F(QueryReporterTest, UnknownKeysSendNothingButUseAnId) {
    Start();
    (void)m_Reporter.Process();
    for (std::string_view query : {"\\STATUS\\", "\\secure\\", "\\echo\\", "\\ba\xE9sic\\"}) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), query));
        EXPECT_EQ(Pump(), 1) << query; // handled, with an empty answer
    }
    // Ids 2 to 5 went to the four empty answers.
    EXPECT_EQ(Ask(MARK), List{"\\echo\\mark\\final\\\\queryid\\6.1"});
}

TEST_F(QueryReporterTest, StatusAnswersBasicInfoRulesAndPlayersInOrder) {
    AddPlayer("Ace", 7, 31);
    AddPlayer("Bob", -1, 120);
    Start();
    (void)m_Reporter.Process();
    EXPECT_EQ(Ask("\\status\\"),
              List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0"
                   "\\hostname\\Test Server\\hostport\\27960\\mapname\\Cinderworks\\gametype\\deathmatch"
                   "\\numplayers\\2\\maxplayers\\16\\gamemode\\openplaying"
                   "\\timelimit\\0\\fraglimit\\25\\tractorbeam\\on\\doublejump\\off\\ramming\\off"
                   "\\player_0\\Ace\\frags_0\\7\\ping_0\\31\\player_1\\Bob\\frags_1\\-1\\ping_1\\120"
                   "\\final\\\\queryid\\2.1"});
    EXPECT_EQ(Ask("\\basic\\foo\\info\\"),
              List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0"
                   "\\hostname\\Test Server\\hostport\\27960\\mapname\\Cinderworks\\gametype\\deathmatch"
                   "\\numplayers\\2\\maxplayers\\16\\gamemode\\openplaying\\final\\\\queryid\\3.1"});
}

TEST_F(QueryReporterTest, LargeAnswersSplitIntoNumberedPackets) {
    for (int i = 0; i < 130; ++i) {
        AddPlayer((std::string(60, 'n') + std::to_string(100 + i)).c_str(), i, i);
    }
    Start();
    (void)m_Reporter.Process();
    const List packets = Ask("\\players\\");
    ASSERT_GE(packets.size(), 3u);
    std::string pairs;
    for (size_t i = 0; i < packets.size(); ++i) {
        const bool last = i + 1 == packets.size();
        const std::string trailer = (last ? "\\final\\" : "") + std::string("\\queryid\\2.") + std::to_string(i + 1);
        ASSERT_TRUE(packets[i].ends_with(trailer)) << i << ": " << packets[i].substr(packets[i].size() - 40);
        EXPECT_EQ(packets[i].find("\\final\\"), last ? packets[i].size() - trailer.size() : std::string::npos);
        EXPECT_LT(packets[i].size(), 4096u);
        pairs += packets[i].substr(0, packets[i].size() - trailer.size());
    }
    EXPECT_EQ(pairs.find("\\player_0\\" + std::string(60, 'n') + "100\\frags_0\\0\\ping_0\\0"), 0u);
    EXPECT_TRUE(pairs.ends_with("\\player_129\\" + std::string(60, 'n') + "229\\frags_129\\129\\ping_129\\129"));
}

TEST_F(QueryReporterTest, QueryIdWrapsAfter1000) {
    Start();
    (void)m_Reporter.Process(); // id 1
    for (int id = 2; id < 1000; ++id) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), "\\echo\\x"));
        ASSERT_EQ(Pump(), 1);
        ASSERT_TRUE(m_Client.Receive());
    }
    EXPECT_EQ(Ask("\\echo\\a"), List{"\\echo\\a\\final\\\\queryid\\1000.1"});
    EXPECT_EQ(Ask("\\echo\\b"), List{"\\echo\\b\\final\\\\queryid\\1.1"});
}

TEST_F(QueryReporterTest, DatagramsAbove500BytesAndEmptyOnesAreDropped) {
    Start();
    (void)m_Reporter.Process();
    const std::string exact = "\\echo\\" + std::string(494, 'e'); // 500 bytes
    EXPECT_EQ(Ask(exact), List{"\\echo\\" + std::string(494, 'e') + "\\final\\\\queryid\\2.1"});
    ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), exact + "e")); // 501 bytes
    ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), ""));          // a client's retry
    ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), MARK));
    // The mark comes last: once something is answered, the two before it were read.
    EXPECT_EQ(Pump(), 1);
    EXPECT_EQ(m_Client.ReceiveAnswer(), List{"\\echo\\mark\\final\\\\queryid\\3.1"}); // the dropped ones used no id
}

TEST_F(QueryReporterTest, AProcessReadsEverythingWaitingWithinItsTime) {
    Start(NoLimits(), std::chrono::seconds(5)); // time enough for all of them on any machine
    (void)m_Reporter.Process();
    for (int i = 0; i < 300; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), "\\echo\\" + std::to_string(i)));
    }
    EXPECT_EQ(m_Reporter.Process(), 300); // no count stops it, only time
    EXPECT_EQ(m_Client.ReceiveAnswer(1).front(), "\\echo\\0\\final\\\\queryid\\2.1");
}

TEST_F(QueryReporterTest, SecureAnswersTheValidateValue) {
    Start();
    (void)m_Reporter.Process();
    EXPECT_EQ(Ask("\\secure\\abcdef"), List{"\\validate\\mxX1AsRq\\final\\\\queryid\\2.1"});
    EXPECT_EQ(Ask("\\basic\\secure\\XZQPVK"),
              List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\validate\\tRmtOAh1\\final\\\\queryid\\3.1"});
}

TEST_F(QueryReporterTest, HeartbeatsFollowSixtySecondsOfAccumulatedTime) {
    test::RecordingSendHook hook;
    Start();
    m_Reporter.SetSendHook(&hook);
    m_Clock.Set(123456);
    auto heartbeats = [&] { return hook.m_Sent.size(); };
    (void)m_Reporter.Process();
    ASSERT_EQ(heartbeats(), 1u);
    EXPECT_EQ(hook.m_Sent[0].m_Address, "127.0.0.1");
    EXPECT_EQ(hook.m_Sent[0].m_Port, m_Master.Port());
    for (int step = 0; step < 5999; ++step) { // 59990 ms in steps of 10
        m_Clock.Advance(10);
        (void)m_Reporter.Process();
    }
    m_Clock.Advance(9);
    (void)m_Reporter.Process();
    EXPECT_EQ(heartbeats(), 1u); // 59999 ms
    m_Clock.Advance(1);
    (void)m_Reporter.Process();
    ASSERT_EQ(heartbeats(), 2u);
    EXPECT_EQ(hook.m_Sent[1].m_Data, "\\heartbeat\\27960\\gamename\\dravo\\final\\\\queryid\\2.1");
    // A long gap sends at once, and the excess is not carried over.
    m_Clock.Advance(150000);
    (void)m_Reporter.Process();
    m_Clock.Advance(59999);
    (void)m_Reporter.Process();
    EXPECT_EQ(heartbeats(), 3u);
    m_Clock.Advance(1);
    (void)m_Reporter.Process();
    EXPECT_EQ(heartbeats(), 4u);
}

TEST_F(QueryReporterTest, WithASendHookQueryPortAnswersStillLeaveFromTheQueryPort) {
    test::RecordingSendHook hook;
    Start();
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    ASSERT_EQ(hook.m_Sent.size(), 1u); // the heartbeat went through the hook
    ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), "\\echo\\asked"));
    EXPECT_EQ(Pump(), 1);
    const auto answer = m_Client.Receive();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->m_Data, "\\echo\\asked\\final\\\\queryid\\2.1");
    EXPECT_EQ(answer->m_FromPort, m_Reporter.QueryPort());
    EXPECT_EQ(hook.m_Sent.size(), 1u);
    // A game-port query in between is answered through the hook again.
    EXPECT_EQ(AskGamePort(Peer("127.0.0.1", m_Client.Port()), std::string_view("\\echo\\hooked", 13)), 1);
    ASSERT_EQ(hook.m_Sent.size(), 2u);
    EXPECT_EQ(hook.m_Sent[1].m_Data, "\\echo\\hooked\\final\\\\queryid\\3.1");
    EXPECT_EQ(hook.m_Sent[1].m_Port, m_Client.Port());
}

TEST_F(QueryReporterTest, GamePortQueriesAreAnsweredAtTheNextStepAndBoundedByTheirLength) {
    test::RecordingSendHook hook;
    const NetPeer sender = Peer("127.0.0.9", 5000);
    EXPECT_FALSE(m_Reporter.HandleExternalQuery(sender, "\\basic\\", 7)); // not reporting yet
    Start();
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process(); // the heartbeat
    hook.m_Sent.clear();
    // Read up to the first NUL or the length given.
    EXPECT_TRUE(m_Reporter.HandleExternalQuery(sender, "\\echo\\abcdef", 9));
    EXPECT_TRUE(m_Reporter.HandleExternalQuery(sender, "\\echo\\x\0\\status\\", 17));
    EXPECT_TRUE(hook.m_Sent.empty()); // queued for the step
    EXPECT_EQ(m_Reporter.Process(), 2);
    ASSERT_EQ(hook.m_Sent.size(), 2u);
    EXPECT_EQ(hook.m_Sent[0].m_Data, "\\echo\\abc\\final\\\\queryid\\2.1");
    EXPECT_EQ(hook.m_Sent[0].m_Address, "127.0.0.9");
    EXPECT_EQ(hook.m_Sent[0].m_Port, 5000);
    EXPECT_EQ(hook.m_Sent[1].m_Data, "\\echo\\x\\final\\\\queryid\\3.1");
    EXPECT_FALSE(m_Reporter.HandleExternalQuery(sender, "\\basic\\", 0));
    EXPECT_EQ(AskGamePort(Peer("127.0.0.9", 0), "\\basic\\"), 0); // nowhere to answer
    EXPECT_EQ(hook.m_Sent.size(), 2u);
}

TEST_F(QueryReporterTest, TheQueueOfTheGamePortHoldsAFramesWorthAndShutdownEmptiesIt) {
    test::RecordingSendHook hook;
    Start();
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    for (size_t i = 0; i < QueryReporter::MAX_QUEUED; ++i) {
        ASSERT_TRUE(m_Reporter.HandleExternalQuery(Peer("10.1.0.1", static_cast<uint16_t>(1000 + i)), "\\echo\\q", 7));
    }
    EXPECT_FALSE(m_Reporter.HandleExternalQuery(Peer("10.1.0.2", 999), "\\echo\\q", 7)); // full: dropped
    m_Reporter.Shutdown();
    Start();
    m_Reporter.SetSendHook(&hook);
    hook.m_Sent.clear();
    EXPECT_EQ(m_Reporter.Process(), 0); // nothing of the earlier game is answered
    ASSERT_EQ(hook.m_Sent.size(), 1u);  // only its heartbeat
}

TEST_F(QueryReporterTest, BothPortsTakeTurnsWithinOneTimeBound) {
    test::RecordingSendHook hook;
    Start(NoLimits(), std::chrono::microseconds(0)); // no time at all: one query a step
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    hook.m_Sent.clear();
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), "\\echo\\port" + std::to_string(i)));
        const std::string game = "\\echo\\game" + std::to_string(i);
        ASSERT_TRUE(m_Reporter.HandleExternalQuery(Peer("10.2.0.1", 5000), game.c_str(), game.size()));
    }
    // The first step answers a single query however many wait, and the game port's do not go first.
    EXPECT_EQ(Pump(), 1);
    EXPECT_TRUE(hook.m_Sent.empty());
    EXPECT_EQ(m_Client.ReceiveAnswer(), List{"\\echo\\port0\\final\\\\queryid\\2.1"});
    // With time enough, the two roads alternate: the queued game-port queries were dropped with their step.
    m_Reporter.Shutdown();
    Start(NoLimits(), std::chrono::seconds(5));
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    hook.m_Sent.clear();
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), "\\echo\\port" + std::to_string(i)));
    }
    for (int i = 0; i < 3; ++i) {
        const std::string game = "\\echo\\game" + std::to_string(i);
        ASSERT_TRUE(m_Reporter.HandleExternalQuery(Peer("10.2.0.1", 5000), game.c_str(), game.size()));
    }
    EXPECT_EQ(m_Reporter.Process(), 6);
    ASSERT_EQ(hook.m_Sent.size(), 3u);
    // Ids tell the order: port 2, game 3, port 4, game 5...
    EXPECT_EQ(hook.m_Sent[0].m_Data, "\\echo\\game0\\final\\\\queryid\\3.1");
    EXPECT_EQ(hook.m_Sent[2].m_Data, "\\echo\\game2\\final\\\\queryid\\7.1");
    EXPECT_EQ(m_Client.ReceiveAnswer(), List{"\\echo\\port0\\final\\\\queryid\\2.1"});
}

TEST_F(QueryReporterTest, TenThousandQueriesFromOneAddressGetAtMostEleven) {
    Start(AnswerRateLimits{}, std::chrono::seconds(5)); // each Process reads all that waits
    (void)m_Reporter.Process();
    int answered = 0;
    for (int i = 0; i < 10000; ++i) {
        (void)m_Client.SendTo(m_Reporter.QueryPort(), "\\status\\");
        if (i % 100 == 99) {
            m_Clock.Advance(10); // the 10,000 queries span 1000 ms of the reporter's clock
            answered += m_Reporter.Process();
        }
    }
    answered += m_Reporter.Process(); // the last of them; one that came late could only lower the count
    EXPECT_GE(answered, 10);          // the burst
    EXPECT_LE(answered, 11);
    for (int i = 0; i < answered; ++i) {
        EXPECT_EQ(m_Client.ReceiveAnswer().size(), 1u);
    }
}

TEST_F(QueryReporterTest, AboveTheGlobalBudgetPlayersAreLeftOut) {
    AddPlayer("Ace", 3, 20);
    AnswerRateLimits limits = NoLimits();
    limits.m_GlobalPerSecond = 1;
    Start(limits);
    (void)m_Reporter.Process();
    const List full = Ask("\\players\\numplayers");
    EXPECT_EQ(full, List{"\\player_0\\Ace\\frags_0\\3\\ping_0\\20\\final\\\\queryid\\2.1"});
    EXPECT_EQ(Ask("\\players\\echo\\x"), List{"\\echo\\x\\final\\\\queryid\\3.1"});
    m_Clock.Advance(1000);
    EXPECT_EQ(Ask("\\players\\"), List{"\\player_0\\Ace\\frags_0\\3\\ping_0\\20\\final\\\\queryid\\4.1"});
}

TEST_F(QueryReporterTest, InitializeFailsWithoutTextsOrPortAndShutdownStartsOver) {
    EXPECT_FALSE(m_Reporter.Initialize(nullptr, "v", "k", 0, 1, 0, 1));
    EXPECT_FALSE(m_Reporter.Initialize("g", nullptr, "k", 0, 1, 0, 1));
    EXPECT_FALSE(m_Reporter.Initialize("g", "v", nullptr, 0, 1, 0, 1));
    EXPECT_EQ(m_Reporter.QueryPort(), 0);
    EXPECT_FALSE(m_Reporter.Initialize("g", "v", "k", 0, 1, m_Client.Port(), 1)); // the port is taken
    EXPECT_EQ(m_Reporter.Process(), 0);

    Start();
    (void)m_Reporter.Process();
    EXPECT_EQ(Ask(MARK), List{"\\echo\\mark\\final\\\\queryid\\2.1"});
    m_Reporter.Shutdown();
    EXPECT_EQ(m_Reporter.QueryPort(), 0);
    EXPECT_EQ(m_Reporter.Process(), 0);
    // Started again: the query ids begin at 1, with the first heartbeat.
    Start();
    (void)m_Reporter.Process();
    const std::string heartbeat = "\\heartbeat\\27960\\gamename\\dravo\\final\\\\queryid\\1.1";
    for (int run = 1; run <= 2; ++run) {
        const auto received = m_Master.Receive();
        ASSERT_TRUE(received) << run;
        EXPECT_EQ(received->m_Data, heartbeat) << run;
    }
}

TEST_F(QueryReporterTest, TheMasterHostPatternTakesTheIndexAndIsNeverAFormat) {
    std::vector<std::string> said;
    m_Reporter.SetLogger([&said](std::string_view line) { said.emplace_back(line); });
    test::RecordingSendHook hook;
    QueryReporterOptions options;
    options.m_MasterHostPattern = "127.0.%i.9";
    m_Reporter.SetOptions(options);
    ASSERT_TRUE(m_Reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 3, GAME_PORT, 0, 1));
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    // An address is taken as it is, without a lookup: the first step's heartbeat goes there.
    ASSERT_EQ(hook.m_Sent.size(), 1u);
    EXPECT_EQ(hook.m_Sent[0].m_Address, "127.0.3.9");
    EXPECT_EQ(hook.m_Sent[0].m_Port, MASTER_PORT);
    // Never used as a format, and no host name: never looked up, so no heartbeat goes anywhere.
    options.m_MasterHostPattern = "%s%n%i%i";
    m_Reporter.SetOptions(options);
    ASSERT_TRUE(m_Reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, GAME_PORT, 0, 1));
    hook.m_Sent.clear();
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    EXPECT_TRUE(hook.m_Sent.empty());
    EXPECT_EQ(said, std::vector<std::string>{"GameSpy master server \"%s%n0%i\" is no host name: no heartbeats are "
                                             "sent."});
}

TEST_F(QueryReporterTest, EachKeyIsAnsweredOncePerDatagram) {
    AddPlayer("Ace", 3, 20);
    Start();
    (void)m_Reporter.Process();
    const List once = Ask("\\status\\");
    std::string repeated;
    while (repeated.size() < 480) {
        repeated += "\\status";
    }
    List again = Ask(repeated + "\\basic\\players\\");
    ASSERT_EQ(again.size(), once.size());
    EXPECT_EQ(again[0].substr(0, again[0].rfind("\\queryid\\")), once[0].substr(0, once[0].rfind("\\queryid\\")));
    // The basic pairs once, then what status adds; one echo, the first.
    EXPECT_EQ(Ask("\\basic\\basic\\echo\\a\\echo\\b"),
              List{"\\gamename\\dravo\\gamever\\dravo 2.1\\location\\0\\echo\\a\\final\\\\queryid\\4.1"});
}

TEST_F(QueryReporterTest, AnAnswerOrADatagramFromTheServersOwnPortsIsNeverAnswered) {
    Start();
    (void)m_Reporter.Process();
    for (const char* answer : {"\\echo\\loop\\final\\", "\\echo\\loop\\queryid\\7.1"}) {
        ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), answer));
    }
    ASSERT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), MARK));
    EXPECT_EQ(Pump(), 1); // the mark, sent last
    EXPECT_EQ(m_Client.ReceiveAnswer(), List{"\\echo\\mark\\final\\\\queryid\\2.1"});
    // From the query port's own address or the game port's: a spoofed sender of a loop.
    const std::string echo = "\\echo\\loop";
    EXPECT_EQ(AskGamePort(Peer("127.0.0.1", m_Reporter.QueryPort()), echo), 0);
    EXPECT_EQ(AskGamePort(Peer("127.0.0.1", GAME_PORT), echo), 0);
    EXPECT_EQ(AskGamePort(Peer("0.0.0.0", GAME_PORT), echo), 0); // "this host"
    // The server's own address off loopback: answers are recorded by the game's send hook, never sent.
    test::RecordingSendHook hook;
    m_Reporter.SetSendHook(&hook);
    m_Reporter.SetOwnAddress(0x0A000005);
    EXPECT_EQ(AskGamePort(Peer("10.0.0.5", GAME_PORT), echo), 0);
    EXPECT_EQ(AskGamePort(Peer("10.0.0.6", GAME_PORT), echo), 1);
    ASSERT_EQ(hook.m_Sent.size(), 1u);
    EXPECT_EQ(hook.m_Sent[0].m_Address, "10.0.0.6");
}

TEST_F(QueryReporterTest, AGamePortQueryLongerThanADatagramOfTheQueryPortIsDropped) {
    test::RecordingSendHook hook;
    Start();
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    const std::string exact = "\\echo\\" + std::string(494, 'e'); // 500 bytes
    const std::string longer = exact + std::string(100, 'e');
    EXPECT_EQ(AskGamePort(Peer("127.0.0.2", 5555), longer), 0);
    EXPECT_EQ(AskGamePort(Peer("127.0.0.2", 5555), exact), 1);
    // The length that counts is the datagram's, not the text's up to a NUL.
    std::string hidden = "\\echo\\short";
    hidden.push_back('\0');
    hidden.resize(501, 'x');
    EXPECT_EQ(AskGamePort(Peer("127.0.0.2", 5555), hidden), 0);
    ASSERT_EQ(hook.m_Sent.size(), 2u); // the heartbeat and the one answer
}

// What monitoring reads: each unanswered query is counted once, under its reason.
TEST_F(QueryReporterTest, AnswersHeartbeatsAndEveryDropAreCountedByReason) {
    PresenceCounters counters;
    m_Reporter.SetCounters(&counters);
    test::RecordingSendHook hook;
    AnswerRateLimits limits = NoLimits();
    limits.m_Burst = 1;
    limits.m_PerSecond = 1;
    Start(limits);
    m_Reporter.SetSendHook(&hook);
    (void)m_Reporter.Process();
    EXPECT_EQ(counters.m_Heartbeats, 1u);
    const auto dropped = [&counters](QueryDrop reason) {
        return counters.m_QueriesDropped[static_cast<size_t>(reason)].load();
    };
    EXPECT_EQ(AskGamePort(Peer("10.3.0.1", 5000), "\\echo\\a"), 1);
    EXPECT_EQ(AskGamePort(Peer("10.3.0.1", 5000), "\\echo\\b"), 0); // its one answer is spent
    EXPECT_EQ(AskGamePort(Peer("10.3.0.2", 5000), std::string(501, 'x')), 0);
    EXPECT_EQ(AskGamePort(Peer("10.3.0.3", 5000), "\\echo\\x\\final\\"), 0);
    EXPECT_EQ(AskGamePort(Peer("127.0.0.1", GAME_PORT), "\\echo\\x"), 0);
    EXPECT_EQ(counters.m_QueriesAnswered, 1u);
    EXPECT_EQ(counters.m_AnswerBytes, hook.m_Sent.back().m_Data.size());
    EXPECT_EQ(counters.m_AddressEntries, 1u); // only allowances remember: the others never reached them
    EXPECT_EQ(dropped(QueryDrop::Rate), 1u);
    EXPECT_EQ(dropped(QueryDrop::Size), 1u);
    EXPECT_EQ(dropped(QueryDrop::Answer), 1u);
    EXPECT_EQ(dropped(QueryDrop::OwnPort), 1u);
    EXPECT_EQ(dropped(QueryDrop::Budget), 0u);

    // The shared budgets: no bytes for anyone, no room left in the queue, no time left in the step.
    m_Reporter.Shutdown();
    limits.m_GlobalBytesPerSecond = 1;
    Start(limits, std::chrono::microseconds(0));
    EXPECT_EQ(AskGamePort(Peer("10.3.0.4", 5000), "\\echo\\a"), 0);
    EXPECT_EQ(dropped(QueryDrop::Budget), 1u);
    for (size_t i = 0; i <= QueryReporter::MAX_QUEUED; ++i) {
        (void)m_Reporter.HandleExternalQuery(Peer("10.4.0.1", 5000), "\\echo\\q", 7);
    }
    EXPECT_EQ(dropped(QueryDrop::Budget), 2u);
    // The step takes one query, which finds no bytes; the rest of the queue finds no time.
    EXPECT_EQ(m_Reporter.Process(), 0);
    EXPECT_EQ(dropped(QueryDrop::Budget), 2u + QueryReporter::MAX_QUEUED);
    EXPECT_EQ(dropped(QueryDrop::Rate), 1u);
}

// A name service that answers only when told to, and that counts the copies of its lookup function:
// a lookup's thread keeps its answer before it lets go of its copy.
class HeldResolver : public std::enable_shared_from_this<HeldResolver> {
public:
    class Lookup {
    public:
        explicit Lookup(std::shared_ptr<HeldResolver> owner) : m_Owner(std::move(owner)) { m_Owner->Count(1); }
        Lookup(const Lookup& other) : m_Owner(other.m_Owner) { m_Owner->Count(1); }
        Lookup& operator=(const Lookup&) = delete;
        ~Lookup() { m_Owner->Count(-1); }
        std::optional<uint32_t> operator()(const std::string&) const { return m_Owner->Answer(); }

    private:
        std::shared_ptr<HeldResolver> m_Owner;
    };

    MasterLookup::Resolve Function() { return Lookup(shared_from_this()); }
    void Release(std::optional<uint32_t> answer) {
        {
            std::scoped_lock lock(m_Mutex);
            m_Answer = answer;
            m_Released = true;
        }
        m_Changed.notify_all();
    }
    // Waits at most 5 s until exactly `copies` copies of the function are left.
    bool WaitForCopies(int copies) {
        std::unique_lock lock(m_Mutex);
        return m_Changed.wait_for(lock, std::chrono::seconds(5), [&] { return m_Copies == copies; });
    }

private:
    std::optional<uint32_t> Answer() {
        std::unique_lock lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_Released; });
        return m_Answer;
    }
    void Count(int change) {
        {
            std::scoped_lock lock(m_Mutex);
            m_Copies += change;
        }
        m_Changed.notify_all();
    }

    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Released = false;
    int m_Copies = 0;
    std::optional<uint32_t> m_Answer;
};

TEST(QueryReporterMaster, AMasterWhoseNameIsNotFoundYetHoldsNothingUpAndIsTriedAgain) {
    test::FakeClock clock;
    test::TableStatus status;
    HostInfo host{};
    GameInfo game{};
    GameOptions options{};
    auto resolver = std::make_shared<HeldResolver>(); // a lookup thread may outlive the test
    BlockingPool pool;
    ServerStatusReporter reporter(clock, pool, StatusSources{host, game, options, status}, resolver->Function());
    std::vector<std::string> said;
    reporter.SetLogger([&said](std::string_view line) { said.emplace_back(line); });
    test::RecordingSendHook hook;
    QueryReporterOptions reporterOptions;
    reporterOptions.m_MasterHostPattern = "master%i.dravo.test";
    reporterOptions.m_MasterPort = 27900;
    reporter.SetOptions(reporterOptions);
    ASSERT_TRUE(reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, 27960, 0, 1)); // returns at once
    reporter.SetSendHook(&hook);
    (void)reporter.Process();
    EXPECT_TRUE(hook.m_Sent.empty()); // no address, no heartbeat; the step went on
    clock.Advance(MasterLookup::LOOKUP_LIMIT_MS);
    (void)reporter.Process();
    clock.Advance(1000);
    (void)reporter.Process();
    EXPECT_EQ(said, std::vector<std::string>{"GameSpy master server master0.dravo.test not found; retrying every 60 "
                                             "seconds."}); // said once
    // The name service answers at last; once the lookup's thread has let go of its function (the reporter
    // keeps its own), the waiting heartbeat goes out at the next step.
    resolver->Release(0x7F000001);
    ASSERT_TRUE(resolver->WaitForCopies(1));
    clock.Advance(9);
    (void)reporter.Process();
    ASSERT_EQ(hook.m_Sent.size(), 1u);
    EXPECT_EQ(hook.m_Sent[0].m_Data, "\\heartbeat\\27960\\gamename\\dravo\\final\\\\queryid\\1.1");
    EXPECT_EQ(hook.m_Sent[0].m_Address, "127.0.0.1");
    EXPECT_EQ(said.back(), "GameSpy master server master0.dravo.test found at 127.0.0.1; heartbeats begin.");
}

} // namespace
} // namespace dravo
