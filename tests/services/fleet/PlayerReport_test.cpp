// Who plays, as the sidecar is told: the list "players", else player tracking, else nothing.
#include "services/fleet/PlayerReport.h"
#include "services/fleet/SdkMessages.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(PlayerReport, TheListHoldsTheNamesOnceEachWithinMaxPlayers) {
    PlayerReport report;
    report.Want({"Ace", "Bob", "Ace", "", "Cyd"}, 2);
    auto call = report.Next();
    ASSERT_TRUE(call);
    EXPECT_EQ(call->m_Method, "PATCH");
    EXPECT_EQ(call->m_Path, "/v1beta1/lists/players");
    EXPECT_EQ(call->m_Body, ListBody(2, {"Ace", "Bob"}));
    EXPECT_NE(report.Answered(*call, true).find("list \"players\" (capacity 2)"), std::string::npos);
    EXPECT_EQ(report.Current(), PlayerReport::Way::List);
    EXPECT_FALSE(report.Next()); // the sidecar holds it
    report.Want({"Bob", "Ace"}, 2);
    call = report.Next();
    ASSERT_TRUE(call); // the order is the game's
    EXPECT_EQ(call->m_Body, ListBody(2, {"Bob", "Ace"}));
    EXPECT_EQ(report.Answered(*call, true), ""); // said once
}

TEST(PlayerReport, ACallThatGotNoAnswerIsMadeAgain) {
    PlayerReport report;
    report.Want({"Ace"}, 16);
    const auto call = report.Next();
    ASSERT_TRUE(call);
    // The client reports only answers; without one, Next() still has the same call.
    EXPECT_EQ(report.Next(), call);
    report.Want({}, 16);
    ASSERT_TRUE(report.Next());
    EXPECT_EQ(report.Next()->m_Body, ListBody(16, {}));
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
    report.Want({"Ace", "Bob"}, 16);
    (void)report.Answered(*report.Next(), false);
    EXPECT_EQ(report.Current(), PlayerReport::Way::List);
    ASSERT_TRUE(report.Next());
    EXPECT_EQ(report.Next()->m_Path, "/v1beta1/lists/players");
}

} // namespace
} // namespace dravo
