// The command line's "+Key value" overrides reach the engine's store right after the configuration
// file is loaded: before the settings are read, over what the file says, for any variable.
#include "support/FakeEngine.h"
#include "ui/WizardTestGame.h"

#include <algorithm>

namespace dravo {
namespace {

using test::StoredText;
using test::WizardTest;

class WizardOverridesTest : public WizardTest {
protected:
    bool RunWithOverrides(std::vector<SettingOverride> overrides) {
        m_Wizard = std::make_unique<SetupWizard>(WizardContext{m_Windows, m_Library.GetServer(), m_Resources,
                                                               m_Settings, m_LevelList, m_RezFileList, m_Notes});
        m_Wizard->SetOverrides(std::move(overrides));
        return m_Wizard->RunSetupWizard(&m_Host, &m_Options, &m_Info, true, "dravosrv.cfg");
    }
};

TEST_F(WizardOverridesTest, OverridesWinOverTheFileAndReachTheSettingsAndEveryVariable) {
    std::filesystem::copy_file(test::DataDir() / "dravosrv.cfg", m_Game.Path() / "dravosrv.cfg");
    ASSERT_TRUE(RunWithOverrides({{"ServerName", "Night Owls"},
                                  {"MaxPlayers", "8"},
                                  {"EmptyExitDelay", "2"},
                                  {"net_bindaddress", "127.0.0.2"},
                                  {"MaxPlayers", "9"}})); // the later pair wins

    // The settings were read after the overrides, and "-go" hosts with them.
    EXPECT_STREQ(m_Settings.m_ServerName, "Night Owls");
    EXPECT_EQ(m_Settings.m_MaxPlayers, 9);
    EXPECT_STREQ(m_Host.m_ServerName, "Night Owls");
    EXPECT_EQ(m_Host.m_MaxPlayers, 9);
    // A variable the program only reads, and an engine variable, are in the store for later.
    EXPECT_EQ(StoredText(Engine(), "EmptyExitDelay"), "2");
    EXPECT_EQ(StoredText(Engine(), "net_bindaddress"), "127.0.0.2");
    // What the file says and nobody overrode stays.
    EXPECT_STREQ(m_Settings.m_ServiceName, test::TCP_IP_SERVICE);
}

TEST_F(WizardOverridesTest, ValuesWithQuotesAndBlanksArriveUnchanged) {
    std::filesystem::copy_file(test::DataDir() / "dravosrv.cfg", m_Game.Path() / "dravosrv.cfg");
    ASSERT_TRUE(RunWithOverrides({{"ServerName", "The \"Quoted\" Owls"}, {"SpyGameMode", ""}}));
    EXPECT_STREQ(m_Settings.m_ServerName, "The \"Quoted\" Owls");
    EXPECT_EQ(StoredText(Engine(), "SpyGameMode"), "");
}

TEST(SetupWizardOverrides, RunRightAfterTheFileIsLoadedAndBeforeAnySettingIsRead) {
    test::ScriptedWindows windows;
    test::FakeEngine engine;
    test::WizardUnderTest wizard(windows, &engine);
    wizard.m_Wizard.SetOverrides({{"ServerName", "Night Owls"}, {"EmptyExit", "1"}});
    (void)wizard.Run(true, "x.cfg"); // no pages scripted: it ends

    ASSERT_EQ(engine.m_ReadFiles, std::vector<std::string>{"x.cfg"});
    ASSERT_GE(engine.m_Commands.size(), 2u);
    EXPECT_EQ(engine.m_Commands[0], "\"+ServerName\" \"Night Owls\"");
    EXPECT_EQ(engine.m_Commands[1], "\"+EmptyExit\" \"1\"");
    EXPECT_STREQ(wizard.m_Settings.m_ServerName, "Night Owls");
}

} // namespace
} // namespace dravo
