// Reading the remote console's options.
#include "services/rcon/RconOptions.h"

namespace dravo {

RconOptions ReadRconOptions(VariableReader& reader, uint16_t gamePort) {
    namespace variable = service_variable;
    RconOptions options;
    options.m_Port = gamePort;
    const std::string password = reader.Text(variable::RCON_PASSWORD).value_or("");
    if (password.empty()) {
        return options;
    }
    if (password.size() < MIN_RCON_PASSWORD_CHARS) {
        options.m_Problems.push_back("RconPassword is shorter than " + std::to_string(MIN_RCON_PASSWORD_CHARS) +
                                     " characters.");
        return options;
    }
    options.m_Enabled = true;
    options.m_Port = static_cast<uint16_t>(reader.Whole(variable::RCON_PORT).value_or(gamePort));
    options.m_BindAddress = reader.Address(variable::RCON_BIND_ADDRESS).value_or(options.m_BindAddress);
    TcpServerLimits& limits = options.m_Limits;
    limits.m_MaxConnections = reader.Whole(variable::RCON_MAX_CONNECTIONS).value_or(limits.m_MaxConnections);
    limits.m_MaxPerAddress = reader.Whole(variable::RCON_MAX_PER_ADDRESS).value_or(limits.m_MaxPerAddress);
    limits.m_FirstDeadline = reader.Seconds(variable::RCON_LOGIN_TIMEOUT).value_or(limits.m_FirstDeadline);
    options.m_IdleTimeout = reader.Seconds(variable::RCON_IDLE_TIMEOUT).value_or(options.m_IdleTimeout);
    options.m_Guard.m_MaxFailures = reader.Whole(variable::RCON_MAX_FAILURES).value_or(options.m_Guard.m_MaxFailures);
    if (auto lockout = reader.Seconds(variable::RCON_LOCKOUT)) {
        options.m_Guard.m_BaseLockoutMs = static_cast<uint64_t>(lockout->count());
    }
    options.m_MaxOutput = reader.Whole(variable::RCON_MAX_OUTPUT).value_or(options.m_MaxOutput);
    options.m_Problems = reader.TakeProblems();
    return options;
}

} // namespace dravo
