// The kick queue: waiting, booting, and calling the engine outside the lock.
#include "host/KickQueue.h"
#include "host/SessionCounters.h"

#include "engine/EngineServer.h"

#include <algorithm>
#include <limits>

namespace dravo {

namespace {

int32_t SaturatingAdd(int32_t waited, uint32_t elapsedMs) {
    const int64_t sum = static_cast<int64_t>(waited) + static_cast<int64_t>(elapsedMs);
    return static_cast<int32_t>(std::min<int64_t>(sum, std::numeric_limits<int32_t>::max()));
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
    std::vector<uint32_t> due;
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
                due.push_back(it->m_ClientId);
                it = m_Entries.erase(it);
            }
        }
    }
    // The engine may call back into the front end and queue again; the lock is free by now.
    for (const uint32_t clientId : due) {
        server->DisconnectClient(clientId);
        if (m_Counters != nullptr) {
            m_Counters->CountBanKick();
        }
    }
}

std::vector<KickEntry> KickQueue::Entries() const {
    const std::lock_guard lock(m_Mutex);
    return m_Entries;
}

} // namespace dravo
