// PresenceTest: the real dravoserv (headless) hosting the sample game on loopback ports of its own,
// with its GameSpy master, query port and server list all pointed at 127.0.0.1.
#pragma once

#include "integration/HostedGameTest.h"
#include "net/UdpTestPeer.h"
#include "support/TestPaths.h"

namespace dravo::test {

class PresenceTest : public HostedGameTest {
protected:
    UdpTestPeer m_Master;

    void SetUp() override {
        Configure({{"fragrate", "0"},
                   {"ServerName", "Loopback Arena"},
                   {"UseGameSpy", "1"},
                   {"ServerReg", "0"},
                   {"SpyMasterHost", "127.0.0.1"},
                   {"SpyMasterPort", std::to_string(m_Master.Port())},
                   {"WebRegUrl", "http://127.0.0.1:9/servers/server.asp"}});
    }
    std::unique_ptr<LiveProcess> StartBots(const std::string& names, double seconds) {
        return HostedGameTest::StartBots(names, seconds, {"--quiet"});
    }
    // quakestat's raw answer for a GameSpy server on this host, with players and rules.
    static std::string Quakestat(uint16_t port) {
        const auto result = RunProcess("/usr/bin/quakestat",
                                       {"-raw", "\t", "-P", "-R", "-gps", "127.0.0.1:" + std::to_string(port)}, ".");
        EXPECT_EQ(result.m_ExitStatus, 0) << result.m_Stderr;
        return result.m_Stdout;
    }
};

} // namespace dravo::test
