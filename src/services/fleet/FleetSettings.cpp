// The sidecar's port, from the environment or the engine's variables.
#include "services/fleet/FleetSettings.h"

#include "platform/os/Text.h"

#include <charconv>

namespace dravo {
namespace {

constexpr size_t PORT_TEXT_SIZE = 64;

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

FleetSidecar FindFleetSidecar(const char* environmentPort, EngineServer* server) {
    if (environmentPort != nullptr && environmentPort[0] != '\0') {
        return FromText(environmentPort, SDK_PORT_ENVIRONMENT);
    }
    VariableHandle handle = nullptr;
    char text[PORT_TEXT_SIZE] = {};
    if (server == nullptr || server->FindVariable(SDK_PORT_VARIABLE, &handle, nullptr) != ENGINE_STATUS_OK ||
        handle == nullptr || server->ReadVariableText(handle, text, sizeof text) != ENGINE_STATUS_OK ||
        text[0] == '\0') {
        return {};
    }
    return FromText(BoundedText(text, sizeof text), SDK_PORT_VARIABLE);
}

} // namespace dravo
