// The console window's marks through the scripted face: the command marker, the times of the log view
// and the level played in the Levels list; the log file keeps its own lines.
#include "ui/ConsoleWindow.h"

#include "app/LogFile.h"
#include "ui/ConsoleWindowTest.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>

namespace dravo {
namespace {

using test::ConsoleWindowTest;
using Control = ConsoleControl;
using std::chrono::system_clock;

class ConsoleWindowMarksTest : public ConsoleWindowTest {
protected:
    system_clock::time_point m_Time = system_clock::from_time_t(1'700'000'000);

    void SetUp() override {
        ConsoleWindowTest::SetUp();
        m_Now = [this] { return m_Time; };
    }
    std::string Clock() const { return ClockText(system_clock::to_time_t(m_Time)); }
    static std::string FileText(const std::string& path) {
        std::ifstream file(path);
        std::stringstream text;
        text << file.rdbuf();
        return text.str();
    }
};

TEST_F(ConsoleWindowMarksTest, TypedCommandsAreMarkedInTheViewButNotInTheLogFile) {
    std::ostringstream errors;
    LogFile file("server.log", errors);
    ASSERT_TRUE(file.Open());
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        window.Session().Log().Attach(file);
        Enter(dialog, "/players");
        (void)window.Commands().Run("/status", CommandOrigin::Remote("127.0.0.1:5000"));
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_NE(log.find("\r\n> /players\r\nPlayers: 0\r\n"), std::string::npos) << log;
        EXPECT_NE(log.find("\r\n> [remote 127.0.0.1:5000] /status\r\nName: Console Test\r\n"), std::string::npos)
            << log;
        window.Session().Log().Detach(file);
        Shutdown(m_Windows, dialog);
    });
    ASSERT_TRUE(file.Flush(LogFile::FINISH_WAIT));
    const std::string text = FileText("server.log");
    // Each line of the file is its time stamp, a blank and the line as logged.
    EXPECT_NE(text.find(" /players\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" [remote 127.0.0.1:5000] /status\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("> "), std::string::npos) << text;
}

TEST_F(ConsoleWindowMarksTest, TimesAreThoseTheLinesWereCapturedAtWheneverTheyAreTurnedOn) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        const std::string first = Clock();
        Enter(dialog, "/players");
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "Players: 0") << "no times by default";
        m_Time += std::chrono::seconds(3725);
        const std::string second = Clock();
        ASSERT_NE(first, second);
        Enter(dialog, "/timestamps");
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_NE(log.find(first + " > /players\r\n" + first + " Players: 0\r\n"), std::string::npos) << log;
        EXPECT_EQ(LastLogLine(dialog), second + " Times before log lines: on (/timestamps turns them off).");
        m_Time += std::chrono::seconds(60);
        Enter(dialog, "/timestamps");
        dialog.RunPosted();
        EXPECT_EQ(LastLogLine(dialog), "Times before log lines: off (/timestamps turns them on).");
        EXPECT_NE(dialog.Text(Control::ConsoleLog).find("\r\n> /players\r\nPlayers: 0\r\n"), std::string::npos);
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowMarksTest, ClearedLinesDoNotComeBackWhenTheTimesAreTurnedOn) {
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        Enter(dialog, "/players");
        m_Windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(Control::Clear);
        ASSERT_EQ(dialog.Text(Control::ConsoleLog), "");
        Enter(dialog, "/timestamps");
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_EQ(log.find("Players: 0"), std::string::npos) << log;
        EXPECT_NE(log.find(Clock() + " > /timestamps\r\n"), std::string::npos) << log;
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowMarksTest, StandardOutputOfAFaceWithoutAScreenKeepsThePlainLines) {
    m_Windows.HideDialogs();
    Run([&](test::HostedConsole&, ScriptedDialog& dialog) {
        Enter(dialog, "/players");
        Enter(dialog, "/timestamps");
        dialog.RunPosted();
        const std::string log = dialog.Text(Control::ConsoleLog);
        EXPECT_NE(log.find("\r\n/players\r\nPlayers: 0\r\n"), std::string::npos) << log;
        EXPECT_EQ(LastLogLine(dialog), "Times are shown in the console window only; the log file has its own.");
        Shutdown(m_Windows, dialog);
    });
}

TEST_F(ConsoleWindowMarksTest, TheLevelPlayedIsMarkedAndTheMarkMovesWithTheGame) {
    Run([&](test::HostedConsole& window, ScriptedDialog& dialog) {
        EXPECT_EQ(dialog.ListText(Control::LevelList, 0), "* Worlds\\Multi\\Cinderworks");
        window.Session().OnGameText("[GMSG:1][CLEV:Frostline][NLEV:Arena]");
        dialog.RunPosted();
        EXPECT_EQ(dialog.ListText(Control::LevelList, 0), "  Worlds\\Multi\\Cinderworks");
        EXPECT_EQ(dialog.ListText(Control::LevelList, 1), "* Worlds\\Multi\\Frostline");
        window.Session().OnGameText("[GMSG:0][CLEV:Frostline][PLRS:0]");
        window.Session().OnGameText("[GMSG:1][CLEV:Arena][NLEV:Worlds\\Multi\\Cinderworks]");
        dialog.RunPosted();
        EXPECT_EQ(dialog.ListCount(Control::LevelList), 3);
        EXPECT_EQ(dialog.ListText(Control::LevelList, 1), "  Worlds\\Multi\\Frostline");
        EXPECT_EQ(dialog.ListText(Control::LevelList, 2), "* Arena");
        Shutdown(m_Windows, dialog);
    });
}

} // namespace
} // namespace dravo
