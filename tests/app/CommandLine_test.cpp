// The command-line rules: -DLL, -CONFIG and the two substring switches.
#include "app/CommandLine.h"

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
