// HostedConsole: the console window with what start-up gives it - the session, the command service and
// the records - for the tests that drive the window through a scripted face.
#pragma once

#include "app/LateLogView.h"
#include "host/commands/CommandService.h"
#include "host/session/ServerSession.h"
#include "ui/ConsoleWindow.h"

namespace dravo::test {

class HostedConsole {
public:
    HostedConsole(WindowSystem& windows, IClock& clock, EngineServer* server, SessionRecords records,
                  IStepDriver* steps = nullptr)
        : m_Late(windows), m_Session(m_Late, clock, m_Pool, records, steps),
          m_Commands(m_Session, CommandRecords{m_Settings, records.m_GameOptions, records.m_HostInfo}),
          m_Window(windows, clock, ConsoleWindowParts{m_Session, m_Commands, server, records}) {}
    // As start-up ends the run: hosting stopped and the session detached from the engine.
    ~HostedConsole() { m_Session.ResetSession(); }

    int Run() { return m_Window.Run(); }
    ConsoleWindow& Window() { return m_Window; }
    ServerSession& Session() { return m_Session; }
    CommandService& Commands() { return m_Commands; }
    ServerSettings& Settings() { return m_Settings; }

private:
    ServerSettings m_Settings;
    BlockingPool m_Pool; // outlives the session
    LateLogView m_Late;
    ServerSession m_Session;
    CommandService m_Commands;
    ConsoleWindow m_Window;
};

} // namespace dravo::test
