// The command line of dravo-bot: every option, and the message for each kind of mistake.
#include "BotOptions.h"

#include <gtest/gtest.h>

namespace dravo::bot {
namespace {

using Words = std::vector<std::string>;

std::string ErrorOf(const Words& arguments) {
    std::string error;
    EXPECT_FALSE(BotOptions::Parse(arguments, error));
    return error;
}

TEST(BotOptions, ReadsEveryOption) {
    std::string error;
    const auto options =
        BotOptions::Parse({"--port", "27888", "--host", "127.0.0.2", "--count", "4", "--names", "Ace,Bob", "--prefix",
                           "Cpu", "--duration", "2.5", "--churn", "0.5", "--seed", "7", "--quiet", "--allow-remote"},
                          error);
    ASSERT_TRUE(options) << error;
    EXPECT_EQ(options->m_Port, 27888);
    EXPECT_EQ(options->m_Host, "127.0.0.2");
    EXPECT_EQ(options->m_Names, (Words{"Ace", "Bob", "Cpu1", "Cpu2"}));
    EXPECT_DOUBLE_EQ(options->m_DurationSeconds, 2.5);
    EXPECT_DOUBLE_EQ(options->m_ChurnSeconds, 0.5);
    EXPECT_EQ(options->m_Seed, 7u);
    EXPECT_TRUE(options->m_Quiet);
    EXPECT_TRUE(options->m_AllowRemote);

    const auto defaults = BotOptions::Parse({"--port", "9"}, error); // a second parse starts afresh
    ASSERT_TRUE(defaults) << error;
    EXPECT_EQ(defaults->m_Names, Words{"Bot1"});
    EXPECT_FALSE(defaults->m_Quiet);
    EXPECT_FALSE(defaults->m_Seed);
    const auto fewer = BotOptions::Parse({"--port", "9", "--names", "Ace,Bob,Cyd", "--count", "2"}, error);
    ASSERT_TRUE(fewer) << error;
    EXPECT_EQ(fewer->m_Names, (Words{"Ace", "Bob"}));
}

TEST(BotOptions, SaysWhatIsWrong) {
    EXPECT_EQ(ErrorOf({"--port"}), "--port needs a value.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--names"}), "--names needs a value.");
    EXPECT_EQ(ErrorOf({"--port", "0"}), "--port needs a UDP port from 1 to 65535.");
    EXPECT_EQ(ErrorOf({"--port", "65536"}), "--port needs a UDP port from 1 to 65535.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--count", "513"}), "--count needs a number from 1 to 512.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--duration", "0"}), "--duration needs a number of seconds up to 3600.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--churn", "-1"}), "--churn needs a number of seconds up to 3600.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--seed", "x"}), "--seed needs a whole number.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--names", "Ace,,Bob"}),
              "\"\" is not a player name (1 to 63 printable characters).");
    EXPECT_EQ(ErrorOf({"--port", "9", "--prefix", std::string(63, 'p')}),
              "--prefix \"" + std::string(63, 'p') + "\" does not make valid player names.");
    EXPECT_EQ(ErrorOf({"--port", "9", "--bogus"}), std::string("Unknown option --bogus.\n") + BotOptions::Usage());
    EXPECT_EQ(ErrorOf({"--port", "9", "stray"}), std::string("Unknown option stray.\n") + BotOptions::Usage());
    EXPECT_EQ(ErrorOf({}), std::string("--port is required.\n") + BotOptions::Usage());
    EXPECT_EQ(ErrorOf({"--help"}), BotOptions::Usage());
    EXPECT_EQ(ErrorOf({"--port", "9", "-h"}), BotOptions::Usage());
}

} // namespace
} // namespace dravo::bot
