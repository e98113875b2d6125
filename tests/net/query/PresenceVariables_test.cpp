// The presence overrides read from the engine's variables.
#include "net/query/PresenceVariables.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

TEST(PresenceVariables, DefaultsWithoutVariables) {
    test::FakeEngine engine;
    VariableReader reader(engine);
    const PresenceVariables variables = ReadPresenceVariables(reader, "http://built.in/servers/server.asp");
    EXPECT_EQ(variables.m_Reporter.m_MasterHostPattern, DEFAULT_MASTER_HOST_PATTERN);
    EXPECT_EQ(variables.m_Reporter.m_MasterPort, 27900);
    EXPECT_EQ(variables.m_QueryPort, 25554);
    EXPECT_EQ(variables.m_RegistrationUrl, "http://built.in/servers/server.asp");
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_Burst, 10u);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_PerSecond, 1u);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_GlobalPerSecond, 50u);
}

TEST(PresenceVariables, OverridesAreTakenWhenInRange) {
    test::FakeEngine engine;
    engine.m_Variables = {{"SpyMasterHost", "127.0.0.1"},
                          {"SpyMasterPort", "28000"},
                          {"SpyQueryPort", "26000.9"},
                          {"SpyRateBurst", "0"},
                          {"SpyRatePerSecond", "5"},
                          {"SpyGlobalRate", "200"},
                          {"WebRegUrl", "http://127.0.0.1:8080/servers/server.asp"}};
    VariableReader reader(engine);
    const PresenceVariables variables = ReadPresenceVariables(reader, "unused");
    EXPECT_TRUE(reader.TakeProblems().empty());
    EXPECT_EQ(variables.m_Reporter.m_MasterHostPattern, "127.0.0.1");
    EXPECT_EQ(variables.m_Reporter.m_MasterPort, 28000);
    EXPECT_EQ(variables.m_QueryPort, 26000);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_Burst, 0u);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_PerSecond, 5u);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_GlobalPerSecond, 200u);
    EXPECT_EQ(variables.m_RegistrationUrl, "http://127.0.0.1:8080/servers/server.asp");
}

TEST(PresenceVariables, EmptyOrOutOfRangeValuesKeepTheDefaultsAndAreSaid) {
    test::FakeEngine engine;
    engine.m_Variables = {{"SpyMasterHost", ""},  {"SpyMasterPort", "0"},   {"SpyQueryPort", "70000"},
                          {"SpyRateBurst", "-1"}, {"SpyGlobalRate", "nan"}, {"WebRegUrl", ""}};
    VariableReader reader(engine);
    const PresenceVariables variables = ReadPresenceVariables(reader, "http://built.in/");
    EXPECT_EQ(
        reader.TakeProblems(),
        (std::vector<std::string>{"SpyMasterPort \"0\" is no number from 1 to 65535; the default (27900) holds.",
                                  "SpyQueryPort \"70000\" is no number from 1 to 65535; the default (25554) holds.",
                                  "SpyRateBurst \"-1\" is no number from 0 to 1000000; the default (10) holds.",
                                  "SpyGlobalRate \"nan\" is no number from 0 to 1000000; the default (50) holds."}));
    EXPECT_EQ(variables.m_Reporter.m_MasterHostPattern, DEFAULT_MASTER_HOST_PATTERN);
    EXPECT_EQ(variables.m_Reporter.m_MasterPort, 27900);
    EXPECT_EQ(variables.m_QueryPort, 25554);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_Burst, 10u);
    EXPECT_EQ(variables.m_Reporter.m_Limits.m_GlobalPerSecond, 50u);
    EXPECT_EQ(variables.m_RegistrationUrl, "http://built.in/");
}

} // namespace
} // namespace dravo
