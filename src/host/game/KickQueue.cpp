// The kick queue: waiting, booting, and calling the engine outside the lock.
#include "host/game/KickQueue.h"
#include "host/state/SessionCounters.h"

#include "engine/EngineServer.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dravo {

namespace {

int32_t SaturatingAdd(int32_t waited, uint32_t elapsedMs) {
    const int64_t sum = static_cast<int64_t>(waited) + static_cast<int64_t>(elapsedMs);
    return static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
}

// Names are told apart by their first characters only, as the ban list matches them.
constexpr size_t NAME_MATCH_LENGTH = 63;

// True when the engine's client with this id is still the player of this name: an id that the player's
// departure freed may have gone to someone else since the kick was queued.
bool StillNamed(EngineServer& server, uint32_t clientId, std::string_view name) {
    const uint32_t clients = server.CountClients();
    for (uint32_t index = 0; index < clients; ++index) {
        ClientRecord record{};
        if (server.DescribeClient(index, &record) != ENGINE_TRUE || record.m_ClientId != clientId) {
            continue;
        }
        const std::string_view current(record.m_Name, strnlen(record.m_Name, sizeof record.m_Name));
        return current.substr(0, NAME_MATCH_LENGTH) == name.substr(0, NAME_MATCH_LENGTH);
    }
    return false;
}

} // namespace

void KickQueue::SetServer(EngineServer* server) {
    const std::lock_guard lock(m_Mutex);
    m_Server = server;
}

bool KickQueue::QueueKick(std::string_view name, uint32_t clientId) {
    const std::lock_guard lock(m_Mutex);
    const bool queued = std::any_of(m_Entries.begin(), m_Entries.end(),
                                    [name](const KickEntry& entry) { return entry.m_Name == name; });
    if (queued) {
        return false;
    }
    m_Entries.push_back(KickEntry{std::string(name), clientId, 0});
    return true;
}

bool KickQueue::IsQueued(std::string_view name) const {
    const std::lock_guard lock(m_Mutex);
    return std::any_of(m_Entries.begin(), m_Entries.end(),
                       [name](const KickEntry& entry) { return entry.m_Name == name; });
}

void KickQueue::ClearKicks() {
    const std::lock_guard lock(m_Mutex);
    m_Entries.clear();
}

void KickQueue::AdvanceKicks(uint32_t elapsedMs) {
    EngineServer* server = nullptr;
    std::vector<KickEntry> due;
    {
        const std::lock_guard lock(m_Mutex);
        if (m_Entries.empty() || m_Server == nullptr) {
            return;
        }
        server = m_Server;
        for (auto it = m_Entries.begin(); it != m_Entries.end();) {
            if (it->m_Waited < KICK_DELAY_MS) {
                it->m_Waited = SaturatingAdd(it->m_Waited, elapsedMs);
                ++it;
            } else {
                due.push_back(std::move(*it));
                it = m_Entries.erase(it);
            }
        }
    }
    // The engine may call back into the front end and queue again; the lock is free by now.
    for (const KickEntry& entry : due) {
        if (StillNamed(*server, entry.m_ClientId, entry.m_Name)) {
            server->DisconnectClient(entry.m_ClientId);
            if (m_Counters != nullptr) {
                m_Counters->CountBanKick();
            }
        }
    }
}

std::vector<KickEntry> KickQueue::Entries() const {
    const std::lock_guard lock(m_Mutex);
    return m_Entries;
}

} // namespace dravo
