// KickQueue: banned players waiting to be booted through the engine.
//
// The worker thread advances the queue in its update step while state updates,
// which queue players, may arrive on the window thread, so the queue guards its
// entries with its own mutex. The mutex is never held while the engine is called:
// DisconnectClient may call back into the front end, which may queue again.
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

class EngineServer;
class SessionCounters;

// An entry is booted at the first step that finds it has waited this long.
constexpr int32_t KICK_DELAY_MS = 50;

struct KickEntry {
    std::string m_Name;  // player name as the game reported it
    uint32_t m_ClientId; // the id passed to DisconnectClient
    int32_t m_Waited;    // milliseconds spent on the queue, 0 when queued
};

class KickQueue {
public:
    // Without a server object the queue never boots anyone.
    void SetServer(EngineServer* server);
    // Where the boots are counted (not owned); none when null.
    void SetCounters(SessionCounters* counters) { m_Counters = counters; }

    // Appends the player with waited 0; false, and nothing changed, when the name is queued already.
    [[nodiscard]] bool QueueKick(std::string_view name, uint32_t clientId);
    [[nodiscard]] bool IsQueued(std::string_view name) const;
    void ClearKicks();

    // Adds the elapsed time to the waiting entries and boots, in queue order, those that waited enough:
    // each only when the engine's client of its id still has its name (a player who left and whose id
    // went to someone else is not booted in their place).
    void AdvanceKicks(uint32_t elapsedMs);

    // A copy of the entries, in queue order.
    std::vector<KickEntry> Entries() const;

private:
    mutable std::mutex m_Mutex;
    EngineServer* m_Server = nullptr; // not owned
    SessionCounters* m_Counters = nullptr;
    std::vector<KickEntry> m_Entries;
};

} // namespace dravo
