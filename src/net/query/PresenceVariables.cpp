// Reading the presence overrides from the engine's variable store.
#include "net/query/PresenceVariables.h"

namespace dravo {

PresenceVariables ReadPresenceVariables(VariableReader& reader, const std::string& defaultUrl) {
    namespace variable = service_variable;
    PresenceVariables variables;
    variables.m_RegistrationUrl = reader.Text(variable::WEB_REG_URL).value_or(defaultUrl);
    if (auto pattern = reader.Text(variable::SPY_MASTER_HOST)) {
        variables.m_Reporter.m_MasterHostPattern = *pattern;
    }
    if (auto port = reader.Whole(variable::SPY_MASTER_PORT)) {
        variables.m_Reporter.m_MasterPort = static_cast<uint16_t>(*port);
    }
    if (auto port = reader.Whole(variable::SPY_QUERY_PORT)) {
        variables.m_QueryPort = static_cast<uint16_t>(*port);
    }
    variables.m_Advertised.m_Game = static_cast<uint16_t>(reader.Whole(variable::ADVERTISED_PORT).value_or(0));
    AnswerRateLimits& limits = variables.m_Reporter.m_Limits;
    limits.m_Burst = reader.Whole(variable::SPY_RATE_BURST).value_or(limits.m_Burst);
    limits.m_PerSecond = reader.Whole(variable::SPY_RATE_PER_SECOND).value_or(limits.m_PerSecond);
    limits.m_GlobalPerSecond = reader.Whole(variable::SPY_GLOBAL_RATE).value_or(limits.m_GlobalPerSecond);
    limits.m_GlobalBytesPerSecond = reader.Whole(variable::SPY_GLOBAL_BYTES).value_or(limits.m_GlobalBytesPerSecond);
    variables.m_Reporter.m_A2s = reader.Whole(variable::A2S_QUERIES).value_or(1) != 0;
    variables.m_Reporter.m_A2sInfoChallenge = reader.Whole(variable::A2S_INFO_CHALLENGE).value_or(1) != 0;
    return variables;
}

} // namespace dravo
