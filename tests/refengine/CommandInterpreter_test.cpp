// Tests of the console commands run against the variable store.
#include "CommandInterpreter.h"

#include <gtest/gtest.h>

namespace dravo::ref {
namespace {

class CommandInterpreterTest : public ::testing::Test {
protected:
    bool Run(std::string_view line) {
        m_Output.clear();
        return m_Interpreter.Execute(line, m_Output);
    }
    std::string Text(std::string_view name) const {
        const Variable* variable = m_Variables.Find(name);
        return variable ? variable->m_Text : "<absent>";
    }

    VariableStore m_Variables;
    CommandInterpreter m_Interpreter{m_Variables};
    CommandInterpreter::Output m_Output;
};

TEST_F(CommandInterpreterTest, PlusFormCreatesAndReplaces) {
    EXPECT_TRUE(Run(R"("+ServerName" "Dravo Server")"));
    EXPECT_EQ(Text("ServerName"), "Dravo Server");
    EXPECT_TRUE(Run(R"("+servername" "Other")"));
    EXPECT_EQ(Text("ServerName"), "Other");
    EXPECT_EQ(m_Variables.Find("SERVERNAME")->m_Name, "ServerName"); // first spelling kept
    EXPECT_EQ(m_Variables.Count(), 1u);
    EXPECT_TRUE(m_Output.empty());
}

TEST_F(CommandInterpreterTest, PlusFormRefusesBadNames) {
    EXPECT_FALSE(Run(R"("+Two Words" "x")"));
    EXPECT_FALSE(Run(R"("+" "x")"));
    EXPECT_EQ(m_Variables.Count(), 0u);
    ASSERT_EQ(m_Output.size(), 1u);
    EXPECT_NE(m_Output[0].find("ERROR"), std::string::npos);
}

TEST_F(CommandInterpreterTest, UnknownCommandIsReported) {
    EXPECT_FALSE(Run("foo 1 2"));
    ASSERT_EQ(m_Output.size(), 1u);
    EXPECT_EQ(m_Output[0].rfind("Unknown command \"foo\".", 0), 0u) << m_Output[0];
    EXPECT_EQ(m_Variables.Count(), 0u);
}

TEST_F(CommandInterpreterTest, EmptyLineDoesNothing) {
    EXPECT_TRUE(Run("   "));
    EXPECT_TRUE(m_Output.empty());
}

TEST_F(CommandInterpreterTest, VariableNameAloneShowsItWithValueChangesIt) {
    m_Variables.Set("EmptyExitDelay", "60");
    EXPECT_TRUE(Run("emptyexitdelay"));
    ASSERT_EQ(m_Output.size(), 1u);
    EXPECT_EQ(m_Output[0], "EmptyExitDelay is \"60\"");
    EXPECT_TRUE(Run("EmptyExitDelay \"90 seconds\""));
    EXPECT_EQ(Text("EmptyExitDelay"), "90 seconds");
}

TEST_F(CommandInterpreterTest, SetCreatesAVariable) {
    EXPECT_TRUE(Run("set SpyGameType capture the flag"));
    EXPECT_EQ(Text("SpyGameType"), "capture the flag");
    EXPECT_FALSE(Run("set"));
    EXPECT_FALSE(Run("set \"two words\" x"));
}

TEST_F(CommandInterpreterTest, GameOptionCommandsStoreVariables) {
    EXPECT_TRUE(Run("TractorBeam 1"));
    EXPECT_TRUE(Run("DoubleJump 0"));
    EXPECT_TRUE(Run("RammingDamage 1"));
    EXPECT_TRUE(Run("RunSpeed 1.000000"));
    EXPECT_TRUE(Run("MissileSpeed 2.500000"));
    EXPECT_TRUE(Run("RespawnScale 0.500000"));
    EXPECT_TRUE(Run("HealScale 1.000000"));
    EXPECT_TRUE(Run("WorldTimeSpeed -1.000000"));
    EXPECT_TRUE(Run(R"(WorldColorNight "0.5 0.5 0.5")"));
    EXPECT_EQ(Text("TractorBeam"), "1");
    EXPECT_EQ(Text("DoubleJump"), "0");
    EXPECT_EQ(Text("MissileSpeed"), "2.500000");
    EXPECT_EQ(Text("WorldTimeSpeed"), "-1.000000");
    EXPECT_EQ(Text("WorldColorNight"), "0.5 0.5 0.5");
    EXPECT_EQ(m_Variables.Count(), 9u);
}

TEST_F(CommandInterpreterTest, GameOptionCommandsRefuseBadValues) {
    m_Variables.Set("TractorBeam", "1");
    EXPECT_FALSE(Run("TractorBeam 5"));
    EXPECT_FALSE(Run("TractorBeam on"));
    EXPECT_FALSE(Run("RunSpeed fast"));
    EXPECT_EQ(Text("TractorBeam"), "1");
    EXPECT_EQ(Text("RunSpeed"), "<absent>");
    ASSERT_FALSE(m_Output.empty());
    EXPECT_NE(m_Output.back().find("RunSpeed"), std::string::npos);
}

TEST_F(CommandInterpreterTest, DebugLevelStoresItsVariable) {
    EXPECT_TRUE(Run("debuglevel 0"));
    EXPECT_EQ(Text("debuglevel"), "0");
    EXPECT_TRUE(Run("DEBUGLEVEL 3"));
    EXPECT_EQ(Text("debuglevel"), "3");
    EXPECT_FALSE(Run("debuglevel high"));
    EXPECT_FALSE(Run("debuglevel -1"));
    EXPECT_EQ(Text("debuglevel"), "3");
}

TEST_F(CommandInterpreterTest, HelpListsTheCommands) {
    EXPECT_TRUE(Run("help"));
    std::string all;
    for (const std::string& line : m_Output) {
        all += line + "\n";
    }
    for (const char* name : {"cvarlist", "set", "debuglevel", "TractorBeam", "WorldColorNight"}) {
        EXPECT_NE(all.find(name), std::string::npos) << name;
    }
}

TEST_F(CommandInterpreterTest, VariableListShowsEscapedValuesAndACount) {
    m_Variables.Set("Level0", "Worlds\\Multi\\Frostline");
    m_Variables.Set("Motd", "line one\nline two");
    m_Variables.Set("Port", "0");
    EXPECT_TRUE(Run("cvarlist"));
    ASSERT_EQ(m_Output.size(), 4u);
    EXPECT_EQ(m_Output[0], R"(Level0 is "Worlds\\Multi\\Frostline")");
    EXPECT_EQ(m_Output[1], R"(Motd is "line one\nline two")");
    EXPECT_EQ(m_Output[3], "3 variables");
    EXPECT_TRUE(Run("cvarlist lev"));
    ASSERT_EQ(m_Output.size(), 2u);
    EXPECT_EQ(m_Output[1], "1 variable");
}

} // namespace
} // namespace dravo::ref
