// The read-only tuning variables and what each one accepts.
#include "settings/TuningVariables.h"
#include "support/FakeEngine.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::FakeEngine;

TuningVariables ReadWith(std::map<std::string, std::string> variables) {
    FakeEngine engine;
    engine.m_Variables = std::move(variables);
    TuningVariables tuning;
    ReadTuningVariables(engine, tuning);
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

TEST(TuningVariables, WebRegUpdateNeedsMoreThanOne) {
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1"}}).m_WebRegPeriodSeconds, 400u);
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1.5"}}).m_WebRegPeriodSeconds, 1u);
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "2.9"}}).m_WebRegPeriodSeconds, 2u);
    EXPECT_EQ(ReadWith({{"WebRegUpdate", "1e30"}}).m_WebRegPeriodSeconds, MAX_TUNING_SECONDS);
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
    ReadTuningVariables(engine, tuning);
    EXPECT_TRUE(tuning.m_EmptyExit);
}

} // namespace
} // namespace dravo
