// SessionFacts: what the services beside the console window (the fleet client, metrics) read of the
// hosted game.
//
// Contract. The session writes each fact when it happens, on the thread it happens on: the start and the
// end of hosting on the window thread, players and level changes on the thread that delivers the game's
// messages, the step count on the worker thread. Readers on any thread take a snapshot, or read the step
// counter, which costs the worker one relaxed atomic increment a step and never a lock, so that a reader
// can tell a game loop that makes progress from a wedged one without touching UpdateLock. Listeners hear of
// every change but steps, on the writer's thread, with the facts' own lock held: they only take note (wake
// a thread of their own) and return. Nothing here ever waits for a reader.
#pragma once

#include "host/state/PlayerRoster.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace dravo {

enum class HostingPhase : uint8_t {
    NotStarted, // start-up has not hosted the game yet
    Running,    // "Server is running." has been logged: frames run
    Ended,      // hosting has stopped for good, or never started
};

// The game as hosting starts it.
struct HostedGame {
    int32_t m_MaxPlayers = 0;
    std::string m_GameType;              // the type reported to GameSpy (SpyGameType)
    std::vector<std::string> m_Rotation; // the level rotation, in order
    std::string m_FirstLevel;
    uint32_t m_StartMs = 0;      // the session clock's time when hosting began (the uptime's start)
    std::string m_HostAddress{}; // the address the game is hosted on, as the engine names it
};

struct SessionSnapshot {
    HostingPhase m_Phase = HostingPhase::NotStarted;
    HostedGame m_Game;
    std::string m_Level;                // the level now played, as the game names it
    std::vector<std::string> m_Players; // the names of the players in the game, in the player list's order
    std::vector<RosterPlayer> m_Roster; // the same players with their ids, frags, pings and join times
    uint64_t m_LevelChanges = 0;        // level changes the game has finished since hosting began
    uint64_t m_Version = 0;             // grows with every change
};

class SessionFacts {
public:
    using Listener = std::function<void()>;

    // The session's side.
    void CountStep() { m_Steps.fetch_add(1, std::memory_order_relaxed); }
    void HostingStarted(HostedGame game);
    void HostingEnded();
    // The players of the game's latest state update, in the list's order; a player keeps the join time of
    // the entry with the same id (and name) before, a new one joins at `nowMs`. Listeners hear only of a
    // change of who plays, not of a frag or a ping.
    void SetPlayers(std::vector<RosterPlayer> players, uint32_t nowMs);
    void LevelChanged(std::string level);
    void SetGameType(std::string gameType);

    // The readers' side.
    uint64_t Steps() const { return m_Steps.load(std::memory_order_relaxed); }
    SessionSnapshot Snapshot() const;
    // The roster alone.
    std::vector<RosterPlayer> Roster() const;
    // Returns an id for RemoveListener; a listener must be removed before it is destroyed.
    int AddListener(Listener listener);
    void RemoveListener(int id);

private:
    template <typename Change> void Update(Change&& change);

    std::atomic<uint64_t> m_Steps{0};
    mutable std::mutex m_Mutex;
    SessionSnapshot m_Facts;                           // guarded by m_Mutex
    std::vector<std::pair<int, Listener>> m_Listeners; // guarded by m_Mutex
    int m_NextListener = 1;
};

} // namespace dravo
