// PresenceTest: the real dravoserv (headless) hosting the sample game on loopback ports of its
// own, with its GameSpy master, query port and server list all pointed at 127.0.0.1.
#pragma once

#include "engine/ServerLibrary.h"
#include "net/UdpTestPeer.h"
#include "support/ChildProcess.h"
#include "support/LiveProcess.h"
#include "support/TempDir.h"
#include "support/TestPaths.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravo::test {

class PresenceTest : public ::testing::Test {
protected:
    TempDir m_Game;
    uint16_t m_GamePort = FreeUdpPort();
    uint16_t m_QueryPort = FreeUdpPort();
    UdpTestPeer m_Master;

    void SetUp() override {
        std::filesystem::copy(DataDir(), m_Game.Path(), std::filesystem::copy_options::recursive);
        Configure({{"Port", std::to_string(m_GamePort)},
                   {"fragrate", "0"},
                   {"ServerName", "Loopback Arena"},
                   {"UseGameSpy", "1"},
                   {"ServerReg", "0"},
                   {"SpyMasterHost", "127.0.0.1"},
                   {"SpyMasterPort", std::to_string(m_Master.Port())},
                   {"SpyQueryPort", std::to_string(m_QueryPort)},
                   {"WebRegUrl", "http://127.0.0.1:9/servers/server.asp"}});
    }
    // Sets variables in the game's configuration through the reference engine.
    void Configure(const std::map<std::string, std::string>& values) {
        ServerLibrary library;
        ASSERT_TRUE(library.LoadServerLibrary((BinDir() / "server.so").string()));
        EngineServer& server = *library.GetServer();
        const std::string file = (m_Game.Path() / "dravosrv.cfg").string();
        ASSERT_EQ(server.ReadVariablesFile(file.c_str()), ENGINE_STATUS_OK);
        for (const auto& [key, value] : values) {
            server.ExecuteCommand(("\"+" + key + "\" \"" + value + "\"").c_str());
        }
        ASSERT_EQ(server.WriteVariablesFile(file.c_str()), ENGINE_STATUS_OK);
    }
    std::unique_ptr<LiveProcess> StartServer() {
        auto server = std::make_unique<LiveProcess>(
            BinDir() / "dravoserv", std::vector<std::string>{"-go", "-face", "headless"}, m_Game.Path());
        EXPECT_TRUE(server->WaitForOutput("Server is running.")) << server->Output() << server->Errors();
        return server;
    }
    std::unique_ptr<LiveProcess> StartBots(const std::string& names, double seconds) {
        return std::make_unique<LiveProcess>(BinDir() / "dravo-bot",
                                             std::vector<std::string>{"--host", "127.0.0.1", "--port",
                                                                      std::to_string(m_GamePort), "--names", names,
                                                                      "--duration", std::to_string(seconds), "--quiet"},
                                             m_Game.Path());
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
