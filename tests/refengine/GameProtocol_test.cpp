// Tests of the game port's wire format.
#include "GameProtocol.h"

#include <gtest/gtest.h>
#include <random>

namespace dravo::ref {
namespace {

using Verb = GameProtocol::Verb;

TEST(GameProtocol, ParsesEveryVerbWithItsArgument) {
    const auto join = GameProtocol::Parse("DRAVO JOIN   Ace of Spades ");
    ASSERT_TRUE(join);
    EXPECT_EQ(join->m_Verb, Verb::Join);
    EXPECT_EQ(join->m_Text, "Ace of Spades");
    const auto pong = GameProtocol::Parse("DRAVO PONG 4294967295");
    ASSERT_TRUE(pong);
    EXPECT_EQ(pong->m_Verb, Verb::Pong);
    EXPECT_EQ(pong->m_Number, 4294967295u);
    EXPECT_EQ(GameProtocol::Parse("DRAVO ALIVE")->m_Verb, Verb::Alive);
    EXPECT_EQ(GameProtocol::Parse("DRAVO LEAVE")->m_Verb, Verb::Leave);
    EXPECT_EQ(GameProtocol::Parse("DRAVO KICKED")->m_Verb, Verb::Kicked);
    EXPECT_EQ(GameProtocol::Parse("DRAVO FULL")->m_Verb, Verb::Full);
    EXPECT_EQ(GameProtocol::Parse("DRAVO WELCOME 7")->m_Number, 7u);
    EXPECT_EQ(GameProtocol::Parse("DRAVO REFUSED Not now.")->m_Text, "Not now.");
}

TEST(GameProtocol, ComposeAndParseRoundTrip) {
    for (const GameProtocol::Message& message :
         {GameProtocol::Message{Verb::Join, "Bob", 0}, GameProtocol::Message{Verb::Ping, "", 12},
          GameProtocol::Message{Verb::Welcome, "", 1}, GameProtocol::Message{Verb::Refused, "The server is full.", 0},
          GameProtocol::Message{Verb::Leave, "", 0}, GameProtocol::Message{Verb::Say, "Restart in 5 minutes", 0}}) {
        const std::string datagram = GameProtocol::Compose(message);
        const auto parsed = GameProtocol::Parse(datagram);
        ASSERT_TRUE(parsed) << datagram;
        EXPECT_EQ(parsed->m_Verb, message.m_Verb);
        EXPECT_EQ(parsed->m_Text, message.m_Text);
        EXPECT_EQ(parsed->m_Number, message.m_Number);
    }
    EXPECT_EQ(GameProtocol::Compose(Verb::Pong, 5), "DRAVO PONG 5");
}

TEST(GameProtocol, RefusesMalformedDatagrams) {
    for (const std::string_view bad :
         {"", "DRAVO", "DRAVO ", "dravo JOIN Ace", "DRAVO join Ace", "DRAVO JOIN", "DRAVO JOIN    ", "DRAVO PONG",
          "DRAVO PONG 0", "DRAVO PONG -1", "DRAVO PONG 4294967296", "DRAVO PONG 12x", "DRAVO PONG  12",
          "DRAVO ALIVE now", "DRAVO LEAVE ", "DRAVO SHOUT hi", "XDRAVO JOIN Ace", "\\status\\"}) {
        EXPECT_FALSE(GameProtocol::Parse(bad)) << bad;
    }
    EXPECT_FALSE(GameProtocol::Parse(std::string_view("DRAVO JOIN A\0e", 14)));
    EXPECT_FALSE(GameProtocol::Parse("DRAVO JOIN A\tce"));
    EXPECT_FALSE(GameProtocol::Parse("DRAVO JOIN \xC3\xA9t\xC3\xA9"));
    EXPECT_TRUE(GameProtocol::Parse("DRAVO JOIN " + std::string(63, 'n')));
    EXPECT_FALSE(GameProtocol::Parse("DRAVO JOIN " + std::string(64, 'n')));
    EXPECT_FALSE(GameProtocol::Parse("DRAVO REFUSED " + std::string(GameProtocol::MAX_DATAGRAM, 'x')));
}

TEST(GameProtocol, NamesAndForeignDatagrams) {
    EXPECT_TRUE(GameProtocol::IsValidName("Ace"));
    EXPECT_TRUE(GameProtocol::IsValidName("The Ace [1]"));
    EXPECT_FALSE(GameProtocol::IsValidName(""));
    EXPECT_FALSE(GameProtocol::IsValidName(" Ace"));
    EXPECT_FALSE(GameProtocol::IsValidName("Ace "));
    EXPECT_FALSE(GameProtocol::IsValidName(std::string(64, 'a')));
    EXPECT_FALSE(GameProtocol::IsValidName("A\nce"));
    EXPECT_TRUE(GameProtocol::IsForeign("\\status\\"));
    EXPECT_FALSE(GameProtocol::IsForeign("DRAVO ALIVE"));
    EXPECT_FALSE(GameProtocol::IsForeign(""));
}

// Random bytes, and random mutations of valid datagrams, never crash and never parse into an invalid message.
TEST(GameProtocol, RandomInputGivesOnlyValidMessages) {
    std::mt19937 random(20240601);
    const std::string seeds[] = {"DRAVO JOIN Ace", "DRAVO PONG 17", "DRAVO ALIVE", "DRAVO LEAVE"};
    int parsed = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string datagram;
        if (round % 2 == 0) {
            datagram.resize(random() % 160);
            for (char& c : datagram) {
                c = static_cast<char>(random());
            }
        } else {
            datagram = seeds[random() % 4];
            datagram[random() % datagram.size()] = static_cast<char>(random() % 128);
        }
        const auto message = GameProtocol::Parse(datagram);
        if (!message) {
            continue;
        }
        ++parsed;
        if (message->m_Verb == Verb::Join) {
            EXPECT_TRUE(GameProtocol::IsValidName(message->m_Text)) << datagram;
        }
        if (message->m_Verb == Verb::Pong) {
            EXPECT_NE(message->m_Number, 0u);
        }
    }
    EXPECT_GT(parsed, 0); // the mutations must also reach the accepting paths
}

} // namespace
} // namespace dravo::ref
