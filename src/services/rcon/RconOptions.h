// RconOptions: how the remote console listens and what it allows, from engine variables read when
// hosting starts (the operator sets them in the configuration file or with console commands).
//
//   RconPassword        the password; the remote console is on only when it is set (8 characters at least)
//   RconPort            TCP port, 1..65535; the game port's number unless given
//   RconBindAddress     IPv4 address to listen on; 127.0.0.1 unless given (0.0.0.0 is every address)
//   RconMaxConnections  connections at once, 1..1024 (16)
//   RconMaxPerAddress   connections at once from one address, 1..1024 (4)
//   RconLoginTimeout    seconds a connection may take to log in (10)
//   RconIdleTimeout     seconds a logged-in connection may stay silent (600)
//   RconMaxFailures     wrong passwords in a row from one address that start a lockout, 1..100 (3)
//   RconLockout         seconds of the first lockout, doubled for each one after (60)
//   RconReplyWait       seconds the answer keeps collecting console lines after the command ran (0.1)
//   RconMaxOutput       bytes of console lines one answer holds at most, 1024..1048576 (65536)
#pragma once

#include "engine/EngineServer.h"
#include "services/TcpServer.h"
#include "services/rcon/LoginGuard.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace dravo {

constexpr size_t MIN_RCON_PASSWORD_CHARS = 8;
constexpr uint32_t LOOPBACK_ADDRESS = 0x7F000001;

struct RconOptions {
    bool m_Enabled = false;
    std::string m_Problem; // why it is off although a password is set, or a value that was not taken
    uint32_t m_BindAddress = LOOPBACK_ADDRESS;
    uint16_t m_Port = 0;
    TcpServerLimits m_Limits{16, 4, size_t{512} * 1024, std::chrono::milliseconds(10000)};
    std::chrono::milliseconds m_IdleTimeout{600000};
    std::chrono::milliseconds m_ReplyWait{100};
    // How long a command may wait for the window thread before the answer says so.
    std::chrono::milliseconds m_CommandTimeout{5000};
    LoginGuardLimits m_Guard;
    size_t m_MaxOutput = 65536;
};

// Reads the variables; `gamePort` is the default port.
RconOptions ReadRconOptions(EngineServer& server, const std::string& password, uint16_t gamePort);

} // namespace dravo
