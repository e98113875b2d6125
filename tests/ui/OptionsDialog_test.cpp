// The game options procedure on the wizard page and in SERVER_OPTIONS, OpenOptionsDialog, and the
// console window's Options button.
#include "ui/OptionsDialog.h"

#include "res/ConsoleWindowTemplate.h"
#include "res/NetOptionsTemplate.h"
#include "res/ServerOptionsTemplate.h"
#include "res/WizardFrame.h"
#include "settings/GameOptionCommands.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/HostedConsole.h"
#include "support/ManualSteps.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "ui/ConsoleWindow.h"
#include "ui/pages/GameOptionsPage.h"
#include "window/headless/HeadlessWindowSystem.h"

#include <gtest/gtest.h>

#include <cstring>
#include <iterator>
#include <sstream>
#include <utility>

namespace dravo {
namespace {

using Control = OptionsControl;

class OptionsPageTest : public ::testing::Test {
protected:
    test::ScriptedWindows m_Windows;
    GameOptions m_Options{};

    void SetUp() override { SetGameOptionsStartValues(m_Options); }
    int RunPage(ScriptedWindowSystem::Script script) {
        m_Windows.AddScript(NET_OPTIONS_NAME, std::move(script));
        GameOptionsPage page(m_Options, true);
        return m_Windows.RunDialog(NetOptionsTemplate(), page);
    }
};

TEST_F(OptionsPageTest, ShowsTheStartValues) {
    RunPage([](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsChecked(Control::TractorBeam));
        EXPECT_TRUE(page.IsChecked(Control::DoubleJump));
        EXPECT_TRUE(page.IsChecked(Control::RammingDamage));
        for (const Control field :
             {Control::RunSpeed, Control::MissileSpeed, Control::RespawnScale, Control::HealScale}) {
            EXPECT_EQ(page.Text(field), "1.000000");
        }
        EXPECT_EQ(page.Text(Control::TimeSpeed), "-1.000000");
        EXPECT_EQ(page.Text(Control::NightColor), "0.5 0.5 0.5");
    });
}

TEST_F(OptionsPageTest, NextReadsEveryFieldBack) {
    EXPECT_EQ(RunPage([](ScriptedDialog& page) {
                  page.SetChecked(Control::DoubleJump, false);
                  page.SetText(Control::RunSpeed, "  2.5 ");
                  page.SetText(Control::MissileSpeed, "+3");
                  page.SetText(Control::RespawnScale, "1e1");
                  page.SetText(Control::HealScale, "0");
                  page.SetText(Control::TimeSpeed, "0.25");
                  page.SetText(Control::NightColor, " 0.1 0.2  1 ");
                  page.Click(WizardControl::Next);
              }),
              1);
    EXPECT_EQ(m_Options.m_TractorBeam, 1);
    EXPECT_EQ(m_Options.m_DoubleJump, 0);
    EXPECT_EQ(m_Options.m_RunSpeed, 2.5f);
    EXPECT_EQ(m_Options.m_MissileSpeed, 3.0f);
    EXPECT_EQ(m_Options.m_RespawnScale, 10.0f);
    EXPECT_EQ(m_Options.m_HealScale, 0.0f); // 0 is taken as typed
    EXPECT_EQ(m_Options.m_WorldTimeSpeed, 0.25f);
    EXPECT_EQ(std::string(m_Options.m_WorldColorNight), std::string(" 0.1 0.2  1 "));
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
}

TEST_F(OptionsPageTest, WhatTheGameCannotTakeIsRefusedWithWhatItTakesAndTheFocusStays) {
    const std::pair<Control, std::string> refused[] = {
        {Control::RunSpeed, "2.5x"},
        {Control::MissileSpeed, "fast"},
        {Control::HealScale, ""},
        {Control::TimeSpeed, "slow"},
        {Control::NightColor, "999 1 abc"},
        {Control::NightColor, "0.5 0.5"},
        {Control::NightColor, "0.1 0.2 0.3 and a tail"},
        {Control::NightColor, "-0.1 0 0"},
    };
    for (const auto& [field, typed] : refused) {
        const GameOptions before = m_Options;
        EXPECT_EQ(RunPage([&, field = field, typed = typed](ScriptedDialog& page) {
                      page.SetText(field, typed);
                      page.Click(WizardControl::Next);
                      EXPECT_FALSE(page.Ended()) << typed;
                      const int focus = page.Model().FocusRequest();
                      ASSERT_GE(focus, 0) << typed;
                      EXPECT_EQ(page.Model().Controls()[static_cast<size_t>(focus)].Id(), static_cast<int>(field));
                      EXPECT_EQ(m_Options.m_RunSpeed, before.m_RunSpeed);
                      EXPECT_STREQ(m_Options.m_WorldColorNight, before.m_WorldColorNight) << "nothing stored";
                      page.Click(WizardControl::Back);
                  }),
                  3);
        ASSERT_FALSE(m_Windows.MessageBoxes().empty());
        const std::string& said = m_Windows.MessageBoxes().back().m_Text;
        EXPECT_NE(said.find(field == Control::NightColor ? "from 0 to 1" : "must be a number"), std::string::npos)
            << typed << ": " << said;
    }
    EXPECT_EQ(m_Windows.MessageBoxes().size(), std::size(refused));
}

TEST_F(OptionsPageTest, EveryRefusedFieldIsNamedInOneBoxAndTheFirstTakesTheFocus) {
    EXPECT_EQ(RunPage([](ScriptedDialog& page) {
                  page.SetText(Control::MissileSpeed, "fast");
                  page.SetText(Control::NightColor, "0.5 0.5");
                  page.Click(WizardControl::Next);
                  EXPECT_FALSE(page.Ended());
                  const int focus = page.Model().FocusRequest();
                  ASSERT_GE(focus, 0);
                  EXPECT_EQ(page.Model().Controls()[static_cast<size_t>(focus)].Id(),
                            static_cast<int>(Control::MissileSpeed));
                  page.Click(WizardControl::Back);
              }),
              3);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    const std::string& said = m_Windows.MessageBoxes()[0].m_Text;
    const size_t missile = said.find("must be a number");
    const size_t colour = said.find("from 0 to 1");
    ASSERT_NE(missile, std::string::npos) << said;
    ASSERT_NE(colour, std::string::npos) << said;
    EXPECT_LT(missile, colour) << "in the order of the page";
}

TEST_F(OptionsPageTest, TimeSpeedOfZeroOrTextKeepsTheOldValue) {
    for (const char* typed : {"0", "", "  ", "0.0"}) {
        RunPage([typed](ScriptedDialog& page) {
            page.SetText(Control::TimeSpeed, typed);
            page.Click(WizardControl::Next);
        });
        EXPECT_EQ(m_Options.m_WorldTimeSpeed, -1.0f) << typed;
    }
}

TEST_F(OptionsPageTest, NumbersBeyondTheFieldAreHeldAtItsLimit) {
    RunPage([](ScriptedDialog& page) {
        page.SetText(Control::RunSpeed, "1e300");
        page.SetText(Control::MissileSpeed, "-1e300");
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(m_Options.m_RunSpeed, std::numeric_limits<float>::max());
    EXPECT_EQ(m_Options.m_MissileSpeed, -std::numeric_limits<float>::max());
}

TEST_F(OptionsPageTest, ColourPickerWritesAtOnceAndStartsAtTheCurrentColour) {
    m_Windows.QueueColor(ColorRgb{255, 0, 0});
    m_Windows.QueueColor(std::nullopt);
    m_Windows.QueueColor(ColorRgb{128, 255, 0});
    EXPECT_EQ(RunPage([this](ScriptedDialog& page) {
                  page.Click(Control::NightColorPicker);
                  EXPECT_EQ(page.Text(Control::NightColor), "1.00 0.00 0.00");
                  EXPECT_STREQ(m_Options.m_WorldColorNight, "1.00 0.00 0.00"); // before any Next
                  page.Click(Control::NightColorPicker);                       // cancelled: nothing changes
                  EXPECT_STREQ(m_Options.m_WorldColorNight, "1.00 0.00 0.00");
                  page.Click(Control::NightColorPicker);
                  page.Click(WizardControl::Back);
              }),
              3);
    EXPECT_STREQ(m_Options.m_WorldColorNight, "0.50 1.00 0.00"); // kept though the page went back
    EXPECT_EQ(m_Windows.ColorPickerShows(), 3);
    const ColorRgb start = m_Windows.LastColorPickerStart(); // the third opening, at the first pick
    EXPECT_EQ(start.m_Red, 255);
    EXPECT_EQ(start.m_Green + start.m_Blue, 0);
    EXPECT_EQ(NightColorOf("0.5 1 0").value_or(ColorRgb{}).m_Red, 128);
    EXPECT_FALSE(NightColorOf("1 1 1 1"));
    EXPECT_FALSE(NightColorOf(""));
    EXPECT_EQ(NightColorText(ColorRgb{255, 255, 255}), "1.00 1.00 1.00");
    EXPECT_EQ(NightColorText(ColorRgb{0, 0, 0}), "0.00 0.00 0.00");
}

TEST_F(OptionsPageTest, EachHelpButtonShowsItsTextAndCaption) {
    const std::pair<Control, std::pair<const char*, const char*>> helps[] = {
        {Control::RunSpeedHelp,
         {"Server Option: Run Speed", "Multiplies the player's run speed.\n\nDefault value is 1.0."}},
        {Control::MissileSpeedHelp,
         {"Server Option: Missile Speed", "Multiplies the TOW missile speed.\n\nDefault value is 1.0."}},
        {Control::TimeSpeedHelp,
         {"Server Option: World Time Speed", "Multiplies the time speed of the world.\n\nDefault value is -1, "
                                             "which keeps each level's own time speed."}},
        {Control::NightColorHelp,
         {"Server Option: World Night Color",
          "Specifies the color of the night sky in red, green, and blue float value components (from 0.0 to 1.0).  "
          "You can click the \"Night Color\" button to bring up a color picker dialog.\n\nDefault value is \"0.5 "
          "0.5 0.5\"."}},
        {Control::RespawnScaleHelp,
         {"Server Option: Respawn Scale", "Multiplies the respawn rate of items.\n\nDefault value is 1.0."}},
        {Control::HealScaleHelp,
         {"Server Option: Heal Scale",
          "Scales how much health the health powerups give players.\n\nDefault value is 1.0."}},
    };
    RunPage([&](ScriptedDialog& page) {
        for (const auto& [button, help] : helps) {
            EXPECT_TRUE(page.Click(button));
            EXPECT_FALSE(page.Ended());
            ASSERT_FALSE(m_Windows.MessageBoxes().empty());
            EXPECT_EQ(m_Windows.MessageBoxes().back().m_Caption, help.first);
            EXPECT_EQ(m_Windows.MessageBoxes().back().m_Text, help.second);
            EXPECT_EQ(m_Windows.MessageBoxes().back().m_Icon, MessageBoxIcon::Information);
        }
    });
    EXPECT_EQ(m_Windows.MessageBoxes().size(), 6u);
}

class OpenOptionsDialogTest : public OptionsPageTest {
protected:
    test::FakeEngine m_Engine;
};

TEST_F(OpenOptionsDialogTest, OkSendsTheCommandsThenStoresTheNineKeysInOrder) {
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Title(), "Dravo Server Options");
        dialog.SetChecked(Control::RammingDamage, false);
        dialog.SetText(Control::RunSpeed, "0");
        dialog.SetText(Control::TimeSpeed, "2");
        dialog.PressEnter();
    });
    EXPECT_TRUE(OpenOptionsDialog(m_Windows, &m_Engine, &m_Options));
    const std::vector<std::string> expected = {
        "TractorBeam 1",
        "DoubleJump 1",
        "RammingDamage 0",
        "MissileSpeed 1.000000",
        "RespawnScale 1.000000",
        "HealScale 1.000000",
        "WorldTimeSpeed 2.000000",
        "WorldColorNight \"0.5 0.5 0.5\"",
        "\"+TractorBeam\" \"1\"",
        "\"+DoubleJump\" \"1\"",
        "\"+RammingDamage\" \"0\"",
        "\"+WorldNightColor\" \"0.5 0.5 0.5\"",
        "\"+RunSpeed\" \"0.000000\"",
        "\"+MissileSpeed\" \"1.000000\"",
        "\"+TimeSpeed\" \"2.000000\"",
        "\"+RespawnScale\" \"1.000000\"",
        "\"+HealScale\" \"1.000000\"",
    };
    EXPECT_EQ(m_Engine.m_Commands, expected);
}

// While hosting, a refused field is said under the options dialog's own title, not the wizard's.
TEST_F(OpenOptionsDialogTest, ARefusalIsCaptionedWithTheOptionsDialogsTitle) {
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& dialog) {
        dialog.SetText(Control::RunSpeed, "fast");
        dialog.PressEnter();
        EXPECT_FALSE(dialog.Ended());
        dialog.Click(Control::Cancel);
    });
    EXPECT_FALSE(OpenOptionsDialog(m_Windows, &m_Engine, &m_Options));
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "Dravo Server Options");
}

TEST_F(OpenOptionsDialogTest, CancelSendsAndStoresNothingButThePickedColourStays) {
    m_Windows.QueueColor(ColorRgb{0, 0, 255});
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& dialog) {
        dialog.Click(Control::NightColorPicker);
        dialog.SetText(Control::RunSpeed, "3");
        dialog.Click(Control::Cancel);
    });
    EXPECT_FALSE(OpenOptionsDialog(m_Windows, &m_Engine, &m_Options));
    EXPECT_TRUE(m_Engine.m_Commands.empty());
    EXPECT_STREQ(m_Options.m_WorldColorNight, "0.00 0.00 1.00");
    EXPECT_EQ(m_Options.m_RunSpeed, 1.0f);

    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.Text(Control::NightColor), "0.00 0.00 1.00"); // shown at the next opening
        dialog.Close();
    });
    EXPECT_FALSE(OpenOptionsDialog(m_Windows, &m_Engine, &m_Options));
}

TEST_F(OpenOptionsDialogTest, MissingServerOrRecordShowsNothing) {
    EXPECT_FALSE(OpenOptionsDialog(m_Windows, nullptr, &m_Options));
    EXPECT_FALSE(OpenOptionsDialog(m_Windows, &m_Engine, nullptr));
    EXPECT_TRUE(m_Windows.Dialogs().empty());
}

TEST_F(OpenOptionsDialogTest, HeadlessFaceExplainsInsteadOfShowingTheDialog) {
    std::ostringstream out;
    std::ostringstream err;
    HeadlessWindowSystem headless(HeadlessOptions{-1, &out, &err});
    EXPECT_FALSE(OpenOptionsDialog(headless, &m_Engine, &m_Options));
    EXPECT_EQ(err.str(), "DravoServ: " + std::string(OPTIONS_NEED_SCREEN_MESSAGE) + "\n");
    EXPECT_TRUE(m_Engine.m_Commands.empty());
}

TEST_F(OpenOptionsDialogTest, ConsoleWindowOptionsButtonOpensTheDialog) {
    test::TempDir directory;
    test::CurrentDirectory current(directory.Path());
    test::FakeClock clock;
    HostInfo host{};
    GameInfo game{};
    std::atomic<bool> emptyExit{false};
    test::ManualSteps steps(clock);
    test::HostedConsole window(m_Windows, clock, &m_Engine, SessionRecords{host, m_Options, game, emptyExit, 0},
                               &steps);
    m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& console) {
        console.RunPosted();
        m_Engine.m_Commands.clear();
        EXPECT_TRUE(console.Click(ConsoleControl::Options));
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        console.Click(ConsoleControl::Shutdown);
    });
    m_Windows.AddScript(SERVER_OPTIONS_NAME, [](ScriptedDialog& dialog) {
        dialog.SetChecked(Control::TractorBeam, false);
        dialog.Click(Control::Ok);
    });
    window.Run();
    EXPECT_EQ(m_Options.m_TractorBeam, 0);
    ASSERT_FALSE(m_Engine.m_Commands.empty());
    EXPECT_EQ(m_Engine.m_Commands.front(), "TractorBeam 0");
    EXPECT_EQ(m_Engine.m_Variables["TractorBeam"], "0");
}

} // namespace
} // namespace dravo
