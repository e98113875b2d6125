// The Win32 face driven for real: the setup wizard's pages, the console window, the options dialog and
// message boxes, worked through real Win32 controls by the same scripts the scripted face runs; posted
// work and timers waking a modal dialog with nothing else happening.
#include "platform/window/DialogApi.h"
#include "platform/window/win32/Win32ScriptedFace.h"
#include "platform/window/win32/Win32WindowSystem.h"
#include "res/ConsoleWindowTemplate.h"
#include "res/ServerOptionsTemplate.h"
#include "res/StringTable.h"
#include "settings/GameOptionCommands.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/ManualSteps.h"
#include "support/TempDir.h"
#include "ui/ConsoleWindow.h"
#include "ui/WizardTestGame.h"

#include <gtest/gtest.h>

#include <cstring>
#include <thread>

namespace dravo {
namespace {

using test::Win32ScriptedFace;
using Win32WizardTest = test::WizardTestOn<Win32ScriptedFace>;

std::string RealTitle(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

TEST_F(Win32WizardTest, FirstRunWalksEveryPageOnRealControls) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetRezFilesControl::Available, "arena.rez"));
        EXPECT_TRUE(page.Click(NetRezFilesControl::Add));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    m_Windows.AddScript(NET_GAME_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsVisible(NetGameControl::Port));
        EXPECT_TRUE(page.SetText(NetGameControl::ServerName, "Wizard Arena"));
        EXPECT_EQ(page.Text(NetGameControl::ServerName), "Wizard Arena");
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(NET_OPTIONS_NAME);
    FinishWithLevels({"Skyharbor", "Cinderworks"}, {"Glasshouse"}, true);

    ASSERT_TRUE(Run());
    ASSERT_EQ(m_Windows.Dialogs().size(), 5u);
    EXPECT_STREQ(m_Host.m_ServerName, "Wizard Arena");
    EXPECT_STREQ(m_Host.m_ServiceName, "Tcp/ip");
    ASSERT_EQ(m_Info.m_LevelCount, 3);
    EXPECT_STREQ(m_Info.m_LevelNames[0], "Worlds\\Multi\\Skyharbor");
    EXPECT_STREQ(m_Info.m_LevelNames[2], "Glasshouse");
    EXPECT_EQ(test::StoredText(Engine(), "RezFile0"), "Custom\\arena.rez");
    // The "-go" tip, as a real message box.
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "Dravo Server");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, StringTable::Find(STR_DASH_GO_TIP).value_or("missing"));
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Buttons, MessageBoxButtons::Ok);
}

TEST_F(Win32WizardTest, BackAndCancelWorkOnRealButtons) {
    ChooseService();
    m_Windows.AddScript(NET_REZFILES_NAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsEnabled(WizardControl::Back));
        EXPECT_TRUE(page.Click(WizardControl::Back));
    });
    m_Windows.AddScript(NET_SERVICES_NAME, [](ScriptedDialog& page) {
        EXPECT_FALSE(page.IsEnabled(WizardControl::Back)); // the first page has nowhere to go back to
        EXPECT_FALSE(page.Click(WizardControl::Back));
        EXPECT_TRUE(page.PressEscape());
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(m_Windows.Dialogs().size(), 3u);
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
}

TEST_F(Win32WizardTest, LevelPageListsMoveBetweenRealListBoxes) {
    ChooseService();
    PressNext(NET_REZFILES_NAME);
    PressNext(NET_GAME_NAME);
    PressNext(NET_OPTIONS_NAME);
    m_Windows.AddScript(NET_GAMELEVELS_NAME, [](ScriptedDialog& page) {
        const int before = page.ListCount(NetGameLevelsControl::RetailLevels);
        EXPECT_GT(before, 0);
        EXPECT_TRUE(page.DoubleClick(NetGameLevelsControl::RetailLevels, 0)); // a double click adds
        EXPECT_EQ(page.ListCount(NetGameLevelsControl::GameLevels), 1);
        EXPECT_TRUE(page.SetChecked(NetGameLevelsControl::SaveLevels, false));
        EXPECT_FALSE(page.IsChecked(NetGameLevelsControl::SaveLevels));
        EXPECT_TRUE(page.PressEnter()); // Finish is the default button
    });
    ASSERT_TRUE(Run());
    EXPECT_EQ(m_Info.m_LevelCount, 1);
}

class Win32ConsoleTest : public ::testing::Test {
protected:
    test::TempDir m_Directory;
    test::CurrentDirectory m_Current{m_Directory.Path()};
    test::FakeEngine m_Engine;
    Win32ScriptedFace m_Windows;
    test::FakeClock m_Clock;
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "Console & Co");
        std::strcpy(m_Host.m_ServiceName, "Tcp/ip");
        m_Game.m_EndType = END_AFTER_FRAGS_OR_TIME;
        m_Game.m_EndFrags = 25;
        m_Game.m_EndTime = 10;
        m_Game.m_LevelCount = 2;
        std::strcpy(m_Game.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
        std::strcpy(m_Game.m_LevelNames[1], "Arena");
        m_Engine.m_HostAddress = "127.0.0.1";
        SetGameOptionsStartValues(m_Options);
    }
    int Run(const std::function<void(ConsoleWindow&, ScriptedDialog&)>& script) {
        test::ManualSteps steps(m_Clock);
        ConsoleWindow window(m_Windows, m_Clock, &m_Engine, SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0},
                             &steps);
        m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& dialog) { script(window, dialog); });
        return window.Run();
    }
};

TEST_F(Win32ConsoleTest, FieldsCommandsAndShutdownOnRealControls) {
    Run([&](ConsoleWindow&, ScriptedDialog& dialog) {
        HWND window = m_Windows.DialogWindow();
        EXPECT_EQ(RealTitle(window), "Dravo Server v2.1");
        EXPECT_EQ(dialog.Text(ConsoleControl::ServerName), "Console & Co");
        EXPECT_EQ(dialog.Text(ConsoleControl::LevelGoal), "25 Frags or 10 Minutes");
        EXPECT_EQ(dialog.ListCount(ConsoleControl::LevelList), 2);
        EXPECT_EQ(dialog.ListText(ConsoleControl::LevelList, 1), "Arena");
        EXPECT_FALSE(dialog.IsVisible(ConsoleControl::Send));
        EXPECT_NE(dialog.Text(ConsoleControl::ConsoleLog).find("Server is running.\r\n"), std::string::npos);
        // Enter in the command input presses the hidden default button Send.
        m_Engine.m_Commands.clear();
        EXPECT_TRUE(dialog.SetText(ConsoleControl::CommandInput, "status"));
        EXPECT_TRUE(dialog.PressEnter());
        ASSERT_EQ(m_Engine.m_Commands.size(), 1u);
        EXPECT_EQ(m_Engine.m_Commands[0], "status");
        EXPECT_EQ(dialog.Text(ConsoleControl::CommandInput), "");
        EXPECT_TRUE(dialog.Click(ConsoleControl::Clear));
        EXPECT_EQ(dialog.Text(ConsoleControl::ConsoleLog), "");
        // The question, answered No by a click in the real box, keeps the game; Yes ends it.
        m_Windows.QueueAnswer(MessageBoxResult::No);
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
        EXPECT_TRUE(IsWindow(window));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        EXPECT_TRUE(dialog.Click(ConsoleControl::Shutdown));
    });
    // The question, as the real box showed it (the console window asks through the face itself).
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 2u);
    EXPECT_TRUE(m_Windows.MessageBoxes()[0].m_Answered);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, StringTable::Find(STR_CONFIRM_EXIT).value_or("missing"));
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Buttons, MessageBoxButtons::YesNo);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Icon, MessageBoxIcon::Question);
    EXPECT_TRUE(m_Windows.MessageBoxes()[1].m_Answered);
    EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Result, MessageBoxResult::Yes);
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

TEST_F(Win32ConsoleTest, PlayersFromAGameThreadShowInTheRealListAndBootWorks) {
    Run([&](ConsoleWindow& window, ScriptedDialog& dialog) {
        // The game's state update arrives on another thread, as it does from the worker.
        std::thread([&] {
            window.Session().OnGameText("[GMSG:0][PLRS:2][PLRN1:Ace][PLRF1:3][PLRI1:11][PLRN2:Bob][PLRF2:1][PLRI2:12]");
        }).join();
        ASSERT_TRUE(dialog.RunPostedUntil([&] { return dialog.ListCount(ConsoleControl::PlayerList) == 2; },
                                          std::chrono::seconds(5)));
        EXPECT_EQ(dialog.Text(ConsoleControl::PlayerCount), "2");
        EXPECT_EQ(dialog.ListText(ConsoleControl::PlayerList, 0), "(0)\tAce\t3");
        EXPECT_FALSE(dialog.IsEnabled(ConsoleControl::Boot));
        ASSERT_TRUE(dialog.Select(ConsoleControl::PlayerList, 1)); // Bob, through LBN_SELCHANGE
        EXPECT_TRUE(dialog.IsEnabled(ConsoleControl::Boot));
        EXPECT_TRUE(dialog.Click(ConsoleControl::Boot));
        EXPECT_EQ(m_Engine.m_Disconnected, std::vector<uint32_t>{12});
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
    EXPECT_TRUE(m_Windows.Dialogs().front().m_Finished);
}

TEST_F(Win32ConsoleTest, OptionsButtonOpensTheRealOptionsDialog) {
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& options) {
        EXPECT_TRUE(options.IsChecked(OptionsControl::TractorBeam));
        EXPECT_EQ(options.Text(OptionsControl::RunSpeed), "1.000000");
        EXPECT_TRUE(options.SetChecked(OptionsControl::TractorBeam, false));
        EXPECT_TRUE(options.SetText(OptionsControl::RunSpeed, "2.5"));
        EXPECT_TRUE(options.Click(OptionsControl::Ok));
    });
    Run([&](ConsoleWindow&, ScriptedDialog& dialog) {
        m_Engine.m_Commands.clear();
        EXPECT_TRUE(dialog.Click(ConsoleControl::Options));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    });
    EXPECT_EQ(m_Options.m_TractorBeam, 0);
    EXPECT_FLOAT_EQ(m_Options.m_RunSpeed, 2.5f);
    ASSERT_FALSE(m_Engine.m_Commands.empty());
    EXPECT_EQ(m_Engine.m_Commands.front(), "TractorBeam 0");
    ASSERT_EQ(m_Windows.Dialogs().size(), 2u);
    EXPECT_EQ(m_Windows.Dialogs()[1].m_Key, SERVER_OPTIONS_NAME);
}

// A procedure that ends itself from another thread's posted work, or from a window timer.
class SelfEndingProcedure final : public DialogProcedure {
public:
    explicit SelfEndingProcedure(bool fromTimer) : m_FromTimer(fromTimer) {}
    ~SelfEndingProcedure() override {
        if (m_Thread.joinable()) {
            m_Thread.join();
        }
    }
    void OnShow(DialogApi& dialog) override {
        if (m_FromTimer) {
            EXPECT_TRUE(dialog.SetTimer(5, 20));
            return;
        }
        m_Thread = std::thread(
            [poster = dialog.Poster()] { EXPECT_TRUE(poster.Post([](DialogApi& api) { api.EndDialog(7); })); });
    }
    void OnTimer(DialogApi& dialog, int timerId) override {
        if (timerId == 5) {
            dialog.EndDialog(9);
        }
    }

private:
    bool m_FromTimer;
    std::thread m_Thread;
};

TEST(Win32WindowSystem, WorkPostedFromAnotherThreadWakesTheModalLoop) {
    Win32WindowSystem windows;
    SelfEndingProcedure procedure(false);
    EXPECT_EQ(windows.RunDialog(ConsoleWindowTemplate(), procedure), 7);
}

TEST(Win32WindowSystem, AWindowTimerFiresInsideTheModalLoop) {
    Win32WindowSystem windows;
    SelfEndingProcedure procedure(true);
    EXPECT_EQ(windows.RunDialog(ServerOptionsTemplate(), procedure), 9);
}

TEST(Win32WindowSystem, ShiftIsUpAndTheWaitCursorNests) {
    Win32WindowSystem windows;
    EXPECT_FALSE(windows.IsShiftHeld());
    EXPECT_TRUE(windows.CanShowDialogs());
    windows.SetWaitCursor(true);
    windows.SetWaitCursor(true);
    windows.SetWaitCursor(false);
    EXPECT_TRUE(windows.IsBusy());
    windows.SetWaitCursor(false);
    EXPECT_FALSE(windows.IsBusy());
}

} // namespace
} // namespace dravo
