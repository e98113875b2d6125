// The sidecar's port, from the environment or the engine's variables.
#include "services/fleet/FleetSettings.h"

#include <charconv>

namespace dravo {
namespace {

std::optional<int> ParsePort(std::string_view text) {
    int port = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (error != std::errc() || end != text.data() + text.size() || port < 0 || port > 65535) {
        return std::nullopt;
    }
    return port;
}

FleetSidecar FromText(std::string_view text, std::string_view origin) {
    FleetSidecar sidecar;
    const std::optional<int> port = ParsePort(text);
    if (!port) {
        sidecar.m_Problem = "Agones SDK: " + std::string(origin) + " \"" + std::string(text) +
                            "\" is not a port from 0 to 65535; the fleet client is off.";
    } else if (*port > 0) {
        sidecar.m_BaseUrl = "http://localhost:" + std::to_string(*port);
    }
    return sidecar;
}

} // namespace

FleetSidecar FindFleetSidecar(const char* environmentPort, VariableReader& reader) {
    if (environmentPort != nullptr && environmentPort[0] != '\0') {
        return FromText(environmentPort, SDK_PORT_ENVIRONMENT);
    }
    FleetSidecar sidecar;
    if (const std::optional<uint32_t> port = reader.Whole(service_variable::AGONES_SDK_PORT); port && *port > 0) {
        sidecar.m_BaseUrl = "http://localhost:" + std::to_string(*port);
    }
    for (const std::string& problem : reader.TakeProblems()) {
        sidecar.m_Problem = "Agones SDK: " + problem;
    }
    return sidecar;
}

AllocatedEmptyOptions ReadAllocatedEmpty(VariableReader& reader, std::vector<std::string>& notes) {
    constexpr uint32_t MS_PER_SECOND = 1000;
    AllocatedEmptyOptions options;
    options.m_DelayMs = reader.Whole(service_variable::ALLOCATED_EMPTY_DELAY).value_or(0) * MS_PER_SECOND;
    if (const std::optional<std::string> action = reader.Text(service_variable::ALLOCATED_EMPTY_ACTION)) {
        if (const std::optional<EmptyAction> read = ReadEmptyAction(*action)) {
            options.m_Action = *read;
        } else {
            notes.push_back("Agones SDK: AllocatedEmptyAction \"" + action->substr(0, 64) +
                            "\" is neither \"shutdown\" nor \"ready\"; shutdown holds.");
        }
    }
    for (const std::string& problem : reader.TakeProblems()) {
        notes.push_back("Agones SDK: " + problem);
    }
    return options;
}

} // namespace dravo
