// ReporterTest: a status reporter over records the test owns, on a free query port of this host,
// with a fake clock, a loopback "master" and a loopback client.
#pragma once

#include "net/RecordingSendHook.h"
#include "net/UdpTestPeer.h"
#include "net/query/ServerStatusReporter.h"
#include "support/FakeClock.h"
#include "support/TableStatus.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace dravo::test {

class ReporterTest : public ::testing::Test {
protected:
    static constexpr int GAME_PORT = 27960;

    FakeClock m_Clock;
    HostInfo m_Host{};
    GameInfo m_Game{};
    GameOptions m_Options{};
    TableStatus m_Status;
    BlockingPool m_Pool;
    ServerStatusReporter m_Reporter{m_Clock, m_Pool, StatusSources{m_Host, m_Game, m_Options, m_Status}};
    UdpTestPeer m_Master;
    UdpTestPeer m_Client;
    bool m_A2s = true;              // A2S answered
    bool m_A2sInfoChallenge = true; // A2S_INFO needs the challenge

    void SetUp() override {
        std::strcpy(m_Host.m_ServerName, "Test Server");
        m_Host.m_MaxPlayers = 16;
        m_Game.m_EndType = END_AFTER_FRAGS;
        m_Game.m_EndFrags = 25;
        m_Game.m_EndTime = 10;
        m_Options.m_TractorBeam = 1;
        ASSERT_TRUE(m_Master.IsOpen() && m_Client.IsOpen());
    }
    // Starts reporting the way the session does, with a master on loopback and the given limits. The
    // step's time for queries is ample unless a test gives its own: a slow build (a sanitizer, Wine, a
    // loaded machine) would otherwise drop queries that the test sent to be answered.
    void Start(AnswerRateLimits limits = NoLimits(), std::chrono::microseconds queryTime = std::chrono::seconds(5)) {
        QueryReporterOptions options;
        options.m_QueryTimePerProcess = queryTime;
        options.m_MasterHostPattern = "127.0.0.1";
        options.m_MasterPort = m_Master.Port();
        options.m_Limits = limits;
        options.m_A2s = m_A2s;
        options.m_A2sInfoChallenge = m_A2sInfoChallenge;
        m_Reporter.SetOptions(options);
        ASSERT_TRUE(m_Reporter.Initialize("dravo", "dravo 2.1", "TbWqXe", 0, GAME_PORT, 0, 1));
    }
    static AnswerRateLimits NoLimits() {
        AnswerRateLimits limits;
        limits.m_Burst = 0;
        limits.m_GlobalPerSecond = 0;
        limits.m_GlobalBytesPerSecond = 0;
        return limits;
    }
    static NetPeer Peer(const char* address, uint16_t port) {
        return NetPeer{UdpSocket::ParseAddress(address).value_or(0), port};
    }
    // Runs Process until it has answered `expected` queries of those sent to the query port, or 5 s
    // have passed; returns what it answered. A datagram on loopback is waiting when its send returns,
    // so the first Process finds it; the bound covers a system that delivers it a moment later.
    int Pump(int expected = 1) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        int answered = m_Reporter.Process();
        while (answered < expected && std::chrono::steady_clock::now() < end) {
            std::this_thread::yield();
            answered += m_Reporter.Process();
        }
        EXPECT_GE(answered, expected) << "nothing more arrived";
        return answered;
    }
    // A query of the game port, answered by the next Process through the hook; returns what was answered.
    int AskGamePort(const NetPeer& from, std::string_view query) {
        if (!m_Reporter.HandleExternalQuery(from, query.data(), query.size())) {
            return 0;
        }
        return m_Reporter.Process();
    }
    // Sends one query from the client, pumps, and returns the answer's datagrams.
    std::vector<std::string> Ask(std::string_view query) {
        EXPECT_TRUE(m_Client.SendTo(m_Reporter.QueryPort(), query));
        Pump();
        return m_Client.ReceiveAnswer();
    }
    void AddPlayer(const char* name, int32_t frags, int32_t ping) { m_Status.Add(name, frags, ping); }
};

} // namespace dravo::test
