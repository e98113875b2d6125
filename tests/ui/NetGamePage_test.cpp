// The game settings page: what it shows from the settings and what Next writes back.
#include "ui/pages/NetGamePage.h"

#include "res/NetGameTemplate.h"
#include "res/WizardFrame.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"

#include <gtest/gtest.h>

#include <cstring>

namespace dravo {
namespace {

using Control = NetGameControl;

class NetGamePageTest : public ::testing::Test {
protected:
    test::ScriptedWindows m_Windows;
    ServerSettings m_Settings;
    HostInfo m_Host{};
    GameInfo m_Info{};
    bool m_TcpIp = true;

    int Run(ScriptedWindowSystem::Script script) {
        m_Windows.AddScript(NET_GAME_NAME, std::move(script));
        NetGamePage page(m_Settings, m_Host, m_Info, m_TcpIp);
        return m_Windows.RunDialog(NetGameTemplate(), page);
    }
    struct Outcome {
        std::string m_Shown; // the field after the first Next, when that Next stayed on the page
        int32_t m_Stored = 0;
    };
    // Types the player limit and presses Next, and Next again when the page stays.
    Outcome PlayersFor(const std::string& typed) {
        Outcome outcome;
        EXPECT_EQ(Run([&](ScriptedDialog& page) {
                      page.SetText(Control::MaxPlayers, typed);
                      page.Click(WizardControl::Next);
                      if (!page.Ended()) {
                          outcome.m_Shown = page.Text(Control::MaxPlayers);
                          EXPECT_EQ(FocusedId(page), static_cast<int>(Control::MaxPlayers));
                          page.Click(WizardControl::Next);
                      }
                  }),
                  1);
        EXPECT_EQ(m_Host.m_MaxPlayers, m_Settings.m_MaxPlayers);
        outcome.m_Stored = m_Settings.m_MaxPlayers;
        return outcome;
    }
    static int FocusedId(const ScriptedDialog& page) {
        const int index = page.Model().FocusRequest();
        return index < 0 ? NO_CONTROL_ID : page.Model().Controls()[static_cast<size_t>(index)].Id();
    }
};

TEST_F(NetGamePageTest, ShowsTheSettingsAndTheStartValues) {
    m_Settings.m_EndType = END_AFTER_FRAGS_OR_TIME;
    m_Settings.m_Port = 27910;
    Run([](ScriptedDialog& page) {
        EXPECT_EQ(page.Text(Control::ServerName), "Dravo Server");
        EXPECT_EQ(page.Text(Control::MaxPlayers), "16");
        EXPECT_EQ(page.Text(Control::Frags), "25");
        EXPECT_EQ(page.Text(Control::Minutes), "10");
        EXPECT_EQ(page.Text(Control::Port), "27910");
        EXPECT_TRUE(page.IsChecked(Control::EndAfterFrags));
        EXPECT_TRUE(page.IsChecked(Control::EndAfterTime));
        EXPECT_TRUE(page.IsVisible(Control::Port));
        EXPECT_TRUE(page.IsVisible(Control::PortQuestion));
        EXPECT_EQ(page.Model().Icon(), 128);
    });
}

TEST_F(NetGamePageTest, NextWritesTheRecordsAndTheSettings) {
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  page.SetText(Control::ServerName, "Night Owls");
                  page.SetChecked(Control::EndAfterFrags, false);
                  page.SetChecked(Control::EndAfterTime, true);
                  page.SetText(Control::Minutes, "15");
                  page.SetText(Control::Frags, "0");
                  page.SetText(Control::Port, "0");
                  page.Click(WizardControl::Next);
              }),
              1);
    EXPECT_STREQ(m_Host.m_ServerName, "Night Owls");
    EXPECT_STREQ(m_Settings.m_ServerName, "Night Owls");
    EXPECT_EQ(m_Info.m_GameType, 1);
    EXPECT_EQ(m_Info.m_EndType, END_AFTER_TIME);
    EXPECT_EQ(m_Settings.m_EndType, END_AFTER_TIME);
    EXPECT_EQ(m_Info.m_EndTime, 15);
    EXPECT_EQ(m_Info.m_EndFrags, 0); // stored even though its box is not checked
    EXPECT_EQ(m_Settings.m_Port, 0);
}

TEST_F(NetGamePageTest, EndBoxesAreIndependent) {
    const std::pair<std::pair<bool, bool>, int> cases[] = {
        {{true, false}, END_AFTER_FRAGS},
        {{false, true}, END_AFTER_TIME},
        {{true, true}, END_AFTER_FRAGS_OR_TIME},
        {{false, false}, END_NEVER},
    };
    for (const auto& [boxes, endType] : cases) {
        Run([boxes](ScriptedDialog& page) {
            page.SetChecked(Control::EndAfterFrags, boxes.first);
            page.SetChecked(Control::EndAfterTime, boxes.second);
            page.Click(WizardControl::Next);
        });
        EXPECT_EQ(m_Settings.m_EndType, endType);
        EXPECT_EQ(m_Info.m_EndType, endType);
    }
    // Reopening after "never" shows both unchecked.
    Run([](ScriptedDialog& page) {
        EXPECT_FALSE(page.IsChecked(Control::EndAfterFrags));
        EXPECT_FALSE(page.IsChecked(Control::EndAfterTime));
    });
}

TEST_F(NetGamePageTest, PlayerLimitOutOfRangeIsShownCorrectedBeforeNextTakesIt) {
    const std::pair<std::string, Outcome> cases[] = {
        {"0", {"2", 2}},
        {"", {"2", 2}},
        {"1", {"", 1}},
        {"127", {"", 127}},
        {"128", {"", 128}},
        {"200", {"128", 128}},
        {"99999999999", {"128", 128}}, // far too many is too many, not none
    };
    for (const auto& [typed, expected] : cases) {
        const Outcome outcome = PlayersFor(typed);
        EXPECT_EQ(outcome.m_Shown, expected.m_Shown) << typed;
        EXPECT_EQ(outcome.m_Stored, expected.m_Stored) << typed;
    }
}

TEST_F(NetGamePageTest, PortOutsideTheRangeIsRefusedWithTheRangeNamedAndKeepsTheFocus) {
    for (const std::string typed : {"65536", "70000", "99999999999"}) {
        m_Settings.m_Port = 27888;
        std::strcpy(m_Settings.m_ServerName, "Dravo Server");
        EXPECT_EQ(Run([this, &typed](ScriptedDialog& page) {
                      page.SetText(Control::ServerName, "Changed");
                      page.SetText(Control::MaxPlayers, "500");
                      page.SetText(Control::Port, typed);
                      page.Click(WizardControl::Next);
                      EXPECT_FALSE(page.Ended()) << typed;
                      EXPECT_EQ(FocusedId(page), static_cast<int>(Control::Port)) << "the first problem's field";
                      EXPECT_EQ(page.Text(Control::Port), typed) << "the operator's text stays to be fixed";
                      EXPECT_EQ(page.Text(Control::MaxPlayers), "128") << "shown as it will be taken";
                      EXPECT_EQ(m_Settings.m_Port, 27888) << "nothing is stored from a refused page";
                      EXPECT_STREQ(m_Settings.m_ServerName, "Dravo Server");
                      page.SetText(Control::Port, "65535");
                      page.Click(WizardControl::Next);
                  }),
                  1);
        EXPECT_EQ(m_Settings.m_Port, 65535);
        EXPECT_EQ(m_Settings.m_MaxPlayers, 128);
    }
    // Every problem of a Next is named in its one box: the port and the player limit together.
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 3u);
    for (const auto& box : m_Windows.MessageBoxes()) {
        EXPECT_EQ(box.m_Text, std::string(PORT_RANGE_TEXT) + "\n\n" + std::string(PLAYERS_RANGE_TEXT));
        EXPECT_EQ(box.m_Caption, "Dravo Server Wizard");
    }
}

TEST_F(NetGamePageTest, EveryProblemIsNamedOnNextAndTheFirstFieldTakesTheFocus) {
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  page.SetText(Control::ServerName, "");
                  page.SetText(Control::MaxPlayers, "0");
                  page.Click(WizardControl::Next);
                  EXPECT_FALSE(page.Ended());
                  EXPECT_EQ(FocusedId(page), static_cast<int>(Control::MaxPlayers));
                  page.SetText(Control::ServerName, "Named");
                  page.Click(WizardControl::Next);
              }),
              1);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text,
              std::string(PLAYERS_RANGE_TEXT) + "\n\n" + std::string(SERVER_NAME_TEXT));
}

TEST_F(NetGamePageTest, AnEmptyServerNameIsRefusedAndALongOneCut) {
    std::strcpy(m_Settings.m_ServerName, "Night Owls");
    Run([this](ScriptedDialog& page) {
        page.SetText(Control::ServerName, "");
        page.Click(WizardControl::Next);
        EXPECT_FALSE(page.Ended());
        EXPECT_EQ(FocusedId(page), static_cast<int>(Control::ServerName));
        EXPECT_STREQ(m_Settings.m_ServerName, "Night Owls") << "nothing stored from a refused page";
        page.SetText(Control::ServerName, "Early Birds");
        page.Click(WizardControl::Next);
    });
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, SERVER_NAME_TEXT);
    EXPECT_STREQ(m_Host.m_ServerName, "Early Birds");
    EXPECT_STREQ(m_Settings.m_ServerName, "Early Birds");

    Run([](ScriptedDialog& page) {
        page.SetText(Control::ServerName, std::string(300, 'n'));
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(std::strlen(m_Host.m_ServerName), 119u);
    EXPECT_EQ(std::strlen(m_Settings.m_ServerName), 119u);
}

TEST_F(NetGamePageTest, PortIsHiddenAndKeptForOtherServices) {
    m_TcpIp = false;
    m_Settings.m_Port = 27999;
    Run([](ScriptedDialog& page) {
        EXPECT_FALSE(page.IsVisible(Control::Port));
        EXPECT_FALSE(page.IsVisible(Control::PortQuestion));
        EXPECT_FALSE(page.SetText(Control::Port, "1")); // the operator cannot reach it
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(m_Settings.m_Port, 27999);
}

TEST_F(NetGamePageTest, BackAndCancelStoreNothing) {
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  page.SetText(Control::ServerName, "Changed");
                  page.Click(WizardControl::Back);
              }),
              3);
    // Esc asks first; No, the default, keeps the page, and Yes cancels it.
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  page.SetText(Control::ServerName, "Changed");
                  page.PressEscape();
                  EXPECT_EQ(page.Text(Control::ServerName), "Changed");
                  page.Click(WizardControl::Back);
              }),
              3);
    m_Windows.QueueAnswer(MessageBoxResult::Yes);
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  page.SetText(Control::ServerName, "Changed");
                  page.PressEscape();
              }),
              2);
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 2u);
    for (const auto& box : m_Windows.MessageBoxes()) {
        EXPECT_EQ(box.m_Text, DISCARD_SETUP_QUESTION);
        EXPECT_EQ(box.m_Default, MessageBoxDefault::Second);
    }
    EXPECT_STREQ(m_Settings.m_ServerName, "Dravo Server");
    EXPECT_EQ(m_Host.m_ServerName[0], '\0');
}

TEST(ReadUnsigned, ReadsLeadingDigitsOnly) {
    EXPECT_EQ(ReadUnsigned("  42"), 42u);
    EXPECT_EQ(ReadUnsigned("12abc"), 12u);
    EXPECT_EQ(ReadUnsigned("abc"), 0u);
    EXPECT_EQ(ReadUnsigned("-5"), 0u);
    EXPECT_EQ(ReadUnsigned("4294967295"), 4294967295u);
    EXPECT_EQ(ReadUnsigned("4294967296"), 0u);
}

} // namespace
} // namespace dravo
