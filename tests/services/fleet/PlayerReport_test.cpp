// Who plays, as the sidecar is told: the list "players", else player tracking, else nothing.
#include "services/fleet/PlayerReport.h"
#include "services/fleet/SdkMessages.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

// Runs the calls the report asks for until it asks none, each answered as `done`; returns their bodies.
std::vector<std::string> Settle(PlayerReport& report, bool done = true) {
    std::vector<std::string> calls;
    while (const auto call = report.Next()) {
        calls.push_back(call->m_Path + " " + call->m_Body);
        (void)report.Answered(*call, done);
        if (calls.size() > 100) {
            break; // a report that never settles
        }
    }
    return calls;
}

const std::string ADD = "/v1beta1/lists/players:addValue ";
const std::string REMOVE = "/v1beta1/lists/players:removeValue ";

TEST(PlayerReport, TheCapacityAloneThenOneCallPerNameOnceEachWithinMaxPlayers) {
    PlayerReport report;
    report.Want({"Ace", "Bob", "Ace", "", "Cyd"}, 2);
    auto call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Method, "PATCH");
    EXPECT_EQ(call->m_Path, "/v1beta1/lists/players");
    EXPECT_EQ(call->m_Body, CapacityBody(2));
    EXPECT_NE(report.Answered(*call, true).find("list \"players\" (capacity 2)"), std::string::npos);
    EXPECT_EQ(report.Current(), PlayerReport::Way::List);
    EXPECT_EQ(Settle(report), (std::vector<std::string>{ADD + ValueBody("Ace"), ADD + ValueBody("Bob")}));
    report.Want({"Bob", "Ace"}, 2);
    EXPECT_FALSE(report.Next()); // a new order is the same set
    report.Want({"Bob", "Cyd"}, 2);
    EXPECT_EQ(Settle(report), (std::vector<std::string>{ADD + ValueBody("Cyd"), REMOVE + ValueBody("Ace")}));
    report.Want({"Bob", "Cyd"}, 3);
    call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Body, CapacityBody(3)); // MaxPlayers changed: the capacity alone again
}

TEST(PlayerReport, OnlyNamesItAddedAreRemovedAndARefusedNameIsNotAskedAgainWhileItStays) {
    PlayerReport report;
    report.Want({"Ace"}, 16);
    (void)Settle(report);
    report.Want({"Ace", "Bob"}, 16);
    EXPECT_EQ(Settle(report, false), std::vector<std::string>{ADD + ValueBody("Bob")}); // already there
    report.Want({}, 16);
    EXPECT_EQ(Settle(report), std::vector<std::string>{REMOVE + ValueBody("Ace")}); // Bob was not ours
    report.Want({"Bob"}, 16);
    EXPECT_EQ(Settle(report), std::vector<std::string>{ADD + ValueBody("Bob")}); // came back: asked anew
}

TEST(PlayerReport, ACallThatGotNoAnswerIsMadeAgain) {
    PlayerReport report;
    report.Want({"Ace"}, 16);
    const auto call = report.Next();
    ASSERT_TRUE(call);
    // The client reports only answers; without one, Next() still has the same call.
    EXPECT_EQ(report.Next(), call);
    (void)report.Answered(*call, true);
    const auto add = report.Next();
    ASSERT_TRUE(add);
    EXPECT_EQ(report.Next(), add);
}

TEST(PlayerReport, WithoutTheListPlayersGoThroughPlayerTracking) {
    PlayerReport report;
    report.Want({"Ace", "Bob"}, 16);
    EXPECT_EQ(report.Answered(*report.Next(), false), "");
    auto call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Method, "PUT");
    EXPECT_EQ(call->m_Path, "/alpha/player/capacity");
    EXPECT_EQ(call->m_Body, CountBody(16));
    EXPECT_NE(report.Answered(*call, true).find("player tracking (capacity 16)"), std::string::npos);
    std::vector<std::string> connected;
    while ((call = report.Next())) {
        ASSERT_EQ(call->m_Path, "/alpha/player/connect");
        connected.push_back(call->m_Body);
        (void)report.Answered(*call, true);
    }
    EXPECT_EQ(connected, (std::vector<std::string>{PlayerIdBody("Ace"), PlayerIdBody("Bob")}));
    report.Want({"Bob", "Cyd"}, 16);
    call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Path, "/alpha/player/connect");
    EXPECT_EQ(call->m_Body, PlayerIdBody("Cyd"));
    (void)report.Answered(*call, false); // refused (a full server): not asked again
    call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Path, "/alpha/player/disconnect");
    EXPECT_EQ(call->m_Body, PlayerIdBody("Ace"));
    (void)report.Answered(*call, true);
    EXPECT_FALSE(report.Next());
}

TEST(PlayerReport, WithNeitherPlayersAreNotReportedAndThatIsSaidOnce) {
    PlayerReport report;
    report.Want({"Ace"}, 16);
    (void)report.Answered(*report.Next(), false);
    const std::string line = report.Answered(*report.Next(), false);
    EXPECT_NE(line.find("players are not reported"), std::string::npos);
    EXPECT_EQ(report.Current(), PlayerReport::Way::Off);
    report.Want({"Ace", "Bob"}, 16);
    EXPECT_FALSE(report.Next());
}

TEST(PlayerReport, AListThatRefusesLaterIsNotGivenUp) {
    PlayerReport report;
    report.Want({"Ace"}, 16);
    (void)report.Answered(*report.Next(), true);
    report.Want({"Ace"}, 20);
    (void)report.Answered(*report.Next(), false); // the new capacity refused: not asked again
    EXPECT_EQ(report.Current(), PlayerReport::Way::List);
    ASSERT_TRUE(report.Next());
    EXPECT_EQ(report.Next()->m_Path, "/v1beta1/lists/players:addValue");
}

} // namespace
} // namespace dravo
