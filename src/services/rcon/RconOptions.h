// RconOptions: how the remote console listens and what it allows, from the service table's Rcon*
// variables (settings/ServiceVariables.h: their ranges and defaults), read when hosting starts.
#pragma once

#include "services/TcpServer.h"
#include "services/rcon/LoginGuard.h"
#include "settings/VariableReader.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace dravo {

constexpr size_t MIN_RCON_PASSWORD_CHARS = static_cast<size_t>(service_variable::RCON_PASSWORD.m_Low);
constexpr uint32_t LOOPBACK_ADDRESS = 0x7F000001;

struct RconOptions {
    bool m_Enabled = false;
    std::vector<std::string> m_Problems; // why it is off although a password is set, values not taken
    uint32_t m_BindAddress = LOOPBACK_ADDRESS;
    uint16_t m_Port = 0;
    TcpServerLimits m_Limits{16, 4, size_t{512} * 1024, std::chrono::milliseconds(10000)};
    std::chrono::milliseconds m_IdleTimeout{600000};
    // How long a command may wait for the window thread before the answer says so.
    std::chrono::milliseconds m_CommandTimeout{5000};
    LoginGuardLimits m_Guard;
    size_t m_MaxOutput = 65536;
};

// Reads the variables (the password among them); `gamePort` is the default port.
RconOptions ReadRconOptions(VariableReader& reader, uint16_t gamePort);

} // namespace dravo
