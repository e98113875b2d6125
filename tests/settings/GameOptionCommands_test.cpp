// The game option commands, their order and what is left out.
#include "settings/GameOptionCommands.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

GameOptions StartValues() {
    GameOptions options{};
    SetGameOptionsStartValues(options);
    return options;
}

TEST(GameOptionCommands, StartValuesSendNineCommandsInOrder) {
    test::FakeEngine engine;
    const GameOptions options = StartValues();
    EXPECT_TRUE(ApplyGameOptions(&engine, &options));
    EXPECT_EQ(engine.m_Commands, (std::vector<std::string>{
                                     "TractorBeam 1",
                                     "DoubleJump 1",
                                     "RammingDamage 1",
                                     "RunSpeed 1.000000",
                                     "MissileSpeed 1.000000",
                                     "RespawnScale 1.000000",
                                     "HealScale 1.000000",
                                     "WorldTimeSpeed -1.000000",
                                     "WorldColorNight \"0.5 0.5 0.5\"",
                                 }));
}

TEST(GameOptionCommands, ZeroNumbersAndAnEmptyColourAreLeftOut) {
    GameOptions options = StartValues();
    options.m_RunSpeed = 0.0f;
    options.m_WorldTimeSpeed = 0.0f;
    options.m_TractorBeam = 0;
    options.m_WorldColorNight[0] = '\0';
    const auto commands = GameOptionCommands(options);
    EXPECT_EQ(commands,
              (std::vector<std::string>{"TractorBeam 0", "DoubleJump 1", "RammingDamage 1", "MissileSpeed 1.000000",
                                        "RespawnScale 1.000000", "HealScale 1.000000"}));
}

TEST(GameOptionCommands, MissingServerOrRecordFails) {
    test::FakeEngine engine;
    const GameOptions options = StartValues();
    EXPECT_FALSE(ApplyGameOptions(nullptr, &options));
    EXPECT_FALSE(ApplyGameOptions(&engine, nullptr));
    EXPECT_TRUE(engine.m_Commands.empty());
}

TEST(GameOptionCommands, CommandsStayWithinTheirBound) {
    GameOptions options = StartValues();
    options.m_RunSpeed = 3.0e38f;
    // An unterminated colour text is read only within its field.
    std::fill(std::begin(options.m_WorldColorNight), std::end(options.m_WorldColorNight), '7');
    for (const std::string& command : GameOptionCommands(options)) {
        EXPECT_LE(command.size(), OPTION_COMMAND_SIZE - 1) << command;
    }
    EXPECT_EQ(GameOptionCommands(options).back(), "WorldColorNight \"" + std::string(32, '7') + "\"");
}

} // namespace
} // namespace dravo
