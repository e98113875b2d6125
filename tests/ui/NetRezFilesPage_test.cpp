// The rez file page and the search of "Custom": what is offered, how entries are shown and stored.
#include "ui/pages/NetRezFilesPage.h"

#include "res/NetRezFilesTemplate.h"
#include "res/WizardFrame.h"
#include "support/FakeEngine.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "ui/pages/CustomRezFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace dravo {
namespace {

using Control = NetRezFilesControl;

class NetRezFilesPageTest : public ::testing::Test {
protected:
    test::TempDir m_Game;
    test::FakeEngine m_Engine;
    test::ScriptedWindows m_Windows;
    TextList m_List;

    void SetUp() override {
        for (const char* name : {"maps.rez", "Bonus.REZ", "notes.txt"}) {
            m_Game.Write(std::filesystem::path("Custom") / name, "x");
        }
    }
    int Run(ScriptedWindowSystem::Script script) {
        m_Windows.AddScript(NET_REZFILES_NAME, std::move(script));
        NetRezFilesPage page(m_Engine, m_List, m_Game.Path());
        return m_Windows.RunDialog(NetRezFilesTemplate(), page);
    }
    static std::vector<std::string> Items(const ScriptedDialog& page, Control list) {
        std::vector<std::string> items;
        for (int index = 0; index < page.ListCount(list); ++index) {
            items.push_back(page.ListText(list, index).value_or(""));
        }
        return items;
    }
};

TEST(CustomRezFiles, FindsRezFilesInAnyCaseWithoutChangingDirectory) {
    test::TempDir game;
    game.Write("Custom/a.rez", "x");
    game.Write("Custom/B.Rez", "x");
    game.Write("Custom/c.rez.txt", "x");
    game.Write("Custom/.rez", "x");
    game.Write("Custom/" + std::string(118, 'l') + ".rez", "x"); // "Custom\" and this: 129 characters
    game.Write("top.rez", "x");
    const auto before = std::filesystem::current_path();
    std::vector<std::string> found = FindCustomRezFiles(game.Path());
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (std::vector<std::string>{"B.Rez", "a.rez"}));
    EXPECT_EQ(std::filesystem::current_path(), before);
    EXPECT_TRUE(FindCustomRezFiles(game.Path() / "missing").empty());
}

TEST(CustomRezFiles, EntriesKeepOrGainTheCustomPrefix) {
    EXPECT_EQ(RezEntryShownName("Custom\\maps.rez"), "maps.rez");
    EXPECT_EQ(RezEntryShownName("CUSTOM\\maps.rez"), "maps.rez");
    EXPECT_EQ(RezEntryShownName("Mods\\maps.rez"), "Mods\\maps.rez");
    EXPECT_EQ(RezEntryFromShownName("maps.rez"), "Custom\\maps.rez");
    EXPECT_EQ(RezEntryFromShownName("Mods\\maps.rez"), "Mods\\maps.rez");
}

TEST_F(NetRezFilesPageTest, ListsTheArchivesAndTheStoredEntries) {
    m_Game.Write(std::filesystem::path("Mods") / "extra.rez", "x");
    m_List = {"custom\\maps.rez", "Mods\\extra.rez", "Custom\\gone.rez"};
    Run([this](ScriptedDialog& page) {
        EXPECT_EQ(Items(page, Control::Available), (std::vector<std::string>{"Bonus.REZ", "maps.rez"}));
        EXPECT_EQ(Items(page, Control::ToLoad), (std::vector<std::string>{"maps.rez", "Mods\\extra.rez", "gone.rez"}));
        // An entry that names no file is said on leaving, and the operator stays to take it off.
        EXPECT_TRUE(page.Click(WizardControl::Next));
        EXPECT_FALSE(page.Ended());
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        const std::string& said = m_Windows.MessageBoxes()[0].m_Text;
        EXPECT_EQ(said.substr(0, 39), "ERROR - Unable to load Dravo resources.");
        EXPECT_NE(said.find("Custom\\gone.rez"), std::string::npos) << said;
        EXPECT_EQ(said.find("maps.rez"), std::string::npos) << said;
        EXPECT_EQ(said.find("extra.rez"), std::string::npos) << "an archive outside Custom that is there\n" << said;
        EXPECT_EQ(page.Selection(Control::ToLoad), 2);
        EXPECT_TRUE(page.Click(Control::Remove));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    EXPECT_EQ(m_List, (TextList{"Custom\\maps.rez", "Mods\\extra.rez"}));
    EXPECT_EQ(m_Engine.m_Variables["NumRezFiles"], "2");
    EXPECT_EQ(m_Engine.m_Variables["RezFile0"], "Custom\\maps.rez");
    EXPECT_EQ(m_Engine.m_Variables["RezFile1"], "Mods\\extra.rez");
}

TEST(CustomRezFiles, MissingEntriesAreThoseThatNameNothingBelowTheGame) {
    test::TempDir game;
    game.Write("Custom/here.rez", "x");
    game.Write("Custom/unpacked.rez/world.dat", "x");
    const TextList missing = MissingRezFiles(
        game.Path(), {"Custom\\HERE.rez", "Custom\\unpacked.rez", "Custom\\gone.rez", "C:\\elsewhere.rez", "nope.rez"});
    EXPECT_EQ(missing, (TextList{"Custom\\gone.rez", "nope.rez"}));
    const std::string text = MissingRezFilesMessage(missing);
    EXPECT_EQ(
        text,
        "ERROR - Unable to load Dravo resources.\n\nNo such rez file: Custom\\gone.rez\nNo such rez file: nope.rez");
}

TEST_F(NetRezFilesPageTest, AddingTwiceKeepsOneItemButCaseCounts) {
    m_List = {"Custom\\bonus.rez"};
    Run([](ScriptedDialog& page) {
        EXPECT_TRUE(page.DoubleClick(Control::Available, 1)); // maps.rez
        EXPECT_FALSE(page.IsEnabled(Control::Add));           // already in the list
        EXPECT_FALSE(page.Click(Control::Add));
        page.Api().SendCommand(Control::Add);                 // even a command that gets through adds nothing
        EXPECT_TRUE(page.DoubleClick(Control::Available, 0)); // Bonus.REZ differs from bonus.rez
        EXPECT_EQ(Items(page, Control::ToLoad), (std::vector<std::string>{"bonus.rez", "maps.rez", "Bonus.REZ"}));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    EXPECT_EQ(m_List, (TextList{"Custom\\bonus.rez", "Custom\\maps.rez", "Custom\\Bonus.REZ"}));
}

TEST_F(NetRezFilesPageTest, RemovingMovesTheSelectionAndEmptyStoresZero) {
    m_List = {"Custom\\a.rez", "Custom\\b.rez"};
    Run([](ScriptedDialog& page) {
        EXPECT_TRUE(page.Select(Control::ToLoad, 1));
        EXPECT_TRUE(page.Click(Control::Remove));
        EXPECT_EQ(page.Selection(Control::ToLoad), 0); // the new last item
        EXPECT_TRUE(page.DoubleClick(Control::ToLoad, 0));
        EXPECT_EQ(page.ListCount(Control::ToLoad), 0);
        EXPECT_EQ(page.Selection(Control::ToLoad), NO_SELECTION);
        EXPECT_FALSE(page.IsEnabled(Control::Remove));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    EXPECT_TRUE(m_List.empty());
    EXPECT_EQ(m_Engine.m_Variables["NumRezFiles"], "0");
}

TEST_F(NetRezFilesPageTest, BackAndCancelStoreNothing) {
    m_List = {"Custom\\maps.rez"};
    for (const bool back : {true, false}) {
        if (!back) {
            m_Windows.QueueAnswer(MessageBoxResult::Yes); // to the question that Cancel asks
        }
        EXPECT_EQ(Run([back](ScriptedDialog& page) {
                      page.DoubleClick(Control::ToLoad, 0);
                      page.Click(back ? WizardControl::Back : WizardControl::Cancel);
                  }),
                  back ? 3 : 2);
    }
    EXPECT_EQ(m_List, TextList{"Custom\\maps.rez"});
    EXPECT_TRUE(m_Engine.m_Commands.empty());
}

TEST_F(NetRezFilesPageTest, WithoutArchivesThePageEndsAtOnceStoringNothing) {
    std::filesystem::remove_all(m_Game.Path() / "Custom");
    m_List = {"Custom\\maps.rez"};
    EXPECT_EQ(Run([](ScriptedDialog&) { ADD_FAILURE() << "the page should have ended"; }), 1);
    EXPECT_EQ(m_List, TextList{"Custom\\maps.rez"});
    EXPECT_TRUE(m_Engine.m_Commands.empty());
}

} // namespace
} // namespace dravo
