// The page run of the setup wizard over the real engine: the moves between pages, the errors, the
// "-go" tip, the stored lists and the face that cannot show pages.
#include "ui/SetupWizard.h"

#include "res/StringTable.h"
#include "support/FakeEngine.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "ui/WizardTestGame.h"
#include "ui/pages/WizardPage.h"
#include "window/headless/HeadlessWindowSystem.h"

#include <sstream>

namespace dravo {
namespace {

using test::StoredText;
using test::WizardTest;

using Pages = std::vector<std::string>;
const std::string SERVICES(NET_SERVICES_NAME);
const std::string REZFILES(NET_REZFILES_NAME);
const std::string GAME(NET_GAME_NAME);
const std::string OPTIONS(NET_OPTIONS_NAME);
const std::string LEVELS(NET_GAMELEVELS_NAME);

TEST_F(WizardTest, FirstRunThroughEveryPageFillsTheRecordsAndStoresTheLists) {
    ChooseService();
    m_Windows.AddScript(REZFILES, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetRezFilesControl::Available, "arena.rez"));
        EXPECT_TRUE(page.Click(NetRezFilesControl::Add));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    m_Windows.AddScript(GAME, [](ScriptedDialog& page) {
        EXPECT_TRUE(page.IsVisible(NetGameControl::Port)); // TCP/IP asks for the port
        EXPECT_TRUE(page.SetText(NetGameControl::ServerName, "Wizard Arena"));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(OPTIONS);
    FinishWithLevels({"Skyharbor", "Cinderworks"}, {"Glasshouse"}, true);

    ASSERT_TRUE(Run());
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, REZFILES, GAME, OPTIONS, LEVELS}));
    EXPECT_TRUE(m_Wizard->TcpIpSelected());
    EXPECT_TRUE(m_Wizard->RezFilesLoaded());
    EXPECT_STREQ(m_Host.m_ServiceName, "Tcp/ip");
    EXPECT_STREQ(m_Host.m_ServerName, "Wizard Arena");
    EXPECT_STREQ(m_Settings.m_ServiceName, test::TCP_IP_SERVICE);
    ASSERT_EQ(m_Info.m_LevelCount, 3);
    EXPECT_STREQ(m_Info.m_LevelNames[0], "Worlds\\Multi\\Skyharbor");
    EXPECT_STREQ(m_Info.m_LevelNames[1], "Worlds\\Multi\\Cinderworks");
    EXPECT_STREQ(m_Info.m_LevelNames[2], "Glasshouse"); // found only in the chosen archive

    EXPECT_EQ(StoredText(Engine(), "NumLevels"), "3");
    EXPECT_EQ(StoredText(Engine(), "Level0"), "Worlds\\Multi\\Skyharbor");
    EXPECT_EQ(StoredText(Engine(), "Level2"), "Glasshouse");
    EXPECT_EQ(StoredText(Engine(), "SaveGameLevels"), "1");
    EXPECT_EQ(StoredText(Engine(), "NumRezFiles"), "1");
    EXPECT_EQ(StoredText(Engine(), "RezFile0"), "Custom\\arena.rez");

    // The "-go" tip closes a first run.
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "Dravo Server");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, StringTable::Find(STR_DASH_GO_TIP).value_or("missing"));
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Icon, MessageBoxIcon::Information);
}

TEST_F(WizardTest, TipIsLeftOutOnceTheConfigurationWasSaved) {
    std::ofstream("saved.cfg") << "DashGoInfo \"1\"\n";
    ScriptPlainRun();
    ASSERT_TRUE(Run(false, "saved.cfg"));
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
}

TEST_F(WizardTest, WithoutCustomArchivesTheRezPageIsSkippedBothWays) {
    std::filesystem::remove_all(m_Game.Path() / "Custom");
    ChooseService();
    PressBack(GAME); // straight back to the services
    ChooseService();
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    ASSERT_TRUE(Run());
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, GAME, SERVICES, GAME, OPTIONS, LEVELS}));
    EXPECT_EQ(m_Wizard->CustomRezCount(), 0);
}

TEST_F(WizardTest, BackFromTheGamePageReturnsToTheRezPageWhenArchivesExist) {
    ChooseService();
    PressNext(REZFILES);
    PressBack(GAME);
    PressBack(REZFILES);
    ChooseService();
    PressNext(REZFILES);
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    ASSERT_TRUE(Run());
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, REZFILES, GAME, REZFILES, SERVICES, REZFILES, GAME, OPTIONS, LEVELS}));
    EXPECT_EQ(m_Wizard->CustomRezCount(), 1);
}

TEST_F(WizardTest, BackFromTheLevelPageDoesNotLoadTheArchivesTwice) {
    ChooseService();
    PressNext(REZFILES);
    PressNext(GAME);
    PressNext(OPTIONS);
    PressBack(LEVELS);
    PressBack(OPTIONS); // a Back from the options page reached from the levels goes to the game page
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    ASSERT_TRUE(Run());
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, REZFILES, GAME, OPTIONS, LEVELS, OPTIONS, GAME, OPTIONS, LEVELS}));
    EXPECT_EQ(m_Windows.WaitCursorShows(), 1); // one load, with its busy sign
    EXPECT_EQ(m_Windows.WaitCursorDepth(), 0);
}

// Back and Next again: the level page shows the rotation and the box as they were left, Finish enabled.
TEST_F(WizardTest, TheLevelPageKeepsItsRotationAndBoxAcrossBackAndNext) {
    ChooseService();
    PressNext(REZFILES);
    PressNext(GAME);
    PressNext(OPTIONS);
    m_Windows.AddScript(LEVELS, [](ScriptedDialog& page) {
        for (const char* level : {"Skyharbor", "Cinderworks"}) {
            EXPECT_TRUE(page.SelectText(NetGameLevelsControl::RetailLevels, level));
            EXPECT_TRUE(page.Click(NetGameLevelsControl::AddRetail));
        }
        EXPECT_TRUE(page.SetChecked(NetGameLevelsControl::SaveLevels, true));
        EXPECT_TRUE(page.Click(WizardControl::Back));
    });
    PressBack(OPTIONS);
    PressNext(GAME);
    PressNext(OPTIONS);
    m_Windows.AddScript(LEVELS, [](ScriptedDialog& page) {
        ASSERT_EQ(page.ListCount(NetGameLevelsControl::GameLevels), 2);
        EXPECT_EQ(page.ListText(NetGameLevelsControl::GameLevels, 1), "Cinderworks");
        EXPECT_TRUE(page.IsChecked(NetGameLevelsControl::SaveLevels));
        EXPECT_TRUE(page.IsEnabled(WizardControl::Next));
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    ASSERT_TRUE(Run());
    ASSERT_EQ(m_Info.m_LevelCount, 2);
    EXPECT_STREQ(m_Info.m_LevelNames[1], "Worlds\\Multi\\Cinderworks");
}

class WizardCancelTest : public WizardTest, public ::testing::WithParamInterface<size_t> {};

TEST_P(WizardCancelTest, CancelEndsTheWizardAfterAQuestionWithoutStoredLevels) {
    const std::vector<std::string> pages = {SERVICES, REZFILES, GAME, OPTIONS, LEVELS};
    const size_t cancelAt = GetParam();
    if (cancelAt > 0) {
        ChooseService();
    }
    for (size_t page = 1; page < cancelAt; ++page) {
        PressNext(pages[page]);
    }
    PressCancel(pages[cancelAt]);
    EXPECT_FALSE(Run());
    EXPECT_EQ(PagesShown(), Pages(pages.begin(), pages.begin() + static_cast<std::ptrdiff_t>(cancelAt) + 1));
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, DISCARD_SETUP_QUESTION);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Default, MessageBoxDefault::Second);
    EXPECT_EQ(StoredText(Engine(), "NumLevels"), "0");
    EXPECT_EQ(StoredText(Engine(), "Level0"), std::nullopt);
    EXPECT_EQ(m_Windows.Notes(), std::vector<std::string>{std::string(SETUP_CANCELLED_NOTE)});
}

INSTANTIATE_TEST_SUITE_P(EveryPage, WizardCancelTest, ::testing::Range<size_t>(0, 5));

TEST_F(WizardTest, ARefusedServiceKeepsTheOperatorOnItsPage) {
    m_Windows.AddScript(SERVICES, [this](ScriptedDialog& page) {
        EXPECT_TRUE(page.SelectText(NetServicesControl::ServiceList, test::IPX_SERVICE));
        EXPECT_TRUE(page.Click(WizardControl::Next));
        EXPECT_FALSE(page.Ended()) << "the refused service keeps the page";
        m_Windows.QueueAnswer(MessageBoxResult::Yes); // discard the setup
        EXPECT_TRUE(page.Click(WizardControl::Cancel));
    });
    EXPECT_FALSE(Run());
    EXPECT_EQ(PagesShown(), Pages{SERVICES});
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 2u);
    EXPECT_EQ(m_Windows.MessageBoxes()[1].m_Text, DISCARD_SETUP_QUESTION);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, std::string("ERROR - Unable to use the selected network service.\n\n"
                                                              "The game cannot use \"") +
                                                      test::IPX_SERVICE +
                                                      "\" here. Choose TCP/IP to host an internet game.");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Caption, "DravoServ");
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Icon, MessageBoxIcon::Exclamation);
}

TEST_F(WizardTest, AnArchiveTheEngineRefusesIsNamedAndTheOperatorGoesBackToTheArchives) {
    std::ofstream(m_Game.Path() / "Custom" / "broken.rez") << "not an archive";
    ChooseService();
    m_Windows.AddScript(REZFILES, [](ScriptedDialog& page) {
        for (const char* name : {"broken.rez", "arena.rez"}) {
            EXPECT_TRUE(page.SelectText(NetRezFilesControl::Available, name));
            EXPECT_TRUE(page.Click(NetRezFilesControl::Add));
        }
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(GAME);
    PressNext(OPTIONS);
    m_Windows.AddScript(REZFILES, [](ScriptedDialog& page) { // back, with the archives still chosen
        ASSERT_EQ(page.ListCount(NetRezFilesControl::ToLoad), 2);
        // The damaged one is selected, with the focus on its list, as a missing one is: Remove takes it.
        EXPECT_EQ(page.Selection(NetRezFilesControl::ToLoad), 0);
        const DialogModel& model = page.Api().Model();
        ASSERT_GE(model.FocusRequest(), 0);
        EXPECT_EQ(model.Controls()[static_cast<size_t>(model.FocusRequest())].Id(),
                  static_cast<int>(NetRezFilesControl::ToLoad));
        EXPECT_TRUE(page.Click(NetRezFilesControl::Remove));
        ASSERT_EQ(page.ListCount(NetRezFilesControl::ToLoad), 1);
        EXPECT_EQ(page.Api().ListText(NetRezFilesControl::ToLoad, 0), "arena.rez");
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    EXPECT_TRUE(Run());
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, REZFILES, GAME, OPTIONS, REZFILES, GAME, OPTIONS, LEVELS}));
    ASSERT_GE(m_Windows.MessageBoxes().size(), 1u);
    const std::string& error = m_Windows.MessageBoxes()[0].m_Text;
    EXPECT_EQ(error.substr(0, 39), "ERROR - Unable to load Dravo resources.");
    EXPECT_NE(error.find("broken.rez"), std::string::npos) << error;
    EXPECT_TRUE(m_Wizard->RezFilesLoaded());
}

TEST_F(WizardTest, AMissingArchiveIsNamedAndTheOperatorStaysInTheWizard) {
    // Chosen on an earlier run, since deleted: leaving the archive page names it, and the page stays.
    std::ofstream("gone.cfg")
        << "NumRezFiles \"2\"\nRezFile0 \"Custom\\\\arena.rez\"\nRezFile1 \"Custom\\\\gone.rez\"\n";
    ChooseService();
    m_Windows.AddScript(REZFILES, [this](ScriptedDialog& page) {
        EXPECT_TRUE(page.Click(WizardControl::Next));
        EXPECT_FALSE(page.Ended());
        ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
        EXPECT_NE(m_Windows.MessageBoxes()[0].m_Text.find("No such rez file: Custom\\gone.rez"), std::string::npos)
            << m_Windows.MessageBoxes()[0].m_Text;
        EXPECT_TRUE(page.Click(NetRezFilesControl::Remove)); // the missing one is selected
        EXPECT_TRUE(page.Click(WizardControl::Next));
    });
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    ASSERT_TRUE(Run(false, "gone.cfg"));
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, REZFILES, GAME, OPTIONS, LEVELS}));
    EXPECT_TRUE(m_Wizard->RezFilesLoaded());
}

TEST_F(WizardTest, AMissingArchiveWithNoneToChooseInsteadIsNamedAndTheGameGoesOn) {
    std::filesystem::remove_all(m_Game.Path() / "Custom");
    std::ofstream("gone.cfg") << "NumRezFiles \"1\"\nRezFile0 \"Custom\\\\gone.rez\"\n";
    ChooseService();
    PressNext(GAME);
    PressNext(OPTIONS);
    FinishWithLevels({"Frostline"}, {});
    ASSERT_TRUE(Run(false, "gone.cfg"));
    EXPECT_EQ(PagesShown(), (Pages{SERVICES, GAME, OPTIONS, LEVELS}));
    ASSERT_GE(m_Windows.MessageBoxes().size(), 1u);
    const std::string& said = m_Windows.MessageBoxes()[0].m_Text;
    EXPECT_NE(said.find("No such rez file: Custom\\gone.rez"), std::string::npos) << said;
    EXPECT_NE(said.find("goes on without them"), std::string::npos) << said;
    EXPECT_TRUE(m_Wizard->RezFilesLoaded());
}

TEST_F(WizardTest, PageThatCannotRunIsASetupError) {
    // No script for the services page: the dialog ends without a result.
    EXPECT_FALSE(Run());
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, "ERROR - Unable to setup the network game server.");
}

TEST_F(WizardTest, SkipWithAnUnknownSavedServiceFallsBackToThePages) {
    std::ofstream("old.cfg") << "ServiceName \"Carrier Pigeon Service\"\nNumLevels \"1\"\n"
                                "Level0 \"Worlds\\\\Multi\\\\Frostline\"\n";
    ScriptPlainRun();
    ASSERT_TRUE(Run(true, "old.cfg"));
    EXPECT_EQ(PagesShown().front(), SERVICES);
    EXPECT_STREQ(m_Settings.m_ServiceName, test::TCP_IP_SERVICE);
}

TEST_F(WizardTest, SkipWithASavedSetupShowsNoPage) {
    std::ofstream("saved.cfg") << "ServiceName \"tcp/ip internet service\"\nNumLevels \"2\"\n"
                                  "Level0 \"Worlds\\\\Multi\\\\Frostline\"\nLevel1 \"Rustbowl\"\n"
                                  "NumRezFiles \"1\"\nRezFile0 \"Custom\\\\arena.rez\"\n";
    ASSERT_TRUE(Run(true, "saved.cfg"));
    EXPECT_TRUE(PagesShown().empty());
    EXPECT_TRUE(m_Windows.MessageBoxes().empty());
    EXPECT_STREQ(m_Host.m_ServiceName, "Tcp/ip");
    ASSERT_EQ(m_Info.m_LevelCount, 2);
    EXPECT_STREQ(m_Info.m_LevelNames[1], "Rustbowl");
}

TEST_F(WizardTest, SkipWithAMissingArchiveNamesItAndHostsWithoutIt) {
    std::ofstream("saved.cfg")
        << "ServiceName \"tcp/ip internet service\"\nNumLevels \"1\"\n"
           "Level0 \"Worlds\\\\Multi\\\\Frostline\"\n"
           "NumRezFiles \"2\"\nRezFile0 \"Custom\\\\arena.rez\"\nRezFile1 \"Custom\\\\gone.rez\"\n";
    ASSERT_TRUE(Run(true, "saved.cfg"));
    EXPECT_TRUE(PagesShown().empty());
    const std::vector<std::string> notes = m_Windows.Notes();
    ASSERT_EQ(notes.size(), 1u);
    EXPECT_NE(notes[0].find("No such rez file: Custom\\gone.rez"), std::string::npos) << notes[0];
    EXPECT_EQ(m_Info.m_LevelCount, 1);
}

TEST(SetupWizardFaces, HeadlessFaceSaysThePagesNeedATerminal) {
    test::TempDir game;
    test::CopySampleGameForFirstRun(game.Path());
    test::CurrentDirectory current(game.Path());
    std::ostringstream out;
    std::ostringstream err;
    HeadlessWindowSystem windows(HeadlessOptions{-1, &out, &err});
    ServerLibrary library;
    ASSERT_TRUE(library.LoadServerLibrary(test::ServerLibraryPath().string()));
    test::WizardUnderTest wizard(windows, library.GetServer());
    ASSERT_TRUE(wizard.m_Resources.LocateResources(0));
    EXPECT_FALSE(wizard.Run(false, "none.cfg"));
    EXPECT_EQ(err.str(), "DravoServ: " + std::string(SETUP_NEEDS_SCREEN_MESSAGE) + "\n");
    EXPECT_TRUE(out.str().empty());
}

TEST(SetupWizardFaces, FailedNetworkingStopsBeforeAnyPage) {
    test::FakeEngine engine;
    engine.m_StartNetworkingSucceeds = false;
    test::ScriptedWindows windows;
    test::WizardUnderTest wizard(windows, &engine);
    EXPECT_FALSE(wizard.Run(false, "none.cfg"));
    EXPECT_TRUE(windows.Dialogs().empty());
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].m_Text, "ERROR - Unable to initialize the networking system.");
}

TEST(SetupWizardFaces, AConfigurationThatIsThereButCannotBeReadEndsTheSetupWithTheEnginesReason) {
    test::TempDir dir;
    const std::filesystem::path folder = dir.Path() / "folder.cfg";
    std::filesystem::create_directory(folder);
    test::FakeEngine engine; // its read fails; for a file that is missing that is a first run
    engine.m_ErrorText = "Cannot read folder.cfg: it is a directory.";
    test::ScriptedWindows windows;
    test::WizardUnderTest wizard(windows, &engine);
    EXPECT_FALSE(wizard.Run(false, folder.string().c_str()));
    EXPECT_TRUE(windows.Dialogs().empty());
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].m_Text, "ERROR - Unable to read the configuration file \"" + folder.string() +
                                                    "\".\n\nCannot read folder.cfg: it is a directory.");
    EXPECT_TRUE(engine.m_Commands.empty()) << "no setting was read or stored";
}

TEST(SetupWizardFaces, EngineWithoutServicesEndsWithTheAccessError) {
    test::FakeEngine engine; // lists no services
    test::ScriptedWindows windows;
    test::WizardUnderTest wizard(windows, &engine);
    EXPECT_FALSE(wizard.Run(false, "none.cfg"));
    EXPECT_EQ(wizard.m_Wizard.WizardError(), 3);
    ASSERT_EQ(windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(windows.MessageBoxes()[0].m_Text, "ERROR - Unable to access the available network services.");
}

} // namespace
} // namespace dravo
