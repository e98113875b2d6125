// GameSpy answers read by another client: gamedig (npm, protocol gamespy1) asks the query port of
// a running dravoserv, set up entirely with command-line overrides on free loopback ports.
#include "integration/HostedGameTest.h"
#include "net/UdpTestPeer.h"

#include <gtest/gtest.h>

#include <optional>

namespace dravo {
namespace {

namespace fs = std::filesystem;
using GamedigInterop = test::HostedGameTest;

// The program's full path as the shell finds it on PATH, or nothing.
std::optional<std::string> OnPath(const std::string& program) {
    const auto found = test::RunProcess("/bin/sh", {"-c", "command -v " + program}, ".");
    std::string path = found.m_Stdout.substr(0, found.m_Stdout.find('\n'));
    if (found.m_ExitStatus != 0 || path.empty()) {
        return std::nullopt;
    }
    return path;
}

// scripts/setup.sh installs gamedig into the build directory's node_modules; builds beside it
// (the sanitizer builds) use the main build's.
std::optional<fs::path> FindGamedig() {
    for (const fs::path& root : {fs::path(DRAVO_BUILD_DIR), fs::path(DRAVO_SOURCE_DIR) / "build"}) {
        const fs::path script = root / "node_modules/gamedig/bin/gamedig.js";
        if (fs::exists(script)) {
            return script;
        }
    }
    return std::nullopt;
}

// The value of "key": in gamedig's one-line JSON answer, up to the next comma or brace.
std::string JsonValue(const std::string& json, const std::string& key) {
    const size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) {
        return {};
    }
    const size_t start = at + key.size() + 3;
    return json.substr(start, json.find_first_of(",}", start) - start);
}

TEST_F(GamedigInterop, ReadsTheServersNameMapAndPlayers) {
    const auto node = OnPath("node");
    if (!node || !OnPath("npm")) {
        GTEST_SKIP() << "node and npm are not installed";
    }
    const auto gamedig = FindGamedig();
    ASSERT_TRUE(gamedig) << "gamedig is missing: scripts/setup.sh installs it (npm install --prefix build gamedig)";

    test::UdpTestPeer master; // heartbeats land here unread
    auto server =
        StartServer({"+fragrate", "0", "+ServerName", "Night Owls", "+UseGameSpy", "1", "+SpyMasterHost", "127.0.0.1",
                     "+SpyMasterPort", std::to_string(master.Port()), "+SpyRateBurst", "0", "+SpyGlobalRate", "0"});
    auto bots = StartBots("Ace,Bob", 60, {"--quiet"});
    ASSERT_TRUE(server->WaitForOutput("Ace joined the game.")) << server->Output();
    ASSERT_TRUE(server->WaitForOutput("Bob joined the game.")) << server->Output();

    // The player table follows the join with the next state update: ask until both are listed.
    std::string answer;
    for (int attempt = 0; attempt < 20 && JsonValue(answer, "numplayers") != "2"; ++attempt) {
        const auto result = test::RunProcess(
            *node, {gamedig->string(), "--type", "protocol-gamespy1", "127.0.0.1:" + std::to_string(QueryPort())}, ".",
            "", std::chrono::seconds(20));
        ASSERT_EQ(result.m_ExitStatus, 0) << result.m_Stdout << result.m_Stderr;
        answer = result.m_Stdout;
        ASSERT_EQ(answer.find("\"error\""), std::string::npos) << answer;
    }
    EXPECT_EQ(JsonValue(answer, "name"), "\"Night Owls\"") << answer;
    EXPECT_EQ(JsonValue(answer, "map"), "\"Cinderworks\"") << answer;
    EXPECT_EQ(JsonValue(answer, "maxplayers"), "16") << answer;
    EXPECT_EQ(JsonValue(answer, "numplayers"), "2") << answer;
    EXPECT_EQ(JsonValue(answer, "gametype"), "\"deathmatch\"") << answer;
    EXPECT_NE(answer.find("\"name\":\"Ace\""), std::string::npos) << answer;
    EXPECT_NE(answer.find("\"name\":\"Bob\""), std::string::npos) << answer;

    server->WriteLine("/shutdown");
    EXPECT_EQ(server->Wait(), 0);
}

} // namespace
} // namespace dravo
