// GameMessageHandler: the game code's messages and the state they keep.
//
// Contract. Messages arrive on whichever thread is inside the engine: the worker
// thread during a frame, sometimes the window thread during one of its calls.
// What they change (the player table, the level, the empty-server countdown) is
// guarded by UpdateLock, which Handle takes (re-entrant, so the worker's own
// frame passes straight through). A level change takes UpdateLock when it
// begins and releases it when it ends, on the thread that delivers the
// messages. What the console window shows goes to ISessionView as snapshots.
// As the session's IGameStatus it is read under UpdateLock.
#pragma once

#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "host/console/ConsoleLog.h"
#include "host/console/SessionView.h"
#include "host/game/BanList.h"
#include "host/game/EmptyExitCountdown.h"
#include "host/game/KickQueue.h"
#include "host/game/PlayerTable.h"
#include "host/state/SessionFacts.h"
#include "host/state/UpdateLock.h"
#include "net/query/GameStatus.h"
#include "platform/os/Clock.h"
#include "settings/TuningVariables.h"

#include <atomic>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dravo {

// What the handler works with; all owned by the session, which outlives it.
struct GameMessageParts {
    ISessionView& m_View;
    ConsoleLog& m_Log;
    IClock& m_Clock;
    UpdateLock& m_Lock;
    const BanList& m_Bans;
    KickQueue& m_Kicks;
    const std::atomic<bool>& m_EmptyExitEnabled;
    const TuningVariables& m_Tuning; // the empty-exit delay
    SessionFacts& m_Facts;           // who plays and which level, for the services beside the window
    const GameInfo& m_Game;          // the end rule, to tell why a level ended
};

// Why a level ended, as the console log tells it.
enum class LevelEnd { Operator, FragLimit, TimeLimit, Game };
// "operator", "frag_limit", "time_limit", "game": the reason of a "level.changed" event.
std::string_view LevelEndName(LevelEnd why);

class GameMessageHandler final : public IGameStatus {
public:
    explicit GameMessageHandler(GameMessageParts parts) : m_Parts(parts) {}

    // The engine the pings come from, when the session is prepared.
    void Attach(EngineServer* server);
    // When hosting starts: the first level begins now.
    void StartLevelClock(uint32_t nowMs) { m_LevelStart = nowMs; }
    // Back to no players, no level, no level change, the countdown disarmed.
    void Reset();

    // One tagged-field message; null is ignored.
    void Handle(const char* text);

    bool IsLevelChanging() const { return m_LevelChange; }
    // The operator asked for the next level: the level that ends next ends by the operator's hand.
    void NoteNextLevelAsked() { m_NextLevelAsked = true; }
    // Why the level that is ending now ends, from the end rule, the latest frags, the level's time and
    // what the operator asked; under UpdateLock. The top player's name goes to `leader`.
    LevelEnd EndReason(uint32_t nowMs, std::string& leader) const;
    // After a call into the engine returns on this thread: ends a level change the game began on it
    // during the call and did not end, releasing its hold on UpdateLock. True when there was one.
    bool EndStrayLevelChange();
    uint32_t LevelStartMs() const { return m_LevelStart; }
    void SetCurrentLevel(std::string_view level);
    // The update step's share, under UpdateLock: true when the empty-server countdown ran out now.
    bool AdvanceCountdown(uint32_t deltaMs) { return m_Countdown.Advance(deltaMs); }

    // IGameStatus, under UpdateLock.
    std::string_view CurrentLevel() const override { return m_CurrentLevel; }
    int32_t PlayerCount() const override { return m_Players.Count(); }
    PlayerStatus Player(int32_t index) const override;
    uint64_t Revision() const override { return m_Revision; }

private:
    void HandleStateUpdate(std::string_view message);
    void HandleLevelChanged(std::string_view message);
    // "player.joined" and "player.left" for the players that came and went between two updates.
    void LogPlayerChanges(const std::vector<RosterPlayer>& before, const std::vector<RosterPlayer>& after);
    void LogLevelChange(std::string_view ended, LevelEnd why, const std::string& leader,
                        std::optional<std::string_view> current, std::optional<std::string_view> next);
    void QueueIfBanned(const PlayerEntry& entry);
    void UpdateCountdown(int32_t previous, int32_t count);
    static PlayerListSnapshot Snapshot(const std::vector<RosterPlayer>& roster);
    int32_t PingOf(uint32_t clientId) const;
    void KeepJoinTimes(std::vector<RosterPlayer>& roster);

    GameMessageParts m_Parts;
    EngineServer* m_Server = nullptr;
    std::atomic<bool> m_LevelChange{false};
    std::atomic<uint32_t> m_LevelStart{0};
    std::atomic<bool> m_NextLevelAsked{false};
    // Guarded by UpdateLock.
    PlayerTable m_Players;
    std::vector<RosterPlayer> m_Listed; // the players in table order, with the times they were first listed
    std::string m_CurrentLevel;
    uint64_t m_Revision = 0; // grows with every change of the two above
    EmptyExitCountdown m_Countdown;
};

} // namespace dravo
