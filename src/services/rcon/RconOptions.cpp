// Reading the remote console's options.
#include "services/rcon/RconOptions.h"

#include "platform/net/UdpSocket.h"
#include "settings/VariableReader.h"

#include <cmath>

namespace dravo {
namespace {

std::chrono::milliseconds Seconds(double seconds) {
    return std::chrono::milliseconds(static_cast<int64_t>(std::llround(seconds * 1000.0)));
}

} // namespace

RconOptions ReadRconOptions(EngineServer& server, const std::string& password, uint16_t gamePort) {
    RconOptions options;
    options.m_Port = gamePort;
    if (password.empty()) {
        return options;
    }
    if (password.size() < MIN_RCON_PASSWORD_CHARS) {
        options.m_Problem = "RconPassword is shorter than " + std::to_string(MIN_RCON_PASSWORD_CHARS) + " characters";
        return options;
    }
    options.m_Enabled = true;
    if (auto port = ReadNumberVariable(server, "RconPort", 1, UINT16_MAX)) {
        options.m_Port = static_cast<uint16_t>(*port);
    }
    if (auto address = ReadTextVariable(server, "RconBindAddress")) {
        if (auto parsed = UdpSocket::ParseAddress(address->c_str())) {
            options.m_BindAddress = *parsed;
        } else {
            options.m_Problem = "RconBindAddress \"" + *address + "\" is no IPv4 address; 127.0.0.1 is used";
        }
    }
    if (auto most = ReadNumberVariable(server, "RconMaxConnections", 1, 1024)) {
        options.m_Limits.m_MaxConnections = static_cast<size_t>(*most);
    }
    if (auto most = ReadNumberVariable(server, "RconMaxPerAddress", 1, 1024)) {
        options.m_Limits.m_MaxPerAddress = static_cast<size_t>(*most);
    }
    if (auto seconds = ReadNumberVariable(server, "RconLoginTimeout", 0.01, 3600)) {
        options.m_Limits.m_FirstDeadline = Seconds(*seconds);
    }
    if (auto seconds = ReadNumberVariable(server, "RconIdleTimeout", 0.01, 86400)) {
        options.m_IdleTimeout = Seconds(*seconds);
    }
    if (auto failures = ReadNumberVariable(server, "RconMaxFailures", 1, 100)) {
        options.m_Guard.m_MaxFailures = static_cast<uint32_t>(*failures);
    }
    if (auto seconds = ReadNumberVariable(server, "RconLockout", 0.01, 86400)) {
        options.m_Guard.m_BaseLockoutMs = static_cast<uint64_t>(Seconds(*seconds).count());
    }
    if (auto seconds = ReadNumberVariable(server, "RconReplyWait", 0, 2)) {
        options.m_ReplyWait = Seconds(*seconds);
    }
    if (auto bytes = ReadNumberVariable(server, "RconMaxOutput", 1024, 1048576)) {
        options.m_MaxOutput = static_cast<size_t>(*bytes);
    }
    return options;
}

} // namespace dravo
