// RemotePeers: the real peers of the remote console and the metrics endpoint in the end-to-end tests:
// the npm RCON clients (through rcon-peer.js), Debian's rconclt, curl, and free loopback TCP ports.
#pragma once

#include "platform/net/TcpListener.h"
#include "support/LiveProcess.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace dravo::test {

// scripts/setup.sh installs the npm clients into the build directory's node_modules; builds beside it
// (the sanitizer builds) use the main build's.
inline std::optional<std::filesystem::path> NodeModules() {
    for (const std::filesystem::path& root :
         {std::filesystem::path(DRAVO_BUILD_DIR), std::filesystem::path(DRAVO_SOURCE_DIR) / "build"}) {
        if (std::filesystem::exists(root / "node_modules/rcon-srcds/package.json") &&
            std::filesystem::exists(root / "node_modules/rcon-client/package.json")) {
            return root / "node_modules";
        }
    }
    return std::nullopt;
}

// rcon-peer.js with one of the clients ("srcds" or "client"); its one line of JSON, or the failure.
inline ProcessResult RconPeer(const std::string& client, uint16_t port, const std::string& password,
                              const std::vector<std::string>& mode) {
    std::vector<std::string> arguments = {std::string(DRAVO_SOURCE_DIR) + "/tests/integration/rcon-peer.js",
                                          NodeModules().value_or("").string(), client, std::to_string(port), password};
    arguments.insert(arguments.end(), mode.begin(), mode.end());
    return RunProcess(
        "/usr/bin/env",
        [&] {
            std::vector<std::string> all = {"node"};
            all.insert(all.end(), arguments.begin(), arguments.end());
            return all;
        }(),
        ".", "", std::chrono::seconds(60));
}

// Debian's rconclt (package rcon): one command a run, the password in the server's name
// ("password@host:port"), the answer on standard output.
inline const std::filesystem::path RCONCLT_PROGRAM = "/usr/bin/rconclt";
inline ProcessResult RconClt(uint16_t port, const std::string& password, const std::string& command) {
    return RunProcess(RCONCLT_PROGRAM, {"-t", "5", password + "@127.0.0.1:" + std::to_string(port), command}, ".", "",
                      std::chrono::seconds(30));
}

// A TCP port nobody listens on now.
inline uint16_t FreeTcpPort() {
    std::string error;
    auto listener = TcpListener::Open(0x7F000001, 0, error);
    return listener ? listener->Port() : 0;
}

// The body of an HTTP GET with curl, or empty.
inline std::string HttpGet(const std::string& url) {
    return RunProcess("/usr/bin/curl", {"-s", "--max-time", "5", url}, ".").m_Stdout;
}

} // namespace dravo::test
