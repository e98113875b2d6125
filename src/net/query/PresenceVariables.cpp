// Reading the presence overrides from the engine's variable store.
#include "net/query/PresenceVariables.h"

#include <cmath>
#include <optional>

namespace dravo {
namespace {

// Long enough for a URL; a longer value is cut by the engine.
constexpr size_t VARIABLE_TEXT_SIZE = 1024;
constexpr float MAX_RATE = 1000000.0f;

VariableHandle Find(EngineServer& server, const char* name) {
    VariableHandle handle = nullptr;
    if (server.FindVariable(name, &handle, nullptr) != ENGINE_STATUS_OK) {
        return nullptr;
    }
    return handle;
}

// A non-empty text value.
std::optional<std::string> ReadText(EngineServer& server, const char* name) {
    VariableHandle handle = Find(server, name);
    char text[VARIABLE_TEXT_SIZE] = {};
    if (handle == nullptr || server.ReadVariableText(handle, text, sizeof text) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    text[sizeof text - 1] = '\0';
    if (text[0] == '\0') {
        return std::nullopt;
    }
    return std::string(text);
}

// A whole number from `low` to `high`; fractions are cut.
std::optional<uint32_t> ReadWhole(EngineServer& server, const char* name, float low, float high) {
    VariableHandle handle = Find(server, name);
    float value = 0.0f;
    if (handle == nullptr || server.ReadVariableFloat(handle, &value) != ENGINE_STATUS_OK) {
        return std::nullopt;
    }
    value = std::trunc(value);
    if (!(value >= low && value <= high)) { // NaN never passes
        return std::nullopt;
    }
    return static_cast<uint32_t>(value);
}

// A byte budget of up to 1 GiB a second; more is no budget at all (0 says that plainly).
constexpr uint32_t MAX_BYTES_PER_SECOND = 1024u * 1024u * 1024u;

} // namespace

PresenceVariables ReadPresenceVariables(EngineServer& server, const std::string& defaultUrl) {
    PresenceVariables variables;
    variables.m_RegistrationUrl = defaultUrl;
    if (auto pattern = ReadText(server, MASTER_HOST_VARIABLE)) {
        variables.m_Reporter.m_MasterHostPattern = *pattern;
    }
    if (auto port = ReadWhole(server, MASTER_PORT_VARIABLE, 1, UINT16_MAX)) {
        variables.m_Reporter.m_MasterPort = static_cast<uint16_t>(*port);
    }
    if (auto port = ReadWhole(server, QUERY_PORT_VARIABLE, 1, UINT16_MAX)) {
        variables.m_QueryPort = static_cast<uint16_t>(*port);
    }
    AnswerRateLimits& limits = variables.m_Reporter.m_Limits;
    if (auto burst = ReadWhole(server, RATE_BURST_VARIABLE, 0, MAX_RATE)) {
        limits.m_Burst = *burst;
    }
    if (auto rate = ReadWhole(server, RATE_PER_SECOND_VARIABLE, 0, MAX_RATE)) {
        limits.m_PerSecond = *rate;
    }
    if (auto rate = ReadWhole(server, GLOBAL_RATE_VARIABLE, 0, MAX_RATE)) {
        limits.m_GlobalPerSecond = *rate;
    }
    if (auto bytes = ReadWhole(server, GLOBAL_BYTES_VARIABLE, 0, static_cast<float>(MAX_BYTES_PER_SECOND))) {
        limits.m_GlobalBytesPerSecond = *bytes;
    }
    if (auto url = ReadText(server, REGISTRATION_URL_VARIABLE)) {
        variables.m_RegistrationUrl = *url;
    }
    return variables;
}

} // namespace dravo
