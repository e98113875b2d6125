// HostedGameTest: a test with its own copy of the sample game, in which it starts the real dravoserv
// (headless, -go) and dravo-bot players on loopback ports of their own.
#pragma once

#include "support/LiveProcess.h"
#include "support/SampleGame.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace dravo::test {

class HostedGameTest : public ::testing::Test {
protected:
    SampleGame m_Game;

    // Sets variables in the game's configuration through the reference engine.
    void Configure(const std::map<std::string, std::string>& values) {
        std::string error;
        ASSERT_TRUE(m_Game.Configure(values, error)) << error;
    }
    uint16_t GamePort() const { return m_Game.GamePort(); }
    uint16_t QueryPort() const { return m_Game.QueryPort(); }
    // The server, once it said "Server is running." (a failure of the test when it did not).
    std::unique_ptr<LiveProcess> StartServer(const std::vector<std::string>& arguments = {}) {
        auto server = m_Game.StartServer(arguments);
        EXPECT_TRUE(server->WaitForOutput(SampleGame::RUNNING, std::chrono::milliseconds(0)))
            << server->Output() << server->Errors();
        return server;
    }
    // Players with these names for so many seconds, on the game port of the last start.
    std::unique_ptr<LiveProcess> StartBots(const std::string& names, double seconds,
                                           const std::vector<std::string>& more = {}) {
        std::vector<std::string> arguments = {"--names", names, "--duration", std::to_string(seconds)};
        arguments.insert(arguments.end(), more.begin(), more.end());
        return m_Game.StartBots(arguments);
    }
};

} // namespace dravo::test
