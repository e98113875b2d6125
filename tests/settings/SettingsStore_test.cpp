// Settings as engine console variables: command form, read rules, lists, the table.
#include "settings/GameOptionCommands.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTable.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace dravo {
namespace {

using test::FakeEngine;

TEST(SettingsStore, StoreSettingComposesThePlusForm) {
    FakeEngine engine;
    SettingsStore store(&engine);
    EXPECT_TRUE(store.StoreSetting("ServerName", "My \"best\" server"));
    EXPECT_TRUE(store.StoreSettingInt("Port", -5));
    EXPECT_TRUE(store.StoreSettingFloat("RunSpeed", 1.0f));
    ASSERT_EQ(engine.m_Commands.size(), 3u);
    EXPECT_EQ(engine.m_Commands[0], "\"+ServerName\" \"My \"best\" server\"");
    EXPECT_EQ(engine.m_Commands[1], "\"+Port\" \"-5\"");
    EXPECT_EQ(engine.m_Commands[2], "\"+RunSpeed\" \"1.000000\"");
    EXPECT_EQ(engine.m_Variables["ServerName"], "My \"best\" server");
}

TEST(SettingsStore, CommandThatDoesNotFitIsRefused) {
    FakeEngine engine;
    SettingsStore store(&engine);
    const std::string key = "Level0";
    // 6 characters of quotes, plus and blank: 511 in all is the most that fits.
    EXPECT_TRUE(store.StoreSetting(key, std::string(511 - 6 - key.size(), 'a')));
    EXPECT_FALSE(store.StoreSetting(key, std::string(512 - 6 - key.size(), 'b')));
    ASSERT_EQ(engine.m_Commands.size(), 1u);
    EXPECT_EQ(engine.m_Variables[key], std::string(511 - 6 - key.size(), 'a'));
}

TEST(SettingsStore, NoEngineMeansNothingHappens) {
    SettingsStore store(nullptr);
    char buffer[16] = "keep";
    int32_t number = 3;
    EXPECT_FALSE(store.StoreSetting("A", "b"));
    EXPECT_FALSE(store.ReadSetting("A", buffer, sizeof buffer));
    EXPECT_FALSE(store.ReadSettingInt("A", number));
    EXPECT_STREQ(buffer, "keep");
    EXPECT_EQ(number, 3);
    EXPECT_TRUE(store.SaveSettingsFile("x.cfg"));
}

TEST(SettingsStore, AbsentKeyIsCreatedWithTheCurrentValue) {
    FakeEngine engine;
    SettingsStore store(&engine);
    int32_t maxPlayers = 16;
    float speed = 0.1234567f;
    EXPECT_TRUE(store.ReadSettingInt("MaxPlayers", maxPlayers));
    EXPECT_TRUE(store.ReadSettingFloat("RunSpeed", speed));
    EXPECT_EQ(maxPlayers, 16);
    EXPECT_EQ(speed, 0.1234567f); // not rounded through its text form
    EXPECT_EQ(engine.m_Variables["MaxPlayers"], "16");
    EXPECT_EQ(engine.m_Variables["RunSpeed"], "0.123457");
}

TEST(SettingsStore, StoredTextIsReadWithItsRules) {
    FakeEngine engine;
    engine.m_Variables["MaxPlayers"] = "12players";
    engine.m_Variables["RunSpeed"] = "abc";
    engine.m_Variables["ServerName"] = "A very long server name";
    SettingsStore store(&engine);
    int32_t maxPlayers = 16;
    float speed = 1.0f;
    char name[7] = "old";
    EXPECT_TRUE(store.ReadSettingInt("MaxPlayers", maxPlayers));
    EXPECT_TRUE(store.ReadSettingFloat("RunSpeed", speed));
    EXPECT_TRUE(store.ReadSetting("ServerName", name, sizeof name));
    EXPECT_EQ(maxPlayers, 12);
    EXPECT_EQ(speed, 0.0f);
    EXPECT_STREQ(name, "A very");
}

TEST(SettingsStore, NumbersBeyondTheFloatRangeAreHeldAtItsEdge) {
    FakeEngine engine;
    engine.m_Variables["RunSpeed"] = "1e300";
    engine.m_Variables["HealScale"] = "-1e300";
    SettingsStore store(&engine);
    float speed = 1.0f;
    float heal = 1.0f;
    EXPECT_TRUE(store.ReadSettingFloat("RunSpeed", speed));
    EXPECT_TRUE(store.ReadSettingFloat("HealScale", heal));
    EXPECT_EQ(speed, std::numeric_limits<float>::max());
    EXPECT_EQ(heal, -std::numeric_limits<float>::max());
}

TEST(SettingsStore, FailedTextReadKeepsTheValue) {
    FakeEngine engine;
    engine.m_Variables["GameType"] = "7";
    engine.m_ReadTextFails = true;
    SettingsStore store(&engine);
    int32_t gameType = 1;
    EXPECT_FALSE(store.ReadSettingInt("GameType", gameType));
    EXPECT_EQ(gameType, 1);
}

TEST(SettingsStore, FirstRunStoresEveryStartValue) {
    FakeEngine engine;
    SettingsStore store(&engine);
    ServerSettings settings;
    GameOptions options{};
    SetGameOptionsStartValues(options);
    store.ReadAllSettings(settings, options);
    EXPECT_EQ(settings.m_DashGoInfo, 0);
    for (const SettingRow& row : ScalarSettingsTable()) {
        EXPECT_TRUE(engine.m_Variables.count(std::string(row.m_Key))) << row.m_Key;
    }
    store.StoreAllSettings(settings, options);
    EXPECT_EQ(engine.m_Variables["DashGoInfo"], "1");
    EXPECT_EQ(engine.m_Variables["ServerName"], "Dravo Server");
    EXPECT_EQ(engine.m_Variables["ServiceName"], "");
    EXPECT_EQ(engine.m_Variables["RunSpeed"], "1.000000");
    EXPECT_EQ(engine.m_Variables["WorldTimeSpeed"], "-1.000000");
    EXPECT_EQ(engine.m_Variables["WorldColorNight"], "0.5 0.5 0.5");
    EXPECT_EQ(engine.m_Variables["MaxPlayers"], "16");
}

TEST(SettingsStore, EveryRowRoundTripsThroughTheStore) {
    FakeEngine engine;
    SettingsStore writer(&engine);
    ServerSettings written;
    GameOptions writtenOptions{};
    std::strcpy(written.m_ServerName, "Back\\slash \"quoted\" \xE9t\xE9");
    std::strcpy(written.m_ServiceName, "TCP/IP Internet Service");
    written.m_GameType = 7;
    written.m_EndType = 3;
    written.m_EndFrags = 0;
    written.m_EndTime = -4;
    written.m_NetService = 2;
    written.m_MaxPlayers = 128;
    written.m_UpdateInfo = 0;
    written.m_ServerReg = 0;
    written.m_UseGameSpy = 0;
    written.m_Port = 27999;
    writtenOptions = {0, 1, 0, 1.5f, 2.25f, 0.5f, 3.0f, -1.0f, "0.1 0.2 0.3"};
    writer.StoreAllSettings(written, writtenOptions);

    ServerSettings read;
    GameOptions readOptions{};
    SettingsStore(&engine).ReadAllSettings(read, readOptions);
    EXPECT_STREQ(read.m_ServerName, written.m_ServerName);
    EXPECT_STREQ(read.m_ServiceName, written.m_ServiceName);
    EXPECT_EQ(read.m_GameType, 7);
    EXPECT_EQ(read.m_EndType, 3);
    EXPECT_EQ(read.m_EndFrags, 0);
    EXPECT_EQ(read.m_EndTime, -4);
    EXPECT_EQ(read.m_NetService, 2);
    EXPECT_EQ(read.m_MaxPlayers, 128);
    EXPECT_EQ(read.m_UpdateInfo + read.m_ServerReg + read.m_UseGameSpy, 0);
    EXPECT_EQ(read.m_DashGoInfo, 1);
    EXPECT_EQ(read.m_Port, 27999);
    EXPECT_EQ(std::memcmp(&readOptions, &writtenOptions, sizeof readOptions), 0);
}

TEST(SettingsStore, ListsSkipEmptyEntriesAndNumberFromZero) {
    FakeEngine engine;
    SettingsStore store(&engine);
    store.WriteTextList("NumLevels", "Level", {"Worlds\\Multi\\Canyon", "", "Arena"});
    EXPECT_EQ(engine.m_Variables["NumLevels"], "2");
    EXPECT_EQ(engine.m_Variables["Level0"], "Worlds\\Multi\\Canyon");
    EXPECT_EQ(engine.m_Variables["Level1"], "Arena");

    engine.m_Variables["NumLevels"] = "4";
    engine.m_Variables["Level1"] = "";
    engine.m_Variables["Level2"] = std::string(200, 'x');
    const TextList read = store.ReadTextList("NumLevels", "Level", 119, 50).m_Entries;
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0], "Worlds\\Multi\\Canyon");
    EXPECT_EQ(read[1], std::string(119, 'x'));
    EXPECT_FALSE(engine.m_Variables.contains("Level3")); // a missing entry is not created
}

TEST(SettingsStore, AHostileCountReadsNoMoreThanTheListHolds) {
    FakeEngine engine;
    SettingsStore store(&engine);
    engine.m_Variables["NumRezFiles"] = "2000000000";
    for (int index = 0; index < 200; ++index) {
        engine.m_Variables["RezFile" + std::to_string(index)] = "Custom\\r" + std::to_string(index) + ".rez";
    }
    const size_t variables = engine.m_Variables.size();
    const TextListRead read = store.ReadTextList("NumRezFiles", "RezFile", 124, 114);
    EXPECT_EQ(read.m_Entries.size(), 114u);
    EXPECT_TRUE(read.m_Cut);
    EXPECT_EQ(read.m_Count, 2000000000);
    EXPECT_EQ(engine.m_Variables.size(), variables); // nothing created
}

TEST(SettingsStore, SaveReportsTheEnginesResult) {
    FakeEngine engine;
    SettingsStore store(&engine);
    EXPECT_TRUE(store.SaveSettingsFile("a.cfg"));
    engine.m_WriteFileFails = true;
    EXPECT_FALSE(store.SaveSettingsFile("b.cfg"));
    EXPECT_EQ(engine.m_WrittenFiles, (std::vector<std::string>{"a.cfg", "b.cfg"}));
}

} // namespace
} // namespace dravo
