// Tests of the tagged-field texts sent to the front end.
#include "GameMessages.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

TEST(GameMessages, StateUpdateListsEveryPlayerInOrder) {
    ClientTable clients(4);
    clients.Add("Ace", {1, 1}, 0)->m_Frags = 12;
    clients.Add("Bob", {1, 2}, 0);
    EXPECT_EQ(GameMessages::StateUpdate("Worlds\\Multi\\Cinderworks", "Glasshouse", clients),
              "[GMSG:0][CLEV:Worlds\\Multi\\Cinderworks][NLEV:Glasshouse][PLRS:2]"
              "[PLRN1:Ace][PLRF1:12][PLRI1:1][PLRN2:Bob][PLRF2:0][PLRI2:2]");
    EXPECT_EQ(GameMessages::StateUpdate("A", "B", ClientTable(1)), "[GMSG:0][CLEV:A][NLEV:B][PLRS:0]");
    EXPECT_EQ(GameMessages::StateUpdate("", "", ClientTable(1)), "[GMSG:0][PLRS:0]");
}

TEST(GameMessages, OtherKinds) {
    EXPECT_EQ(GameMessages::LevelChanged("A", "B"), "[GMSG:1][CLEV:A][NLEV:B]");
    EXPECT_EQ(GameMessages::ConsoleText("Ace joined the game."), "[GMSG:2][CMSG:Ace joined the game.]");
    EXPECT_EQ(GameMessages::ConsoleText("100% sure"), "[GMSG:2][CMSG:100% sure]");
    EXPECT_EQ(GameMessages::LevelChangeBegins(), "[GMSG:3]");
}

TEST(GameMessages, BracketsCannotEndOrFakeAField) {
    ClientTable clients(1);
    clients.Add("x][PLRF1:999", {1, 1}, 0);
    const std::string text = GameMessages::StateUpdate("L[1]", "N", clients);
    EXPECT_EQ(text, "[GMSG:0][CLEV:L(1)][NLEV:N][PLRS:1][PLRN1:x)(PLRF1:999][PLRF1:0][PLRI1:1]");
    EXPECT_EQ(GameMessages::FieldValue("[a]"), "(a)");
}

} // namespace
} // namespace dravo::ref
