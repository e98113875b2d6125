// Start-up with the scripted face: the Shift key, the order of failures, the end of the run.
#include "app/ServerApplication.h"
#include "platform/window/ScriptedWindowSystem.h"
#include "support/FakeClock.h"
#include "support/FakeDrives.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

namespace dravo {
namespace {

using test::TempDir;

class ServerApplicationTest : public ::testing::Test {
protected:
    TempDir m_Game;
    test::CurrentDirectory m_Current{m_Game.Path()};
    ScriptedWindowSystem m_Windows;
    test::FakeClock m_Clock;
    test::FakeDrives m_Drives;
    ServerApplication m_Application{m_Windows, m_Clock, m_Drives};
    const std::string m_Library = (test::BinDir() / "server.so").string();

    void SetUp() override { std::filesystem::create_directories(m_Game.Path() / "dravo"); }
    ExitStatus Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "dravoserv");
        return m_Application.StartServerApplication(arguments, m_Library);
    }
};

TEST_F(ServerApplicationTest, ShiftHeldInvertsTheSkipSwitch) {
    m_Windows.SetShiftHeld(true);
    EXPECT_EQ(Run({"-go"}), ExitStatus::Success);
    EXPECT_FALSE(m_Application.Options().m_SkipWizard);
    EXPECT_GE(m_Clock.Slept(), 50u);

    ServerApplication second(m_Windows, m_Clock, m_Drives);
    EXPECT_EQ(second.StartServerApplication({"dravoserv"}, m_Library), ExitStatus::Success);
    EXPECT_TRUE(second.Options().m_SkipWizard);
}

TEST_F(ServerApplicationTest, EmptyExitSwitchIsKept) {
    EXPECT_EQ(Run({"-EMPTYEXIT"}), ExitStatus::Success);
    EXPECT_TRUE(m_Application.EmptyExitEnabled());
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
}

TEST_F(ServerApplicationTest, LibraryFailureComesBeforeTheResourceCheck) {
    std::filesystem::remove(m_Game.Path() / "dravo");
    EXPECT_EQ(Run({"-DLL", test::TestLib("CreateServerFails")}), ExitStatus::StartupFailed);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].Text, "ERROR - Unable to load SERVER.DLL.");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].Caption, "DravoServ");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].Buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].Icon, MessageBoxIcon::Exclamation);
}

TEST_F(ServerApplicationTest, MissingResourcesStopBeforeAnythingIsSaved) {
    std::filesystem::remove(m_Game.Path() / "dravo");
    EXPECT_EQ(Run({}), ExitStatus::StartupFailed);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].Text.substr(0, 52), "ERROR - Unable to access the Dravo game resources.  ");
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "dravosrv.cfg"));
}

TEST_F(ServerApplicationTest, NormalRunReadsAndSavesTheConfiguration) {
    EXPECT_EQ(Run({"-config", "other.cfg"}), ExitStatus::Success);
    EXPECT_TRUE(std::filesystem::exists(m_Game.Path() / "other.cfg"));
    EXPECT_EQ(m_Application.Settings().m_DashGoInfo, 0); // first run: the tip has not been shown
    EXPECT_EQ(m_Application.GameOptionsRecord().m_WorldTimeSpeed, -1.0f);

    ServerApplication again(m_Windows, m_Clock, m_Drives);
    EXPECT_EQ(again.StartServerApplication({"dravoserv", "-config", "other.cfg"}, m_Library), ExitStatus::Success);
    EXPECT_EQ(again.Settings().m_DashGoInfo, 1);
}

} // namespace
} // namespace dravo
