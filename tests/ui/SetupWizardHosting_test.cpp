// Start-up through the setup pages and the real engine: the chosen rotation is hosted, the saved
// configuration carries it, and the next run with -go hosts it again without a page.
#include "app/ServerApplication.h"
#include "platform/os/Clock.h"
#include "res/ConsoleWindowTemplate.h"
#include "support/LoopbackPorts.h"
#include "ui/WizardTestGame.h"
#include "ui/pages/WizardPage.h"

namespace dravo {
namespace {

using test::StoredText;

class SetupWizardHostingTest : public test::WizardTest {
protected:
    std::unique_ptr<IClock> m_Clock = CreateSystemClock();
    BlockingPool m_Pool;
    const std::string m_EngineLibrary = test::ServerLibraryPath().string();

    void SetUp() override {
        test::WizardTest::SetUp();
        m_Library.UnloadServerLibrary(); // the engine allows one server object: the application's
        // The game answers on this machine only.
        std::ofstream(m_Game.Path() / "first.cfg") << "net_bindaddress \"127.0.0.1\"\n";
    }
    // What the console window showed before the operator shut down.
    struct ConsoleSeen {
        std::string m_NetService;
        std::vector<std::string> m_Levels;
        bool m_HostingFailed = false;
    };
    // The console window: hosting starts, the rotation is shown, then the operator shuts down.
    void ScriptConsole(ConsoleSeen* seen) {
        m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [this, seen](ScriptedDialog& window) {
            window.RunPosted();
            seen->m_NetService = window.Text(ConsoleControl::NetService);
            seen->m_HostingFailed =
                window.Text(ConsoleControl::ConsoleLog).find("ERROR - Unable to host the game.") != std::string::npos;
            for (int index = 0; index < window.ListCount(ConsoleControl::LevelList); ++index) {
                seen->m_Levels.push_back(window.ListText(ConsoleControl::LevelList, index).value_or(""));
            }
            m_Windows.QueueAnswer(MessageBoxResult::Yes);
            EXPECT_TRUE(window.Click(ConsoleControl::Shutdown));
        });
    }
    // The pages of a first run that chooses the port, then the console window.
    void ScriptFirstRun(const std::string& port, ConsoleSeen* seen) {
        m_Windows.AddScript(NET_SERVICES_NAME, [](ScriptedDialog& page) {
            EXPECT_TRUE(page.SelectText(NetServicesControl::ServiceList, test::TCP_IP_SERVICE));
            EXPECT_TRUE(page.SetChecked(NetServicesControl::UseGameSpy, false));
            EXPECT_TRUE(page.SetChecked(NetServicesControl::ServerReg, false));
            EXPECT_TRUE(page.Click(WizardControl::Next));
        });
        m_Windows.AddScript(NET_REZFILES_NAME, [](ScriptedDialog& page) {
            EXPECT_TRUE(page.DoubleClick(NetRezFilesControl::Available, 0));
            EXPECT_TRUE(page.Click(WizardControl::Next));
        });
        m_Windows.AddScript(NET_GAME_NAME, [port](ScriptedDialog& page) {
            EXPECT_TRUE(page.SetText(NetGameControl::Port, port));
            EXPECT_TRUE(page.Click(WizardControl::Next));
        });
        PressNext(NET_OPTIONS_NAME);
        FinishWithLevels({"Ironmarsh"}, {"Rustbowl"}, false);
        ScriptConsole(seen);
    }
};

TEST_F(SetupWizardHostingTest, FirstRunHostsTheChosenRotationAndTheNextRunSkipsThePages) {
    // The engine binds the chosen port itself: one leased to this test, which nothing else takes.
    const std::string port = std::to_string(test::FreeUdpPort());
    ConsoleSeen first;
    ScriptFirstRun(port, &first);
    {
        ServerApplication application(m_Windows, *m_Clock, m_Pool, m_Drives);
        ASSERT_EQ(application.StartServerApplication({"dravoserv", "-config", "first.cfg"}, m_EngineLibrary),
                  ExitStatus::Success);
    }
    EXPECT_FALSE(first.m_HostingFailed);
    EXPECT_EQ(first.m_NetService.substr(0, 7), "Tcp/ip "); // and the address
    // The rotation chosen, the first level (the one played) marked.
    EXPECT_EQ(first.m_Levels, (std::vector<std::string>{"* Worlds\\Multi\\Ironmarsh", "  Rustbowl"}));
    ASSERT_FALSE(m_Windows.Dialogs().empty());
    EXPECT_TRUE(m_Windows.Dialogs().back().m_Finished);

    {
        ServerLibrary saved;
        ASSERT_TRUE(saved.LoadServerLibrary(m_EngineLibrary));
        ASSERT_EQ(saved.GetServer()->ReadVariablesFile("first.cfg"), ENGINE_STATUS_OK);
        EngineServer& store = *saved.GetServer();
        EXPECT_EQ(StoredText(store, "ServiceName"), test::TCP_IP_SERVICE);
        EXPECT_EQ(StoredText(store, "NumLevels"), "2");
        EXPECT_EQ(StoredText(store, "Level0"), "Worlds\\Multi\\Ironmarsh");
        EXPECT_EQ(StoredText(store, "Level1"), "Rustbowl");
        EXPECT_EQ(StoredText(store, "SaveGameLevels"), "0");
        EXPECT_EQ(StoredText(store, "RezFile0"), "Custom\\arena.rez");
        EXPECT_EQ(StoredText(store, "Port"), port);
        EXPECT_EQ(StoredText(store, "DashGoInfo"), "1");
    }

    const size_t dialogsBefore = m_Windows.Dialogs().size();
    const size_t boxesBefore = m_Windows.MessageBoxes().size();
    ConsoleSeen again;
    ScriptConsole(&again);
    ServerApplication second(m_Windows, *m_Clock, m_Pool, m_Drives);
    ASSERT_EQ(second.StartServerApplication({"dravoserv", "-go", "-config", "first.cfg"}, m_EngineLibrary),
              ExitStatus::Success);
    ASSERT_EQ(m_Windows.Dialogs().size(), dialogsBefore + 1); // the console window only
    EXPECT_EQ(m_Windows.Dialogs().back().m_Key, "129");
    EXPECT_EQ(again.m_NetService.substr(0, 7), "Tcp/ip ");
    EXPECT_EQ(again.m_Levels, first.m_Levels);
    EXPECT_EQ(m_Windows.MessageBoxes().size(), boxesBefore + 1); // the exit question, no tip
}

TEST_F(SetupWizardHostingTest, CancelledSetupEndsTheProgramWithoutSaving) {
    PressCancel(NET_SERVICES_NAME);
    ServerApplication application(m_Windows, *m_Clock, m_Pool, m_Drives);
    EXPECT_EQ(application.StartServerApplication({"dravoserv", "-config", "cancel.cfg"}, m_EngineLibrary),
              ExitStatus::StartupFailed);
    EXPECT_FALSE(std::filesystem::exists(m_Game.Path() / "cancel.cfg"));
    ASSERT_EQ(m_Windows.MessageBoxes().size(), 1u);
    EXPECT_EQ(m_Windows.MessageBoxes()[0].m_Text, DISCARD_SETUP_QUESTION);
}

} // namespace
} // namespace dravo
