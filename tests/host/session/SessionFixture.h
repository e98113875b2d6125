// SessionTest: a session over a fake engine, a recording view and a fake clock,
// hosting without a worker thread so that tests run the steps themselves.
#pragma once

#include "host/session/ServerSession.h"
#include "settings/GameOptionCommands.h"
#include "support/FakeClock.h"
#include "support/FakeEngine.h"
#include "support/ManualSteps.h"
#include "support/RecordingView.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace dravo::test {

class SessionTest : public ::testing::Test {
protected:
    TempDir m_Directory;
    CurrentDirectory m_Current{m_Directory.Path()};
    FakeEngine m_Engine;
    RecordingView m_View;
    FakeClock m_Clock;
    BlockingPool m_Pool; // outlives the sessions
    HostInfo m_Host{};
    GameOptions m_Options{};
    GameInfo m_Game{};
    std::atomic<bool> m_EmptyExit{false};
    uint32_t m_Port = 0;
    ManualSteps m_Steps{m_Clock};
    std::unique_ptr<ServerSession> m_Session;

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "Test Server");
        std::strcpy(m_Host.m_ServiceName, "Tcp/ip");
        m_Host.m_MaxPlayers = 8;
        SetGameOptionsStartValues(m_Options);
        m_Game.m_GameType = 1;
        m_Game.m_LevelCount = 2;
        std::strcpy(m_Game.m_LevelNames[0], "Worlds\\Multi\\Cinderworks");
        std::strcpy(m_Game.m_LevelNames[1], "Arena");
        MakeSession();
    }
    void MakeSession() { m_Session = std::make_unique<ServerSession>(m_View, m_Clock, m_Pool, Records(), &m_Steps); }
    SessionRecords Records() { return SessionRecords{m_Host, m_Options, m_Game, m_EmptyExit, m_Port}; }
    void TearDown() override { m_Session.reset(); }
    // A game text, delivered as the engine delivers it.
    void Message(const char* text) { m_Engine.m_Handler->OnGameText(text); }
    // Prepares and starts hosting; no worker runs, the test steps by hand.
    void Host() {
        ASSERT_TRUE(m_Session->InitSession(&m_Engine));
        ASSERT_TRUE(m_Session->StartHosting());
    }
    void Step(uint32_t advanceMs) {
        m_Clock.Advance(advanceMs);
        std::scoped_lock lock(m_Session->Lock());
        m_Steps.Step();
    }
};

} // namespace dravo::test
