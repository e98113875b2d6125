// The level list page over the real engine with the sample game's resources mounted.
#include "ui/pages/NetGameLevelsPage.h"

#include "ui/WizardTestGame.h"

#include <cstring>

namespace dravo {
namespace {

using Control = NetGameLevelsControl;
using Items = std::vector<std::string>;

class NetGameLevelsPageTest : public test::WizardTest {
protected:
    void Mount() {
        std::string error;
        ASSERT_EQ(m_Resources.MountResourceFiles(&Engine(), {"Custom\\arena.rez"}, error), MountOutcome::Mounted);
    }
    int Run(ScriptedWindowSystem::Script script) {
        m_Windows.AddScript(NET_GAMELEVELS_NAME, std::move(script));
        NetGameLevelsPage page(Engine(), m_Info, m_LevelList);
        return m_Windows.RunDialog(NetGameLevelsTemplate(), page);
    }
    static Items ListItems(const ScriptedDialog& page, Control list) {
        Items items;
        for (int index = 0; index < page.ListCount(list); ++index) {
            items.push_back(page.ListText(list, index).value_or(""));
        }
        return items;
    }
};

TEST_F(NetGameLevelsPageTest, FirstOpeningListsBothSourcesWithAnEmptyRotation) {
    Mount();
    Run([](ScriptedDialog& page) {
        EXPECT_EQ(ListItems(page, Control::RetailLevels),
                  (Items{"Cinderworks", "Frostline", "Ironmarsh", "Skyharbor"}));
        EXPECT_EQ(ListItems(page, Control::CustomLevels), (Items{"Glasshouse", "Rustbowl"}));
        EXPECT_EQ(page.Selection(Control::RetailLevels), 0);
        EXPECT_EQ(page.Selection(Control::CustomLevels), 0);
        EXPECT_TRUE(page.IsEnabled(Control::AddRetail));
        EXPECT_TRUE(page.IsEnabled(Control::AddCustom));
        EXPECT_FALSE(page.IsEnabled(Control::Remove));
        EXPECT_FALSE(page.IsEnabled(WizardControl::Next));
        EXPECT_EQ(page.Text(Control::FinishHint), "Add at least one level to finish.");
        EXPECT_FALSE(page.PressEnter()); // Finish cannot be pressed with an empty rotation
        EXPECT_FALSE(page.IsChecked(Control::SaveLevels));
    });
}

TEST_F(NetGameLevelsPageTest, LevelFilesAreMatchedByTheirEndingInAnyCase) {
    const std::filesystem::path multi = m_Game.Path() / "dravo" / "Worlds" / "Multi";
    std::filesystem::copy_file(multi / "Frostline.dat", multi / "Caps.DAT");
    std::filesystem::copy_file(multi / "Frostline.dat", multi / "Notes.txt");
    std::filesystem::copy_file(multi / "Frostline.dat", multi / (std::string(106, 'f') + ".dat"));
    std::filesystem::copy_file(multi / "Frostline.dat", multi / (std::string(107, 'g') + ".dat"));
    Mount();
    Run([](ScriptedDialog& page) {
        const Items retail = ListItems(page, Control::RetailLevels);
        EXPECT_NE(std::find(retail.begin(), retail.end(), "Caps"), retail.end());
        EXPECT_EQ(std::find(retail.begin(), retail.end(), "Notes.txt"), retail.end());
        // "Worlds\Multi\" and the name must fit a stored level path of 119 characters.
        EXPECT_NE(std::find(retail.begin(), retail.end(), std::string(106, 'f')), retail.end());
        EXPECT_EQ(std::find(retail.begin(), retail.end(), std::string(107, 'g')), retail.end());
    });
}

TEST_F(NetGameLevelsPageTest, AddRemoveAndDoubleClickBuildTheRotation) {
    Mount();
    EXPECT_EQ(Run([](ScriptedDialog& page) {
                  EXPECT_TRUE(page.DoubleClick(Control::RetailLevels, 1)); // Frostline
                  EXPECT_TRUE(page.DoubleClick(Control::CustomLevels, 1)); // Rustbowl
                  EXPECT_TRUE(page.Click(Control::AddRetail));             // Frostline again
                  EXPECT_TRUE(page.SelectText(Control::CustomLevels, "Glasshouse"));
                  EXPECT_TRUE(page.Click(Control::AddCustom));
                  EXPECT_EQ(ListItems(page, Control::GameLevels),
                            (Items{"Frostline", "Rustbowl", "Frostline", "Glasshouse"}));
                  EXPECT_TRUE(page.Select(Control::GameLevels, 3));
                  EXPECT_TRUE(page.Click(Control::Remove));
                  EXPECT_EQ(page.Selection(Control::GameLevels), 2); // the new last item
                  EXPECT_TRUE(page.DoubleClick(Control::GameLevels, 0));
                  EXPECT_EQ(ListItems(page, Control::GameLevels), (Items{"Rustbowl", "Frostline"}));
                  EXPECT_EQ(page.Selection(Control::GameLevels), 0);
                  EXPECT_TRUE(page.Click(WizardControl::Next));
              }),
              1);
    ASSERT_EQ(m_Info.m_LevelCount, 2);
    EXPECT_STREQ(m_Info.m_LevelNames[0], "Rustbowl");
    EXPECT_STREQ(m_Info.m_LevelNames[1], "Worlds\\Multi\\Frostline");
    EXPECT_EQ(m_Info.m_LevelNames[2][0], '\0');
    EXPECT_EQ(m_LevelList, (TextList{"Rustbowl", "Worlds\\Multi\\Frostline"}));
    EXPECT_EQ(test::StoredText(Engine(), "SaveGameLevels"), "0");
}

TEST_F(NetGameLevelsPageTest, RemovingTheOnlyLevelDisablesRemoveAndFinish) {
    Mount();
    Run([](ScriptedDialog& page) {
        EXPECT_TRUE(page.Click(Control::AddRetail));
        EXPECT_TRUE(page.IsEnabled(WizardControl::Next));
        EXPECT_EQ(page.Text(Control::FinishHint), "") << "no hint once Finish can be pressed";
        EXPECT_TRUE(page.Select(Control::GameLevels, 0));
        EXPECT_TRUE(page.Click(Control::Remove));
        EXPECT_FALSE(page.IsEnabled(Control::Remove));
        EXPECT_FALSE(page.IsEnabled(WizardControl::Next));
        EXPECT_EQ(page.Text(Control::FinishHint), "Add at least one level to finish.");
    });
}

TEST_F(NetGameLevelsPageTest, SameNameFromBothSourcesIsStoredTwoWays) {
    std::filesystem::copy_file(m_Game.Path() / "dravo" / "Worlds" / "Multi" / "Frostline.dat",
                               m_Game.Path() / "dravo" / "Frostline.dat");
    Mount();
    Run([](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(Control::RetailLevels, "Frostline"));
        EXPECT_TRUE(page.Click(Control::AddRetail));
        EXPECT_TRUE(page.SelectText(Control::CustomLevels, "Frostline"));
        EXPECT_TRUE(page.Click(Control::AddCustom));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    EXPECT_EQ(m_LevelList, (TextList{"Worlds\\Multi\\Frostline", "Frostline"}));
}

TEST_F(NetGameLevelsPageTest, AtMostFiftyLevelsAreKept) {
    Mount();
    Run([](ScriptedDialog& page) {
        for (int i = 0; i < 60; ++i) {
            page.Click(i < 50 ? Control::AddRetail : Control::AddCustom);
        }
        EXPECT_EQ(page.ListCount(Control::GameLevels), 60);
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(m_Info.m_LevelCount, 50);
    ASSERT_EQ(m_LevelList.size(), 50u);
    EXPECT_EQ(m_LevelList.back(), "Worlds\\Multi\\Cinderworks"); // the custom levels came after the 50th
}

TEST_F(NetGameLevelsPageTest, SavedRotationReopensWhenAskedFor) {
    Mount();
    Run([](ScriptedDialog& page) {
        page.Click(Control::AddCustom);
        page.Click(Control::AddRetail);
        page.SetChecked(Control::SaveLevels, true);
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(test::StoredText(Engine(), "SaveGameLevels"), "1");
    Run([](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsChecked(Control::SaveLevels));
        EXPECT_EQ(ListItems(page, Control::GameLevels), (Items{"Glasshouse", "Cinderworks"}));
        EXPECT_EQ(page.ListData(Control::GameLevels, 0), CUSTOM_LEVEL);
        EXPECT_EQ(page.ListData(Control::GameLevels, 1), RETAIL_LEVEL);
        EXPECT_TRUE(page.IsEnabled(WizardControl::Next));
        page.SetChecked(Control::SaveLevels, false);
        page.Click(WizardControl::Next);
    });
    EXPECT_EQ(m_LevelList, (TextList{"Glasshouse", "Worlds\\Multi\\Cinderworks"})); // written all the same
    Run([](ScriptedDialog& page) { EXPECT_EQ(page.ListCount(Control::GameLevels), 0); });
}

TEST_F(NetGameLevelsPageTest, NothingMountedLeavesTheSourcesEmpty) {
    Run([](ScriptedDialog& page) {
        EXPECT_EQ(page.ListCount(Control::RetailLevels), 0);
        EXPECT_FALSE(page.IsEnabled(Control::AddRetail));
        EXPECT_FALSE(page.IsEnabled(Control::AddCustom));
    });
}

TEST(LevelPaths, RetailLevelsLiveUnderWorldsMulti) {
    EXPECT_EQ(LevelPath("Frostline", RETAIL_LEVEL), "Worlds\\Multi\\Frostline");
    EXPECT_EQ(LevelPath("Frostline", CUSTOM_LEVEL), "Frostline");
    EXPECT_TRUE(IsRetailLevelPath("worlds\\multi\\Frostline"));
    EXPECT_FALSE(IsRetailLevelPath("Multi\\Frostline"));
    EXPECT_FALSE(IsRetailLevelPath("Glasshouse"));
}

} // namespace
} // namespace dravo
