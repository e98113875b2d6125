// The real dravoserv and server.so, run in a temporary copy of the sample game.
#include "engine/loader/ServerLibrary.h"
#include "support/LiveProcess.h"
#include "support/SampleGame.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <map>

namespace dravo {
namespace {

using test::RunProcess;
using test::TempDir;

const std::filesystem::path DRAVOSERV = test::BinDir() / "dravoserv";
const std::string SERVER_LIBRARY = (test::BinDir() / "server.so").string();

// Loads a configuration file into the reference engine and reads the given keys.
std::map<std::string, std::string> ReadConfiguration(const std::filesystem::path& file,
                                                     const std::vector<std::string>& keys) {
    std::map<std::string, std::string> values;
    ServerLibrary library;
    if (!library.LoadServerLibrary(SERVER_LIBRARY) || library.GetServer() == nullptr) {
        ADD_FAILURE() << "cannot load " << SERVER_LIBRARY;
        return values;
    }
    EngineServer& server = *library.GetServer();
    EXPECT_EQ(server.ReadVariablesFile(file.c_str()), ENGINE_STATUS_OK) << file;
    for (const std::string& key : keys) {
        VariableHandle handle = nullptr;
        char text[512] = {};
        if (server.FindVariable(key.c_str(), &handle, nullptr) == ENGINE_STATUS_OK &&
            server.ReadVariableText(handle, text, sizeof text) == ENGINE_STATUS_OK) {
            values[key] = text;
        }
    }
    return values;
}

// Sets variables in a configuration file through the reference engine.
void EditConfiguration(const std::filesystem::path& file, const std::map<std::string, std::string>& values) {
    ServerLibrary library;
    ASSERT_TRUE(library.LoadServerLibrary(SERVER_LIBRARY));
    EngineServer& server = *library.GetServer();
    (void)server.ReadVariablesFile(file.c_str()); // may not exist yet
    for (const auto& [key, value] : values) {
        server.ExecuteCommand(("\"+" + key + "\" \"" + value + "\"").c_str());
    }
    ASSERT_EQ(server.WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
}

const std::map<std::string, std::string> START_VALUES = {
    {"ServerName", "Dravo Server"},
    {"ServiceName", ""},
    {"GameType", "1"},
    {"EndType", "1"},
    {"EndFrags", "25"},
    {"EndTime", "10"},
    {"NetService", "0"},
    {"MaxPlayers", "16"},
    {"UpdateInfo", "1"},
    {"ServerReg", "1"},
    {"UseGameSpy", "1"},
    {"DashGoInfo", "1"},
    {"Port", "0"},
    {"TractorBeam", "1"},
    {"DoubleJump", "1"},
    {"RammingDamage", "1"},
    {"WorldColorNight", "0.5 0.5 0.5"},
    {"RunSpeed", "1.000000"},
    {"MissileSpeed", "1.000000"},
    {"WorldTimeSpeed", "-1.000000"},
    {"RespawnScale", "1.000000"},
    {"HealScale", "1.000000"},
};

std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (const auto& entry : START_VALUES) {
        keys.push_back(entry.first);
    }
    return keys;
}

// Only what the "-go" path needs: a service and a level; hosting is stopped at once.
const std::map<std::string, std::string> MINIMAL_SETUP = {
    {"ServiceName", "TCP/IP Internet Service"},
    {"NumLevels", "1"},
    {"Level0", "Worlds\\Multi\\NoSuchLevel"},
};

TEST(StartUp, FirstSaveHoldsEveryStartValueAndASecondRunKeepsThem) {
    test::SampleGame game;
    const std::string sample = game.Read("dravosrv.cfg");
    EditConfiguration(game.Path() / "my.cfg", MINIMAL_SETUP);
    const auto first = RunProcess(DRAVOSERV, {"-go", "-CONFIG", "my.cfg"}, game.Path(), "/shutdown\n");
    ASSERT_EQ(first.m_ExitStatus, 0) << first.m_Stderr;
    auto expected = START_VALUES;
    expected["ServiceName"] = "TCP/IP Internet Service";
    EXPECT_EQ(ReadConfiguration(game.Path() / "my.cfg", Keys()), expected);
    EXPECT_EQ(game.Read("dravosrv.cfg"), sample);

    const std::string awkwardName = "The \"Best\" C:\\Server \xC3\xA9";
    EditConfiguration(game.Path() / "my.cfg", {{"GameType", "7"}, {"ServerName", awkwardName}});
    const auto second = RunProcess(DRAVOSERV, {"-go", "-config", "my.cfg"}, game.Path(), "/shutdown\n");
    ASSERT_EQ(second.m_ExitStatus, 0) << second.m_Stderr;
    expected["GameType"] = "7";
    expected["ServerName"] = awkwardName;
    EXPECT_EQ(ReadConfiguration(game.Path() / "my.cfg", Keys()), expected);
}

TEST(StartUp, MissingLibraryIsReportedAndFails) {
    test::SampleGame game;
    const std::string sample = game.Read("dravosrv.cfg");
    const auto result = RunProcess(DRAVOSERV, {"-DLL", "/nonexistent"}, game.Path());
    EXPECT_NE(result.m_ExitStatus, 0);
    EXPECT_NE(result.m_Stderr.find("DravoServ: ERROR - Unable to load SERVER.DLL."), std::string::npos)
        << result.m_Stderr;
    EXPECT_EQ(game.Read("dravosrv.cfg"), sample);
}

TEST(StartUp, LibraryFaultsShowTheirMessages) {
    test::SampleGame game;
    const std::pair<const char*, const char*> cases[] = {
        {"NoCreateServer", "DravoServ: ERROR - Unable to load SERVER.DLL."},
        {"CreateServerFails", "DravoServ: ERROR - Unable to load SERVER.DLL."},
        {"CreateServerNoObject", "DravoServ: ERROR - Unable to access SERVER.DLL."},
    };
    for (const auto& [library, message] : cases) {
        const auto result = RunProcess(DRAVOSERV, {"-dll", test::TestLib(library)}, game.Path());
        EXPECT_NE(result.m_ExitStatus, 0) << library;
        EXPECT_NE(result.m_Stderr.find(message), std::string::npos) << library << ": " << result.m_Stderr;
    }
}

TEST(StartUp, NoGameResourcesShowsMessage102) {
    TempDir empty;
    const auto result = RunProcess(DRAVOSERV, {}, empty.Path());
    EXPECT_NE(result.m_ExitStatus, 0);
    EXPECT_NE(result.m_Stderr.find("DravoServ: ERROR - Unable to access the Dravo game resources.  Please make "
                                   "sure Dravo is installed properly and try again."),
              std::string::npos)
        << result.m_Stderr;
    EXPECT_TRUE(std::filesystem::is_empty(empty.Path()));
}

TEST(StartUp, BadCommandLineFailsBeforeLoading) {
    test::SampleGame game;
    const auto result = RunProcess(DRAVOSERV, {"-CONFIG", std::string(300, 'c')}, game.Path());
    EXPECT_EQ(result.m_ExitStatus, 2);
    EXPECT_NE(result.m_Stderr.find("too long"), std::string::npos) << result.m_Stderr;
}

TEST(StartUp, HelpDescribesTheOptions) {
    TempDir empty;
    const auto result = RunProcess(DRAVOSERV, {"-help"}, empty.Path());
    EXPECT_EQ(result.m_ExitStatus, 0);
    for (const char* option : {"-DLL", "-CONFIG", "-go", "-emptyexit", "server.so"}) {
        EXPECT_NE(result.m_Stdout.find(option), std::string::npos) << option;
    }
}

TEST(StartUp, HeadlessSetupWithoutSavedSettingsEndsWithoutSaving) {
    test::SampleGame game;
    const auto result = RunProcess(DRAVOSERV, {"-CONFIG", "my.cfg"}, game.Path());
    EXPECT_EQ(result.m_ExitStatus, 1);
    EXPECT_NE(result.m_Stderr.find("DravoServ: ERROR - The setup pages need a terminal. Run dravoserv in a terminal, "
                                   "or start it with -go and a saved configuration"),
              std::string::npos)
        << result.m_Stderr;
    EXPECT_FALSE(std::filesystem::exists(game.Path() / "my.cfg"));
}

} // namespace
} // namespace dravo
