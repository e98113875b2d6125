// The stand-in sidecar's game server: the SDK calls it answers, as the gateway does, and the object the
// watch streams.
#include "support/SdkStandIn.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>

namespace dravo::test {
namespace {

using Json = nlohmann::json;
constexpr const char* LISTS_PREFIX = "/v1beta1/lists/";

// The gateway's refusal: the gRPC status as JSON.
std::string Refusal(int code, const std::string& message) {
    return Json{{"code", code}, {"message", message}, {"details", Json::array()}}.dump();
}

} // namespace

SdkStandIn::Answer SdkStandIn::Handle(const Request& request, bool& watch) {
    std::scoped_lock lock(m_Mutex);
    m_Requests.push_back(request);
    Noted();
    const Json body = Json::parse(request.m_Body.empty() ? "{}" : request.m_Body, nullptr, false);
    if (body.is_discarded()) {
        return {400, Refusal(3, "invalid JSON")};
    }
    if (m_Failing) {
        return {503, Refusal(14, "connection error")};
    }
    const std::string& path = request.m_Path;
    if (const auto refused = m_RefuseWith.find(path); refused != m_RefuseWith.end()) {
        return {refused->second, Refusal(3, "refused by the test")};
    }
    if (request.m_Method == "GET" && path == "/watch/gameserver") {
        watch = true;
        return {200, GameServerJson()};
    }
    if (request.m_Method == "GET" && path == "/gameserver") {
        return {200, Json::parse(GameServerJson())["result"].dump()};
    }
    if (request.m_Method == "POST" && (path == "/ready" || path == "/shutdown" || path == "/allocate")) {
        m_State = path == "/ready" ? "Ready" : path == "/shutdown" ? "Shutdown" : "Allocated";
        Changed();
        return {200, "{}"};
    }
    if (request.m_Method == "POST" && path == "/health") {
        return {200, "{}"};
    }
    if (request.m_Method == "PUT" && (path == "/metadata/label" || path == "/metadata/annotation")) {
        if (!body.contains("key") || !body["key"].is_string() || !body.value("value", Json("")).is_string()) {
            return {400, Refusal(3, "key and value must be texts")};
        }
        auto& map = path == "/metadata/label" ? m_Labels : m_Annotations;
        map[body["key"].get<std::string>()] = body.value("value", "");
        Changed();
        return {200, "{}"};
    }
    if (path.rfind(LISTS_PREFIX, 0) == 0) {
        return HandleList(request);
    }
    if (path.rfind("/alpha/player/", 0) == 0) {
        return HandlePlayers(request);
    }
    return {404, Refusal(5, "Not Found")};
}

SdkStandIn::Answer SdkStandIn::HandleList(const Request& request) {
    std::string name = request.m_Path.substr(std::strlen(LISTS_PREFIX));
    const size_t colon = name.find(':');
    const std::string action = colon == std::string::npos ? std::string() : name.substr(colon);
    name = name.substr(0, colon);
    if (name != "players" || !m_HasList) {
        return {404, Refusal(5, "not found. " + name + " List not found")};
    }
    const Json body = Json::parse(request.m_Body.empty() ? "{}" : request.m_Body, nullptr, false);
    if (request.m_Method == "POST" && (action == ":addValue" || action == ":removeValue")) {
        if (!body.contains("value") || !body["value"].is_string()) {
            return {400, Refusal(3, "value must be a text")};
        }
        const std::string value = body["value"].get<std::string>();
        const auto at = std::find(m_ListValues.begin(), m_ListValues.end(), value);
        if (action == ":addValue" && at != m_ListValues.end()) {
            return {409, Refusal(6, "already exists. Value: " + value + " already in List: players")};
        }
        if (action == ":addValue" && static_cast<int64_t>(m_ListValues.size()) >= m_ListCapacity) {
            return {400, Refusal(11, "out of range. No available capacity")};
        }
        if (action == ":removeValue" && at == m_ListValues.end()) {
            return {404, Refusal(5, "not found. Value: " + value + " not in List: players")};
        }
        if (action == ":addValue") {
            m_ListValues.push_back(value);
        } else {
            m_ListValues.erase(at);
        }
        Changed();
    } else if (request.m_Method == "PATCH" && action.empty()) {
        if (body.contains("capacity")) {
            if (!body["capacity"].is_string()) {
                return {400, Refusal(3, "capacity must be an int64 as a string")};
            }
            m_ListCapacity = std::stoll(body["capacity"].get<std::string>());
            m_ListValues.resize(std::min<size_t>(m_ListValues.size(), static_cast<size_t>(m_ListCapacity)));
        }
        if (body.contains("values")) {
            m_ListValues = body["values"].get<std::vector<std::string>>(); // overwrites every writer's values
        }
        Changed();
    } else if (request.m_Method != "GET" || !action.empty()) {
        return {404, Refusal(5, "Not Found")};
    }
    return {200, Json{{"name", name}, {"capacity", std::to_string(m_ListCapacity)}, {"values", m_ListValues}}.dump()};
}

SdkStandIn::Answer SdkStandIn::HandlePlayers(const Request& request) {
    if (!m_Tracking) {
        return {400, Refusal(9, "PlayerTracking is not enabled")};
    }
    const Json body = Json::parse(request.m_Body.empty() ? "{}" : request.m_Body, nullptr, false);
    const std::string& path = request.m_Path;
    if (path == "/alpha/player/capacity" && request.m_Method == "PUT") {
        m_TrackedCapacity = std::stoll(body.value("count", std::string("0")));
    } else if (path == "/alpha/player/connect" || path == "/alpha/player/disconnect") {
        const std::string id = body.value("playerID", std::string());
        const bool connect = path == "/alpha/player/connect";
        const bool changed = connect ? m_Tracked.insert(id).second : m_Tracked.erase(id) > 0;
        Changed();
        return {200, Json{{"bool", changed}}.dump()};
    } else {
        return {404, Refusal(5, "Not Found")};
    }
    Changed();
    return {200, "{}"};
}

std::string SdkStandIn::GameServerJson() const {
    Json lists = Json::object();
    if (m_HasList) {
        lists["players"] = {{"capacity", std::to_string(m_ListCapacity)}, {"values", m_ListValues}};
    }
    Json labels = Json::object();
    for (const auto& [key, value] : m_Labels) {
        labels["agones.dev/sdk-" + key] = value;
    }
    Json annotations = Json::object();
    for (const auto& [key, value] : m_Annotations) {
        annotations[key] = value;
    }
    Json ports = Json::array();
    for (const auto& [name, port] : m_Ports) {
        ports.push_back({{"name", name}, {"port", port}});
    }
    const Json server = {{"object_meta",
                          {{"name", "dravo-standin"},
                           {"namespace", "default"},
                           {"generation", "1"},
                           {"labels", labels},
                           {"annotations", annotations}}},
                         {"spec", {{"health", {{"period_seconds", 5}, {"failure_threshold", 3}}}}},
                         {"status", {{"state", m_State}, {"address", m_Address}, {"ports", ports}, {"lists", lists}}}};
    return Json{{"result", server}}.dump();
}

void SdkStandIn::SetPorts(const std::vector<std::pair<std::string, int64_t>>& ports) {
    std::scoped_lock lock(m_Mutex);
    m_Ports = ports;
    Changed();
}

} // namespace dravo::test
