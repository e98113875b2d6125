// ServerSession: the running hosted game.
//
// Contract. The console window owns one session and calls InitSession,
// StartHosting, StopHosting and ResetSession on the window thread. The session
// joins four parts: the step driver (its own WorkerThread unless given one),
// which runs the update step about every 9 ms holding UpdateLock; the GameMessageHandler, which keeps the players and
// the level from the game code's messages; the InternetPresence (GameSpy and web registration); and the ConsoleLog. The
// engine calls back through the AppHandler operations on whichever thread is inside it. Nothing here waits for the
// window thread: what the window shows goes through ISessionView as snapshots.
#pragma once

#include "engine/AppHandler.h"
#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "host/console/ConsoleLog.h"
#include "host/console/SessionView.h"
#include "host/game/BanList.h"
#include "host/game/GameMessageHandler.h"
#include "host/game/KickQueue.h"
#include "host/session/InternetPresence.h"
#include "host/session/WorkerThread.h"
#include "host/state/SessionCounters.h"
#include "host/state/SessionFacts.h"
#include "host/state/UpdateLock.h"
#include "platform/os/Clock.h"
#include "settings/TuningVariables.h"

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace dravo {

constexpr uint16_t DEFAULT_GAME_PORT = 27888; // the port the engine uses when given 0
inline constexpr const char* BAN_LIST_FILE = "banned.txt";

// What the session reads of the operator's choices; owned by start-up.
struct SessionRecords {
    HostInfo& m_HostInfo;
    GameOptions& m_GameOptions;
    GameInfo& m_GameInfo;
    std::atomic<bool>& m_EmptyExitEnabled; // "-EMPTYEXIT", or EmptyExit at hosting time
    uint32_t m_GamePort;                   // the Port setting; 0 lets the engine choose
};

class ServerSession final : public AppHandler, private IUpdateStep {
public:
    // The steps run on the session's own WorkerThread, or on `steps` (which outlives the session).
    ServerSession(ISessionView& view, IClock& clock, SessionRecords records, IStepDriver* steps = nullptr);
    ~ServerSession() override;
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Window thread.
    [[nodiscard]] bool InitSession(EngineServer* server);
    [[nodiscard]] bool StartHosting();
    // Ends hosting: no new registration, the unregistration (none when stopping at once), the worker
    // joined, the query port closed.
    // The stop's work runs once, on the window thread, never holding UpdateLock; a second call (or one
    // after a failed start) returns at once. Whatever ends the game elsewhere only asks for it.
    bool StopHosting();
    void ResetSession();
    void EndSession();
    // Re-reads SpyGameType and SpyGameMode (after an operator command); skipped when the game holds
    // UpdateLock longer than a command may wait.
    void RefreshSpyLabels();
    // After an operator's call into the engine returns on the window thread: a level change the game
    // began during it and did not end is ended, with a line saying so.
    void EndStrayLevelChange();
    void SetCurrentLevel(std::string_view level) { m_Messages.SetCurrentLevel(level); }
    // The operator's Next Level: asks the game for the next level, so that the level's end is told as
    // the operator's. False when no game is hosted.
    bool NextLevel();
    // Runs a console command for the front end's own use (the names Tab completes): what the engine says
    // while it runs, on this thread, comes back here instead of going to the log; at most
    // MAX_QUERY_LINES lines. Window thread; nothing without a server object.
    std::vector<std::string> QueryEngine(const char* command);
    static constexpr size_t MAX_QUERY_LINES = 4096;

    // Any thread. The text of a printf-style line, cut to fit; outside text goes in as "%s".
    __attribute__((format(printf, 2, 3))) void LogLine(const char* format, ...);
    // Text from the game, the engine or the operator, logged verbatim.
    void LogText(std::string_view text) { m_Log.Text(text); }
    // A console command about to run, logged with the value it gives a secret variable masked.
    void LogCommand(std::string_view command) { m_Log.Command(command); }
    // Where the log's lines go besides the console window (the log file).
    ConsoleLog& Log() { return m_Log; }

    // AppHandler: the engine's calls, forwarded while the session is attached.
    int32_t OnGameText(const char* text) override;
    int32_t OnConsoleLine(const char* text) override;
    int32_t OnMemoryExhausted() override;
    int32_t OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) override;

    // What the console window reads.
    EngineServer* Server() const { return m_Server; }
    bool IsRunning() const { return m_Running; }
    uint32_t SessionStartMs() const { return m_SessionStart; }
    uint32_t LevelStartMs() const { return m_Messages.LevelStartMs(); }
    bool ExitWithoutAsking() const { return m_ExitWithoutAsking; }
    void SetExitWithoutAsking() { m_ExitWithoutAsking = true; }
    // The process is to end soon (the engine ran out of memory): the stop still sends the unregistration
    // but waits only briefly for the server lists.
    void SetStopSoon() { m_StopSoon = true; }
    UpdateLock& Lock() { return m_UpdateLock; }
    // What the services beside the console window read of the game.
    SessionFacts& Facts() { return m_Facts; }
    // What monitoring counts beyond the facts; any thread.
    SessionCounters& Counters() { return m_Counters; }
    // The game port the engine hosts on, once hosting has started.
    uint16_t GamePort() const { return m_GamePort; }

private:
    // IUpdateStep: the worker's step, under UpdateLock.
    bool IsLevelChanging() const override { return m_Messages.IsLevelChanging(); }
    void RunStep(uint32_t deltaMs) override;

    void LoadBans();
    bool OpenGame();
    bool StartWorld();
    uint16_t ShowHostAddress();
    HostedGame DescribeGame() const;

    ISessionView& m_View;
    IClock& m_Clock;
    SessionRecords m_Records;
    UpdateLock m_UpdateLock;
    ConsoleLog m_Log{m_View};

    EngineServer* m_Server = nullptr;
    std::atomic<bool> m_Attached{false};
    std::atomic<bool> m_Running{false}; // frames run
    std::atomic<bool> m_Hosting{false}; // hosting started and its stop has not run yet
    std::atomic<bool> m_ExitWithoutAsking{false};
    std::atomic<bool> m_StopSoon{false};
    std::atomic<uint32_t> m_SessionStart{0};
    TuningVariables m_Tuning;
    std::string m_HostAddressText;
    // The thread whose engine lines QueryEngine takes, while it runs (no thread otherwise), and the lines.
    std::atomic<std::thread::id> m_QueryThread{};
    std::vector<std::string> m_QueryLines; // touched only by m_QueryThread
    std::atomic<uint16_t> m_GamePort{0};
    BanList m_BanList;
    KickQueue m_KickQueue;
    SessionFacts m_Facts;
    SessionCounters m_Counters;

    GameMessageHandler m_Messages{GameMessageParts{m_View, m_Log, m_Clock, m_UpdateLock, m_BanList, m_KickQueue,
                                                   m_Records.m_EmptyExitEnabled, m_Tuning, m_Facts,
                                                   m_Records.m_GameInfo}};
    InternetPresence m_Presence{
        m_Clock,
        m_UpdateLock,
        m_Records.m_HostInfo,
        StatusSources{m_Records.m_HostInfo, m_Records.m_GameInfo, m_Records.m_GameOptions, m_Messages},
        m_HostAddressText,
        m_Log};
    WorkerThread m_Worker{m_Clock, m_UpdateLock};
    IStepDriver& m_Steps;
};

} // namespace dravo
