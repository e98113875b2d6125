// Start-up with the scripted face: the Shift key, the order of failures, the end of the run.
#include "app/ServerApplication.h"
#include "engine/loader/ServerLibrary.h"
#include "res/ConsoleWindowTemplate.h"
#include "res/NetServicesTemplate.h"
#include "support/FakeClock.h"
#include "support/FakeDrives.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
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
    test::ScriptedWindows m_Windows;
    test::FakeClock m_Clock;
    BlockingPool m_Pool;
    test::FakeDrives m_Drives;
    ServerApplication m_Application{m_Windows, m_Clock, m_Pool, m_Drives};
    const std::string m_Library = test::ServerLibraryPath().string();

    void SetUp() override { std::filesystem::create_directories(m_Game.Path() / "dravo/Worlds/Multi"); }
    ExitStatus Run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "dravoserv");
        return m_Application.StartServerApplication(arguments, m_Library);
    }
    // A configuration the "-go" path can host from: a service and one level.
    void SaveConfiguration(const std::string& file) {
        ServerLibrary library;
        ASSERT_TRUE(library.LoadServerLibrary(m_Library));
        EngineServer& server = *library.GetServer();
        for (const char* command : {"\"+ServiceName\" \"tcp/ip internet service\"", "\"+NumLevels\" \"1\"",
                                    "\"+Level0\" \"Worlds\\Multi\\Nowhere\"", "\"+Port\" \"0\""}) {
            server.ExecuteCommand(command);
        }
        ASSERT_EQ(server.WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
    }
};

TEST_F(ServerApplicationTest, ShiftHeldInvertsTheSkipSwitch) {
    m_Windows.SetShiftHeld(true);
    m_Windows.AddScript(NET_SERVICES_NAME, [](ScriptedDialog& page) { page.PressEscape(); });
    EXPECT_EQ(Run({"-go"}), ExitStatus::StartupFailed); // no saved setup: the pages, cancelled
    EXPECT_FALSE(m_Application.Options().m_SkipWizard);
    EXPECT_GE(m_Clock.Slept(), 50u);

    ServerApplication second(m_Windows, m_Clock, m_Pool, m_Drives);
    (void)second.StartServerApplication({"dravoserv"}, m_Library);
    EXPECT_TRUE(second.Options().m_SkipWizard);
}

TEST_F(ServerApplicationTest, LibraryFailureComesBeforeTheResourceCheck) {
    std::filesystem::remove_all(m_Game.Path() / "dravo");
    EXPECT_EQ(Run({"-DLL", test::TestLib("CreateServerFails")}), ExitStatus::StartupFailed);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, "ERROR - Unable to load SERVER.DLL.");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "DravoServ");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Buttons, MessageBoxButtons::Ok);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Icon, MessageBoxIcon::Exclamation);
}

TEST_F(ServerApplicationTest, MissingResourcesStopBeforeAnythingIsSaved) {
    std::filesystem::remove_all(m_Game.Path() / "dravo");
    EXPECT_EQ(Run({}), ExitStatus::StartupFailed);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text.substr(0, 52), "ERROR - Unable to access the Dravo game resources.  ");
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "dravosrv.cfg"));
}

TEST_F(ServerApplicationTest, CancelledSetupSavesNothing) {
    // Without a saved setup "-go" falls back to the pages; the operator cancels the first.
    m_Windows.AddScript(NET_SERVICES_NAME, [this](ScriptedDialog& page) {
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // to the question before the setup goes
        page.PressEscape();
    });
    EXPECT_EQ(Run({"-go", "-config", "none.cfg"}), ExitStatus::StartupFailed);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Default, MessageBoxDefault::Second);
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "none.cfg"));
    ASSERT_EQ(m_Windows.Dialogs().size(), 1u);
    EXPECT_EQ(m_Windows.Dialogs()[0].m_Key, NET_SERVICES_NAME);
}

TEST_F(ServerApplicationTest, ShutdownAfterTheConsoleWindowSavesTheConfiguration) {
    SaveConfiguration("saved.cfg");
    m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& window) {
        window.RunPosted(); // hosting is tried: the level does not exist, so the window stays open
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        window.Click(ConsoleControl::Shutdown);
    });
    EXPECT_EQ(Run({"-go", "-config", "saved.cfg"}), ExitStatus::Success);
    ASSERT_EQ(m_Windows.Dialogs().size(), 1u);
    EXPECT_TRUE(m_Windows.Dialogs()[0].m_Finished);
    EXPECT_EQ(m_Application.Settings().m_DashGoInfo, 0); // the tip was never shown before this save
    EXPECT_EQ(m_Application.GameOptionsRecord().m_WorldTimeSpeed, -1.0f);
    EXPECT_STREQ(m_Application.HostInfoRecord().m_ServiceName, "Tcp/ip");
    EXPECT_EQ(m_Application.GameInfoRecord().m_LevelCount, 1);

    ServerApplication again(m_Windows, m_Clock, m_Pool, m_Drives);
    m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& window) {
        window.RunPosted();
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        window.Click(ConsoleControl::Shutdown);
    });
    EXPECT_EQ(again.StartServerApplication({"dravoserv", "-go", "-config", "saved.cfg"}, m_Library),
              ExitStatus::Success);
    EXPECT_EQ(again.Settings().m_DashGoInfo, 1);
}

} // namespace
} // namespace dravo
