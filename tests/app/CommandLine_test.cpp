// The command-line rules: -DLL, -CONFIG and the two substring switches.
#include "app/CommandLine.h"
#include "app/ServerApplication.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

CommandLineOptions Parse(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "/opt/dravo/dravoserv");
    return ParseCommandLine(arguments, "/opt/dravo/server.so");
}

TEST(CommandLine, DefaultsWithoutArguments) {
    const auto options = Parse({});
    EXPECT_EQ(options.m_LibraryPath, "/opt/dravo/server.so");
    EXPECT_EQ(options.m_ConfigPath, "dravosrv.cfg");
    EXPECT_FALSE(options.m_SkipWizard);
    EXPECT_FALSE(options.m_EmptyExit);
    EXPECT_FALSE(options.m_ShowHelp);
    EXPECT_TRUE(options.m_Error.empty());
}

TEST(CommandLine, FirstDllWinsAndItMustHaveAValue) {
    EXPECT_EQ(Parse({"-dll", "a.so", "-DLL", "b.so"}).m_LibraryPath, "a.so");
    EXPECT_EQ(Parse({"-Dll", "a.so"}).m_LibraryPath, "a.so");
    EXPECT_EQ(Parse({"-config", "x.cfg", "-DLL"}).m_LibraryPath, "/opt/dravo/server.so");
}

TEST(CommandLine, LastConfigWins) {
    EXPECT_EQ(Parse({"-CONFIG", "one.cfg", "-config", "two.cfg"}).m_ConfigPath, "two.cfg");
    EXPECT_EQ(Parse({"-CONFIG"}).m_ConfigPath, "dravosrv.cfg");
}

TEST(CommandLine, ConfigPathMustFitItsBuffer) {
    EXPECT_TRUE(Parse({"-CONFIG", std::string(255, 'c')}).m_Error.empty());
    EXPECT_FALSE(Parse({"-CONFIG", std::string(256, 'c')}).m_Error.empty());
    EXPECT_FALSE(Parse({"-CONFIG", ""}).m_Error.empty());
}

TEST(CommandLine, SwitchesAreSubstringsInAnyCase) {
    EXPECT_TRUE(Parse({"-go"}).m_SkipWizard);
    EXPECT_TRUE(Parse({"-GOOD"}).m_SkipWizard);
    EXPECT_TRUE(Parse({"-CONFIG", "my-goal.cfg"}).m_SkipWizard);
    EXPECT_FALSE(Parse({"go"}).m_SkipWizard);
    EXPECT_TRUE(Parse({"-EmptyExit"}).m_EmptyExit);
    EXPECT_TRUE(Parse({"x-emptyexitz"}).m_EmptyExit);
    EXPECT_FALSE(Parse({"-empty", "exit"}).m_EmptyExit);
    // The program path is not part of the command line.
    EXPECT_FALSE(ParseCommandLine({"/srv/x-go/dravoserv"}, "s.so").m_SkipWizard);
}

TEST(CommandLine, SwitchesAreFoundBeyondTwoHundredFiftyFiveCharacters) {
    EXPECT_TRUE(Parse({std::string(300, 'x'), "-go"}).m_SkipWizard);
}

TEST(CommandLine, HelpIsRecognised) {
    EXPECT_TRUE(Parse({"-help"}).m_ShowHelp);
    EXPECT_TRUE(Parse({"--help"}).m_ShowHelp);
    EXPECT_FALSE(Parse({"-helpful"}).m_ShowHelp);
    EXPECT_NE(CommandLineHelp("/x/server.so").find("/x/server.so"), std::string::npos);
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

TEST(CommandLine, FaceIsChosenByName) {
    const auto options = ParseCommandLine({"dravoserv", "-FACE", "Headless"}, "s.so");
    EXPECT_EQ(options.m_Face, "headless");
    EXPECT_TRUE(options.m_Error.empty());
    EXPECT_FALSE(ParseCommandLine({"dravoserv", "-face", "fancy"}, "s.so").m_Error.empty());
    EXPECT_EQ(ParseCommandLine({"dravoserv"}, "s.so").m_Face, "");
}

} // namespace
} // namespace dravo

namespace dravo {
namespace {

CommandLineOptions ParseArgs(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "dravoserv");
    return ParseCommandLine(arguments, "s.so");
}

TEST(CommandLineOverrides, AreCollectedInOrderWithTheirValues) {
    const auto options = ParseArgs({"-go", "+ServerName", "Night Owls", "-face", "headless", "+EmptyExitDelay", "2",
                                    "+ServerName", "Late Owls", "+net_bindaddress", ""});
    ASSERT_TRUE(options.m_Error.empty()) << options.m_Error;
    EXPECT_EQ(options.m_Overrides, (std::vector<SettingOverride>{{"ServerName", "Night Owls"},
                                                                 {"EmptyExitDelay", "2"},
                                                                 {"ServerName", "Late Owls"},
                                                                 {"net_bindaddress", ""}}));
    EXPECT_EQ(options.m_Face, "headless");
}

TEST(CommandLineOverrides, TheValueIsTheNextArgumentWhateverItLooksLike) {
    const auto options = ParseArgs({"+Port", "-1", "+ServerName", "+Plus", "+MaxPlayers", "-help"});
    ASSERT_TRUE(options.m_Error.empty()) << options.m_Error;
    EXPECT_EQ(options.m_Overrides,
              (std::vector<SettingOverride>{{"Port", "-1"}, {"ServerName", "+Plus"}, {"MaxPlayers", "-help"}}));
    EXPECT_FALSE(options.m_ShowHelp); // a value, not the option
}

TEST(CommandLineOverrides, AnOptionsValueIsNotAnOverride) {
    const auto options = ParseArgs({"-CONFIG", "+odd.cfg", "-logfile", "+odd.log"});
    EXPECT_TRUE(options.m_Error.empty());
    EXPECT_TRUE(options.m_Overrides.empty());
    EXPECT_EQ(options.m_ConfigPath, "+odd.cfg");
    EXPECT_EQ(options.m_LogFilePath, "+odd.log");
}

TEST(CommandLineOverrides, MalformedOnesCannotBeUsed) {
    EXPECT_NE(ParseArgs({"+ServerName"}).m_Error.find("has no value"), std::string::npos);
    EXPECT_NE(ParseArgs({"+", "x"}).m_Error.find("is not an override"), std::string::npos);
    EXPECT_NE(ParseArgs({"+Bad\"Key", "x"}).m_Error.find("is not an override"), std::string::npos);
    EXPECT_NE(ParseArgs({"+Bad Key", "x"}).m_Error.find("is not an override"), std::string::npos);
    // A name the engine would refuse: longer than 255 characters, even where key and value fit 505.
    EXPECT_TRUE(ParseArgs({"+" + std::string(255, 'k'), "x"}).m_Error.empty());
    EXPECT_NE(ParseArgs({"+" + std::string(256, 'k'), "x"}).m_Error.find("at most 255"), std::string::npos);
    EXPECT_NE(ParseArgs({"+ServerName", "two\nlines"}).m_Error.find("line break"), std::string::npos);
    // The console command "+Key" "value" must fit 512 bytes with its terminator.
    EXPECT_TRUE(ParseArgs({"+K", std::string(504, 'v')}).m_Error.empty());
    EXPECT_NE(ParseArgs({"+K", std::string(505, 'v')}).m_Error.find("too long"), std::string::npos);
}

TEST(CommandLineOverrides, TheSubstringSwitchesSeeTheirValues) {
    EXPECT_TRUE(ParseArgs({"+ServerName", "Join-Go-Team"}).m_SkipWizard);
    EXPECT_TRUE(ParseArgs({"+SpyGameMode", "x-EmptyExit"}).m_EmptyExit);
    EXPECT_FALSE(ParseArgs({"+ServerName", "Night Owls"}).m_SkipWizard);
    EXPECT_FALSE(ParseArgs({"-logfile", "/var/log/dravoserv/main.log"}).m_SkipWizard);
}

TEST(CommandLineLogFile, TheLastOneCountsAndItMustNotBeEmpty) {
    EXPECT_EQ(ParseArgs({"-LOGFILE", "a.log", "-logfile", "b.log"}).m_LogFilePath, "b.log");
    EXPECT_EQ(ParseArgs({}).m_LogFilePath, "");
    EXPECT_NE(ParseArgs({"-logfile", ""}).m_Error.find("log file name is empty"), std::string::npos);
}

TEST(CommandLineHelpText, NamesEveryOptionAndEveryExitStatus) {
    const std::string help = CommandLineHelp("s.so");
    for (std::string_view name : CommandLineOptionNames()) {
        const std::string word(name.substr(0, name.find(' ')));
        EXPECT_NE(help.find(word), std::string::npos) << word;
    }
    for (const char* status : {"0 after", "1 when", "2 for", "3 when", "4 when", "5 when"}) {
        EXPECT_NE(help.find(status), std::string::npos) << status;
    }
    // The last status the program knows is the last one listed.
    EXPECT_NE(help.find(std::to_string(static_cast<int>(ExitStatus::Stopped)) + " when told to stop"),
              std::string::npos);
}

} // namespace
} // namespace dravo
