// The read-only tuning variables and what each one accepts.
#include "settings/TuningVariables.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::FakeEngine;

TuningVariables ReadWith(std::map<std::string, std::string> variables, std::vector<std::string>* problems = nullptr) {
    FakeEngine engine;
    engine.m_Variables = std::move(variables);
    VariableReader reader(engine);
    TuningVariables tuning;
    ReadTuningVariables(reader, tuning);
    if (problems != nullptr) {
        *problems = reader.TakeProblems();
    }
    return tuning;
}

TEST(TuningVariables, AbsentVariablesKeepTheDefaults) {
    const TuningVariables tuning = ReadWith({});
    EXPECT_EQ(tuning.m_WebRegPeriodSeconds, 400u);
    EXPECT_FALSE(tuning.m_EmptyExit);
    EXPECT_EQ(tuning.m_EmptyExitDelaySeconds, 60u);
    EXPECT_EQ(tuning.m_SpyGameType, "deathmatch");
    EXPECT_EQ(tuning.m_SpyGameMode, "openplaying");
}

TEST(TuningVariables, WebRegUpdateNeedsMoreThanOneAndSaysWhatItRefuses) {
    std::vector<std::string> problems;
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1"}}, &problems).m_WebRegPeriodSeconds, 400u);
    EXPECT_EQ(problems, std::vector<std::string>{
                            "WebRegUpdate \"1\" is no number above 1, up to 2000000; the default (400) holds."});
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1.5"}}, &problems).m_WebRegPeriodSeconds, 1u);
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "2.9"}}, &problems).m_WebRegPeriodSeconds, 2u);
    EXPECT_TRUE(problems.empty());
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1e30"}}, &problems).m_WebRegPeriodSeconds, 400u)
        << "a period too long to count in milliseconds";
    EXPECT_EQ(problems.size(), 1u);
}

TEST(TuningVariables, EmptyExitNeedsOneOrMore) {
    EXPECT_FALSE(ReadWith({{"EmptyExit", "0.5"}}).m_EmptyExit);
    EXPECT_TRUE(ReadWith({{"EmptyExit", "1"}}).m_EmptyExit);
    EXPECT_EQ(ReadWith({{"EmptyExitDelay", "0.5"}}).m_EmptyExitDelaySeconds, 60u);
    EXPECT_EQ(ReadWith({{"EmptyExitDelay", "90.7"}}).m_EmptyExitDelaySeconds, 90u);
    EXPECT_EQ(ReadWith({{"EmptyExitDelay", "nan"}}).m_EmptyExitDelaySeconds, 60u);
}

TEST(TuningVariables, EmptyLabelsKeepTheDefaultsAndLongOnesAreCut) {
    const TuningVariables tuning = ReadWith({{"SpyGameType", ""}, {"SpyGameMode", std::string(100, 'm')}});
    EXPECT_EQ(tuning.m_SpyGameType, "deathmatch");
    EXPECT_EQ(tuning.m_SpyGameMode, std::string(63, 'm'));
}

TEST(TuningVariables, ASmallEmptyExitNeverClearsIt) {
    FakeEngine engine;
    engine.m_Variables["EmptyExit"] = "0";
    TuningVariables tuning;
    tuning.m_EmptyExit = true;
    VariableReader reader(engine);
    ReadTuningVariables(reader, tuning);
    EXPECT_TRUE(tuning.m_EmptyExit);
}

} // namespace
} // namespace dravo
