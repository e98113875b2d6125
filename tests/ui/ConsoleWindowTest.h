// ConsoleWindowTest: the console window run through the scripted face, hosting without a worker thread,
// on a fake engine with a three-level rotation.
#pragma once

#include "res/ConsoleWindowTemplate.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/HostedConsole.h"
#include "support/ManualSteps.h"
#include "support/ScriptedWindowSystem.h"
#include "support/ScriptedWindows.h"
#include "support/TempDir.h"
#include "ui/ConsoleWindow.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>

namespace dravo::test {

class ConsoleWindowTest : public ::testing::Test {
protected:
    test::TempDir m_Directory;
    test::CurrentDirectory m_Current{m_Directory.Path()};
    test::FakeEngine m_Engine;
    test::ScriptedWindows m_Windows;
    test::FakeClock m_Clock;
    test::ManualSteps m_Steps{m_Clock}; // hosting runs without a worker thread
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "Console Test");
        std::strcpy(m_Host.m_ServiceName, "Tcp/ip");
        m_Game.m_EndType = END_AFTER_FRAGS_OR_TIME;
        m_Game.m_EndFrags = 25;
        m_Game.m_EndTime = 10;
        m_Game.m_LevelCount = 3;
        std::strcpy(m_Game.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
        std::strcpy(m_Game.m_LevelNames[1], "Worlds\\Multi\\Frostline");
        std::strcpy(m_Game.m_LevelNames[2], "Arena");
        m_Engine.m_HostAddress = "127.0.0.1";
    }

    // Runs the window with a script; hosting runs without a worker thread.
    int Run(const std::function<void(test::HostedConsole&, ScriptedDialog&)>& script) {
        test::HostedConsole console(m_Windows, m_Clock, &m_Engine,
                                    SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, 0}, &m_Steps);
        console.Window().SetHistoryFile(m_HistoryFile);
        if (m_Now) {
            console.Window().SetTimeSource(m_Now);
        }
        m_Windows.AddScript(CONSOLE_WINDOW_TEMPLATE_NUMBER, [&](ScriptedDialog& dialog) { script(console, dialog); });
        const int result = console.Run();
        m_RanOutOfMemory = console.Session().RanOutOfMemory();
        return result;
    }
    static std::string LastLogLine(const ScriptedDialog& dialog) {
        std::string log = dialog.Text(ConsoleControl::ConsoleLog);
        if (log.size() >= 2) {
            log.resize(log.size() - 2); // the trailing "\r\n"
        }
        return log.substr(log.rfind('\n') + 1);
    }
    static void Shutdown(ScriptedWindowSystem& windows, ScriptedDialog& dialog) {
        windows.QueueAnswer(MessageBoxResult::Yes);
        dialog.Click(ConsoleControl::Shutdown);
    }

    static void Enter(ScriptedDialog& dialog, const std::string& line) {
        ASSERT_TRUE(dialog.SetText(ConsoleControl::CommandInput, line));
        ASSERT_TRUE(dialog.PressEnter());
    }

    bool m_RanOutOfMemory = false;
    std::filesystem::path m_HistoryFile; // none unless a test names one
    ConsoleWindow::TimeSource m_Now;     // the system's wall clock unless a test sets one
};

} // namespace dravo::test
