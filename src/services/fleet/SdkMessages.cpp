// Building and reading the sidecar's JSON with nlohmann::json, exceptions kept inside.
#include "services/fleet/SdkMessages.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdint>
#include <utility>

namespace dravo {
namespace {

using Json = nlohmann::json;

std::string Dump(const Json& value) {
    // Bytes that are not UTF-8 (a player name in another code page) are replaced rather than refused.
    return value.dump(-1, ' ', false, Json::error_handler_t::replace);
}

bool IsLabelChar(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '_' ||
           c == '-';
}

bool IsAlphanumeric(char c) {
    return IsLabelChar(c) && c != '.' && c != '_' && c != '-';
}

void ReadPorts(const Json& status, std::vector<GameServerPort>& ports) {
    const auto list = status.find("ports");
    if (list == status.end() || !list->is_array()) {
        return;
    }
    for (const Json& entry : *list) {
        if (ports.size() == MAX_GAME_SERVER_PORTS) {
            return;
        }
        const auto name = entry.is_object() ? entry.find("name") : entry.end();
        const auto port = entry.is_object() ? entry.find("port") : entry.end();
        if (port == entry.end() || !port->is_number_integer()) {
            continue;
        }
        GameServerPort read;
        read.m_Name = name != entry.end() && name->is_string() ? name->get<std::string>() : std::string();
        read.m_Port = port->is_number_unsigned()
                          ? static_cast<int64_t>(std::min<uint64_t>(port->get<uint64_t>(), INT64_MAX))
                          : port->get<int64_t>();
        ports.push_back(std::move(read));
    }
}

} // namespace

std::string EmptyBody() {
    return "{}";
}

std::string KeyValueBody(std::string_view key, std::string_view value) {
    return Dump(Json{{"key", key}, {"value", value}});
}

std::string CapacityBody(int64_t capacity) {
    return Dump(Json{{"capacity", std::to_string(capacity)}});
}

std::string ValueBody(std::string_view value) {
    return Dump(Json{{"value", value}});
}

std::string CountBody(int64_t count) {
    return Dump(Json{{"count", std::to_string(count)}});
}

std::string PlayerIdBody(std::string_view playerId) {
    return Dump(Json{{"playerID", playerId}});
}

std::optional<GameServerView> ReadGameServer(std::string_view json) {
    const Json parsed = Json::parse(json, nullptr, false);
    if (!parsed.is_object()) {
        return std::nullopt;
    }
    const auto result = parsed.find("result");
    const Json& object = result != parsed.end() ? *result : parsed;
    if (!object.is_object()) {
        return std::nullopt;
    }
    const auto status = object.find("status");
    if (status == object.end() || !status->is_object()) {
        return std::nullopt;
    }
    const auto state = status->find("state");
    if (state == status->end() || !state->is_string()) {
        return std::nullopt;
    }
    GameServerView view;
    view.m_State = state->get<std::string>();
    const auto address = status->find("address");
    if (address != status->end() && address->is_string()) {
        view.m_Address = address->get<std::string>();
    }
    ReadPorts(*status, view.m_Ports);
    const auto meta = object.find("object_meta");
    if (meta != object.end() && meta->is_object()) {
        const auto annotations = meta->find("annotations");
        if (annotations != meta->end() && annotations->is_object()) {
            for (const auto& [key, value] : annotations->items()) {
                if (value.is_string()) {
                    view.m_Annotations[key] = value.get<std::string>();
                }
            }
        }
    }
    return view;
}

bool IsRefusal(std::string_view json) {
    const Json parsed = Json::parse(json, nullptr, false);
    if (!parsed.is_object()) {
        return false;
    }
    const auto code = parsed.find("code");
    return code != parsed.end() && code->is_number_integer() && parsed.contains("message");
}

std::string LabelValue(std::string_view text) {
    const size_t slash = text.find_last_of("/\\");
    if (slash != std::string_view::npos) {
        text.remove_prefix(slash + 1);
    }
    std::string value;
    for (const char c : text) {
        value += IsLabelChar(c) ? c : '_';
    }
    const auto first = std::find_if(value.begin(), value.end(), IsAlphanumeric);
    value.erase(value.begin(), first);
    if (value.size() > MAX_LABEL_VALUE_CHARS) {
        value.resize(MAX_LABEL_VALUE_CHARS);
    }
    while (!value.empty() && !IsAlphanumeric(value.back())) {
        value.pop_back();
    }
    return value;
}

} // namespace dravo
