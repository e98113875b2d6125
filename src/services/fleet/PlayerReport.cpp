// Keeping the sidecar's players list, or its player tracking, in step with the game.
#include "services/fleet/PlayerReport.h"

#include "services/fleet/SdkMessages.h"

#include <algorithm>

namespace dravo {

void PlayerReport::Want(const std::vector<std::string>& names, int32_t maxPlayers) {
    m_Capacity = std::clamp<int64_t>(maxPlayers, 0, MAX_LIST_CAPACITY);
    m_Wanted.clear();
    for (const std::string& name : names) {
        if (!name.empty() && std::find(m_Wanted.begin(), m_Wanted.end(), name) == m_Wanted.end() &&
            static_cast<int64_t>(m_Wanted.size()) < m_Capacity) {
            m_Wanted.push_back(name);
        }
    }
    std::erase_if(m_Refused, [&](const std::string& name) {
        return std::find(m_Wanted.begin(), m_Wanted.end(), name) == m_Wanted.end();
    });
}

std::string PlayerReport::ListPath() const {
    return std::string(sdk_path::LISTS) + PLAYERS_LIST;
}

std::string PlayerReport::ValuePath(const char* action) const {
    return ListPath() + action;
}

std::optional<SdkCall> PlayerReport::Next() const {
    switch (m_Way) {
    case Way::Unknown:
    case Way::List:
        if (m_ListedCapacity != m_Capacity) {
            return SdkCall{"PATCH", ListPath(), CapacityBody(m_Capacity)};
        }
        for (const std::string& name : m_Wanted) {
            if (m_Added.count(name) == 0 && m_Refused.count(name) == 0) {
                return SdkCall{"POST", ValuePath(sdk_path::ADD_VALUE), ValueBody(name)};
            }
        }
        for (const std::string& name : m_Added) {
            if (std::find(m_Wanted.begin(), m_Wanted.end(), name) == m_Wanted.end()) {
                return SdkCall{"POST", ValuePath(sdk_path::REMOVE_VALUE), ValueBody(name)};
            }
        }
        return std::nullopt;
    case Way::TryingTracking:
    case Way::Tracking:
        if (m_ListedCapacity != m_Capacity) {
            return SdkCall{"PUT", sdk_path::PLAYER_CAPACITY, CountBody(m_Capacity)};
        }
        for (const std::string& name : m_Wanted) {
            if (m_Connected.count(name) == 0) {
                return SdkCall{"POST", sdk_path::PLAYER_CONNECT, PlayerIdBody(name)};
            }
        }
        for (const std::string& name : m_Connected) {
            if (std::find(m_Wanted.begin(), m_Wanted.end(), name) == m_Wanted.end()) {
                return SdkCall{"POST", sdk_path::PLAYER_DISCONNECT, PlayerIdBody(name)};
            }
        }
        return std::nullopt;
    case Way::Off:
        break;
    }
    return std::nullopt;
}

std::string PlayerReport::Answered(const SdkCall& call, bool done) {
    if (call.m_Path.rfind(ListPath(), 0) == 0) {
        return ListAnswered(call, done);
    }
    if (call.m_Path == sdk_path::PLAYER_CAPACITY) {
        if (!done) {
            const bool trying = m_Way == Way::TryingTracking;
            m_Way = Way::Off;
            return trying ? "Agones SDK: the fleet defines no list \"" + std::string(PLAYERS_LIST) +
                                "\" and player tracking is off: players are not reported."
                          : std::string();
        }
        const bool first = m_Way == Way::TryingTracking;
        m_Way = Way::Tracking;
        m_ListedCapacity = m_Capacity;
        return first ? "Agones SDK: the fleet defines no list \"" + std::string(PLAYERS_LIST) +
                           "\"; players are reported through player tracking (capacity " + std::to_string(m_Capacity) +
                           ")."
                     : std::string();
    }
    // A connect or disconnect the gateway refused (a full server, a player it does not know) is not
    // asked again: it would be refused again.
    const auto isCalled = [&](const std::string& player) { return PlayerIdBody(player) == call.m_Body; };
    if (call.m_Path == sdk_path::PLAYER_CONNECT) {
        const auto player = std::find_if(m_Wanted.begin(), m_Wanted.end(), isCalled);
        if (player != m_Wanted.end()) {
            m_Connected.insert(*player);
        }
    } else if (call.m_Path == sdk_path::PLAYER_DISCONNECT) {
        std::erase_if(m_Connected, isCalled);
    }
    return {};
}

std::string PlayerReport::ListAnswered(const SdkCall& call, bool done) {
    const auto called = std::find_if(m_Wanted.begin(), m_Wanted.end(),
                                     [&](const std::string& name) { return ValueBody(name) == call.m_Body; });
    if (call.m_Path == ValuePath(sdk_path::ADD_VALUE)) {
        if (called != m_Wanted.end()) {
            (done ? m_Added : m_Refused).insert(*called);
        }
        return {};
    }
    if (call.m_Path == ValuePath(sdk_path::REMOVE_VALUE)) {
        // Removed, or no longer there (someone else removed it): not ours to keep either way.
        std::erase_if(m_Added, [&](const std::string& name) { return ValueBody(name) == call.m_Body; });
        return {};
    }
    if (!done && m_Way == Way::Unknown) {
        m_Way = Way::TryingTracking;
        m_ListedCapacity = -1;
        return {};
    }
    // The capacity, set or refused for good (the next MaxPlayers tries again).
    const bool first = m_Way == Way::Unknown;
    m_Way = Way::List;
    m_ListedCapacity = m_Capacity;
    return first ? "Agones SDK: players are reported in the list \"" + std::string(PLAYERS_LIST) + "\" (capacity " +
                       std::to_string(m_Capacity) + ")."
                 : std::string();
}

} // namespace dravo
