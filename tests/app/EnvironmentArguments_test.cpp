// The DRAVO_* variables and a panel's STARTUP command as the program's arguments, the sample
// configuration copied into an empty data directory, and the log made there shared with the group.
#include "app/ConfigurationSeed.h"
#include "app/EnvironmentArguments.h"
#include "platform/fs/AppendFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace dravo {
namespace {

using Words = std::vector<std::string>;

struct Environment {
    std::map<std::string, std::string> m_Values;
    EnvironmentLookup Lookup() const {
        return [this](const char* name) {
            const auto found = m_Values.find(name);
            return found == m_Values.end() ? nullptr : found->second.c_str();
        };
    }
};

Words Arguments(const Environment& environment, const Words& given, std::string* errorOut = nullptr) {
    std::string error;
    Words result = WithEnvironmentArguments(given, environment.Lookup(), error);
    if (errorOut != nullptr) {
        *errorOut = error;
    } else {
        EXPECT_EQ(error, "");
    }
    return result;
}

TEST(EnvironmentArguments, EachVariableBecomesItsArgumentAndTheCommandLineComesLastToWin) {
    Environment environment{{{"DRAVO_CONFIG", "/data/dravosrv.cfg"},
                             {"DRAVO_LOGFILE", "/data/dravoserv.log"},
                             {"DRAVO_SERVER_NAME", "Two words"},
                             {"DRAVO_PORT", "27900"},
                             {"DRAVO_QUERY_PORT", "25600"},
                             {"DRAVO_MAX_PLAYERS", "8"},
                             {"DRAVO_BIND_ADDRESS", "10.0.0.2"},
                             {"HOME", "/data"}}};
    EXPECT_EQ(Arguments(environment, {"/opt/dravoserv/dravoserv", "-go", "+Port", "28000"}),
              (Words{"/opt/dravoserv/dravoserv", "-CONFIG", "/data/dravosrv.cfg", "-logfile", "/data/dravoserv.log",
                     "+ServerName", "Two words", "+Port", "27900", "+SpyQueryPort", "25600", "+MaxPlayers", "8",
                     "+net_bindaddress", "10.0.0.2", "-go", "+Port", "28000"}));
}

TEST(EnvironmentArguments, EmptyVariablesAddNothingButAnEmptyBindAddressMeansEveryAddress) {
    Environment environment{{{"DRAVO_LOGFILE", ""}, {"DRAVO_SERVER_NAME", ""}, {"DRAVO_BIND_ADDRESS", ""}}};
    EXPECT_EQ(Arguments(environment, {"dravoserv"}), (Words{"dravoserv", "+net_bindaddress", ""}));
    EXPECT_EQ(Arguments(Environment{}, {"dravoserv", "-go"}), (Words{"dravoserv", "-go"}));
}

TEST(EnvironmentArguments, APanelsStartupCommandIsSplitAndItsValuesStayWhole) {
    Environment environment{{{"STARTUP", "dravoserv +Port {{SERVER_PORT}} +ServerName \"{{NAME}}\" +X 'a b'"},
                             {"SERVER_PORT", "27901"},
                             {"NAME", "My \"quoted\" $(rm -rf /) {{SERVER_PORT}}"}}};
    EXPECT_EQ(Arguments(environment, {"dravoserv", "-go"}),
              (Words{"dravoserv", "+Port", "27901", "+ServerName", "My \"quoted\" $(rm -rf /) {{SERVER_PORT}}", "+X",
                     "a b", "-go"}));
    // An unset variable is empty; a value outside quotes is one word all the same.
    environment.m_Values["STARTUP"] = "run +A {{MISSING}}x +B {{NAME}}";
    EXPECT_EQ(Arguments(environment, {"dravoserv"}),
              (Words{"dravoserv", "+A", "x", "+B", "My \"quoted\" $(rm -rf /) {{SERVER_PORT}}"}));
}

TEST(EnvironmentArguments, AStartupCommandThatCannotBeReadIsRefusedAndAddsNothing) {
    std::string error;
    Environment open{{{"STARTUP", "dravoserv +ServerName \"unclosed"}, {"DRAVO_PORT", "1"}}};
    EXPECT_EQ(Arguments(open, {"dravoserv"}, &error), (Words{"dravoserv"}));
    EXPECT_NE(error.find("unclosed"), std::string::npos) << error;
    Environment longOne{{{"STARTUP", std::string(MAX_STARTUP_BYTES + 1, 'a')}}};
    EXPECT_EQ(Arguments(longOne, {"dravoserv"}, &error), (Words{"dravoserv"}));
    EXPECT_NE(error.find("longer"), std::string::npos) << error;
    std::string many = "dravoserv";
    for (size_t i = 0; i < MAX_STARTUP_WORDS + 1; ++i) {
        many += " w";
    }
    Environment manyWords{{{"STARTUP", many}}};
    EXPECT_EQ(Arguments(manyWords, {"dravoserv"}, &error), (Words{"dravoserv"}));
    EXPECT_NE(error.find("words"), std::string::npos) << error;
}

TEST(ConfigurationSeed, AnEmptyDirectoryGetsTheSampleWithoutItsBindAddressAndTheGroupMayWriteIt) {
    const test::TempDir temp;
    const auto sample =
        temp.Write("game/dravosrv.cfg", "ServerName \"S\"\nnet_bindaddress \"127.0.0.1\"\nPort \"0\"\n");
    const auto data = temp.Path() / "data";
    std::filesystem::create_directory(data);
    std::filesystem::permissions(data, std::filesystem::perms::group_write, std::filesystem::perm_options::add);
    const std::string config = (data / "dravosrv.cfg").string();
    EXPECT_EQ(SeedConfiguration(config, sample.string().c_str()), "");
    EXPECT_EQ(temp.Read("data/dravosrv.cfg"), "ServerName \"S\"\nPort \"0\"\n");
#ifndef _WIN32
    EXPECT_NE(std::filesystem::status(config).permissions() & std::filesystem::perms::group_write,
              std::filesystem::perms::none);
#endif
    // A configuration that is there is never replaced.
    temp.Write("data/dravosrv.cfg", "ServerName \"Mine\"\n");
    EXPECT_EQ(SeedConfiguration(config, sample.string().c_str()), "");
    EXPECT_EQ(temp.Read("data/dravosrv.cfg"), "ServerName \"Mine\"\n");
    EXPECT_FALSE(std::filesystem::exists(config + ".new"));
}

TEST(ConfigurationSeed, AMissingOrHugeSampleIsReportedAndNothingIsWritten) {
    const test::TempDir temp;
    const std::string config = (temp.Path() / "dravosrv.cfg").string();
    EXPECT_EQ(SeedConfiguration(config, nullptr), "");
    EXPECT_NE(SeedConfiguration(config, (temp.Path() / "none.cfg").string().c_str()), "");
    const auto huge = temp.Write("huge.cfg", std::string(MAX_CONFIG_SAMPLE_BYTES + 1, 'x'));
    EXPECT_NE(SeedConfiguration(config, huge.string().c_str()), "");
    EXPECT_FALSE(std::filesystem::exists(config));
}

#ifndef _WIN32
TEST(AppendFile, ALogMadeInAGroupWritableDirectoryIsTheGroupsToAppendTo) {
    const test::TempDir temp;
    using std::filesystem::perms;
    const mode_t mask = ::umask(022); // as a container's is: the group may not write what is made
    for (const bool shared : {true, false}) {
        const auto folder = temp.Path() / (shared ? "shared" : "own");
        std::filesystem::create_directory(folder);
        std::filesystem::permissions(folder, shared ? perms(0775) : perms(0755));
        AppendFile log;
        std::string error;
        ASSERT_TRUE(log.Open((folder / "dravoserv.log").string(), error)) << error;
        const perms mode = std::filesystem::status(folder / "dravoserv.log").permissions();
        EXPECT_EQ((mode & perms::group_write) != perms::none, shared);
    }
    ::umask(mask);
}
#endif

} // namespace
} // namespace dravo
