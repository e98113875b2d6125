// ServerSession: the running hosted game.
//
// Contract. Start-up owns one session for the run; the console window calls
// InitSession, StartHosting and StopHosting on the window thread, and start-up
// ends it (StopHosting, ResetSession) once the window has closed. The session
// joins four parts: the step driver (its own WorkerThread unless given one),
// which runs the update step about every 9 ms holding UpdateLock; the GameMessageHandler, which keeps the players and
// the level from the game code's messages; the InternetPresence (GameSpy and web registration); and the ConsoleLog. The
// engine calls back through the AppHandler operations on whichever thread is inside it. Nothing here waits for the
// window thread: what the window shows goes through ISessionView as snapshots, by way of the
// SessionDisplay, which keeps the texts for every console and hands them to the view attached now.
#pragma once

#include "engine/AppHandler.h"
#include "engine/EngineServer.h"
#include "engine/HostingRecords.h"
#include "host/console/ConsoleLog.h"
#include "host/console/SessionDisplay.h"
#include "host/console/SessionView.h"
#include "host/game/BanList.h"
#include "host/game/BanStore.h"
#include "host/game/GameMessageHandler.h"
#include "host/game/KickQueue.h"
#include "host/session/InternetPresence.h"
#include "host/session/PresenceEvents.h"
#include "host/session/WorkerThread.h"
#include "host/state/SessionCounters.h"
#include "host/state/SessionFacts.h"
#include "host/state/UpdateLock.h"
#include "platform/os/BlockingPool.h"
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
// What the console window's fields show, for the consoles without a window (the status command).
struct SessionStatus {
    std::string m_ServerName;
    uint32_t m_RunningMs = 0; // 0 until hosting has started
    std::string m_NetService;
    int32_t m_Players = 0;
    std::string m_CurrentLevel;
    std::string m_NextLevel;
    uint32_t m_InLevelMs = 0;
    std::string m_LevelGoal;
};

// The Net Service field once the game is not hosted.
inline constexpr std::string_view NOT_HOSTING_TEXT = "Not hosting - see the log";

// "%i:%02i:%02i" from milliseconds: 83 s show as 0:01:23.
std::string FormatRunningTime(uint32_t milliseconds);
// The Level Goal field for an end rule.
std::string FormatLevelGoal(const GameInfo& game);

struct SessionRecords {
    HostInfo& m_HostInfo;
    GameOptions& m_GameOptions;
    GameInfo& m_GameInfo;
    std::atomic<bool>& m_EmptyExitEnabled; // "-EMPTYEXIT", or EmptyExit at hosting time
    uint32_t m_GamePort;                   // the Port setting; 0 lets the engine choose
};

class ServerSession final : public AppHandler, private IUpdateStep {
public:
    // The steps run on the session's own WorkerThread, or on `steps` (which outlives the session). What the
    // game shows goes to `fallback` while no view is attached.
    ServerSession(ISessionView& fallback, IClock& clock, BlockingPool& pool, SessionRecords records,
                  IStepDriver* steps = nullptr);
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
    // Detaches from the engine, after stopping hosting if it still runs: the engine object may go then.
    void ResetSession();
    void EndSession();
    // The view that shows the game from now on (the console window while it is open); null for none.
    // Returns once no call to the view it replaces is in flight.
    void AttachView(ISessionView* view) { m_Display.Attach(view); }
    // The fields say that the game is not hosted, and why; the log says what to do.
    void MarkNotHosting(std::string_view why);
    // Re-reads SpyGameType and SpyGameMode (after an operator command); skipped when the game holds
    // UpdateLock longer than a command may wait.
    void RefreshSpyLabels();
    // After an operator's call into the engine returns on the window thread: a level change the game
    // began during it and did not end is ended, with a line saying so.
    void EndStrayLevelChange();
    void SetCurrentLevel(std::string_view level) {
        m_Messages.SetCurrentLevel(level);
        m_Display.ShowCurrentLevel(std::string(level));
    }
    // The server's name changed at a console: the view shows it.
    void ShowServerName(std::string name) { m_Display.ShowServerName(std::move(name)); }
    // The operator's Next Level: asks the game for the next level, so that the level's end is told as
    // the operator's. False when no game is hosted.
    bool NextLevel();
    // Disconnects the player with this client id, as the operator's Boot; false when no game is hosted.
    // `reason` and `origin` ("console", "remote ADDRESS", "fleet") go with the "player.kicked" event.
    bool Boot(uint32_t clientId, std::string_view reason = {}, std::string_view origin = "console");
    // Sends the operator's text to every player through the game code; false when no game is hosted or
    // the game did not take it (said in the log).
    bool Say(std::string_view text);
    // Asks the game to go to this level of its rotation now; false when no game is hosted or the game
    // refused (said in the log).
    bool GoToLevel(std::string_view level);
    // The bans and their files; window thread.
    BanStore& Bans() { return m_BanStore; }
    // Reads the ban files again and logs what they hold.
    void LoadBans();
    // An operator's console command for the engine (logged by the caller), counted; afterwards a stray
    // level change is ended and the labels read again. False when no game is hosted (said in the log).
    bool RunEngineCommand(std::string_view command);
    // Runs a console command for the front end's own use (the names Tab completes): what the engine says
    // while it runs, on this thread, comes back here instead of going to the log (a silent LogCapture); at
    // most MAX_QUERY_BYTES. Window thread; nothing without a server object.
    std::vector<std::string> QueryEngine(const char* command);
    static constexpr size_t MAX_QUERY_BYTES = size_t{1024} * 1024;
    // What the window's fields would show now; any thread.
    SessionStatus Status() const;

    // Any thread. The text of a printf-style line, cut to fit; outside text goes in as "%s".
    __attribute__((format(printf, 2, 3))) void LogLine(const char* format, ...);
    // Text from the game, the engine or the operator, logged verbatim.
    void LogText(std::string_view text) { m_Log.Text(text); }
    // A console command about to run, logged with the value it gives a secret variable masked.
    void LogCommand(std::string_view command, std::string_view origin = "console") { m_Log.Command(command, origin); }
    // Where the log's lines go besides the console window (the log file).
    ConsoleLog& Log() { return m_Log; }

    // AppHandler: the engine's calls, forwarded while the session is attached.
    int32_t OnGameText(const char* text) override;
    int32_t OnConsoleLine(const char* text) override;
    int32_t OnMemoryExhausted() override;
    int32_t OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) override;

    // What the console window reads.
    EngineServer* Server() const { return m_Server.load(); }
    bool IsRunning() const { return m_Running; }
    uint32_t SessionStartMs() const { return m_SessionStart; }
    uint32_t LevelStartMs() const { return m_Messages.LevelStartMs(); }
    bool ExitWithoutAsking() const { return m_ExitWithoutAsking; }
    void SetExitWithoutAsking() { m_ExitWithoutAsking = true; }
    // The process is to end soon (the engine ran out of memory): the stop still sends the unregistration
    // but waits only briefly for the server lists.
    void SetStopSoon() { m_StopSoon = true; }
    // The engine ran out of memory during the run: the settings must not be saved.
    bool RanOutOfMemory() const { return m_MemoryExhausted; }
    UpdateLock& Lock() { return m_UpdateLock; }
    // What the services beside the console window read of the game.
    SessionFacts& Facts() { return m_Facts; }
    // What monitoring counts beyond the facts; any thread.
    SessionCounters& Counters() { return m_Counters; }
    // The game port the engine hosts on, once hosting has started.
    uint16_t GamePort() const { return m_GamePort; }
    // The read-only variables as hosting started read them; window thread.
    const TuningVariables& Tuning() const { return m_Tuning; }
    // The GameSpy query port while reporting, else 0. Window thread.
    uint16_t QueryPort() const { return m_Presence.QueryPort(); }
    // The ports named to players and the master server; any thread.
    AdvertisedPorts& Advertised() { return m_Presence.Advertised(); }

private:
    // IUpdateStep: the worker's step, under UpdateLock.
    bool IsLevelChanging() const override { return m_Messages.IsLevelChanging(); }
    void RunStep(uint32_t deltaMs) override;

    bool OpenGame();
    // Posts verb and text to the game code (a SAY, a LEVEL).
    bool PostOperatorText(std::string_view verb, std::string_view text);
    bool StartWorld();
    uint16_t ShowHostAddress();
    HostedGame DescribeGame() const;

    IClock& m_Clock;
    BlockingPool& m_Pool; // where the name lookups and web registrations block
    SessionRecords m_Records;
    UpdateLock m_UpdateLock;
    SessionDisplay m_Display;
    ConsoleLog m_Log{m_Display};

    // Set on the window thread before the worker starts and cleared only after it has been joined.
    std::atomic<EngineServer*> m_Server{nullptr};
    std::atomic<bool> m_Attached{false};
    std::atomic<bool> m_Running{false}; // frames run
    std::atomic<bool> m_Hosting{false}; // hosting started and its stop has not run yet
    std::atomic<bool> m_ExitWithoutAsking{false};
    std::atomic<bool> m_StopSoon{false};
    std::atomic<bool> m_MemoryExhausted{false};
    std::atomic<uint32_t> m_SessionStart{0};
    TuningVariables m_Tuning;
    std::string m_HostAddressText;
    std::atomic<uint16_t> m_GamePort{0};
    BanList m_BanList;
    BanStore m_BanStore{m_BanList};
    KickQueue m_KickQueue;
    SessionFacts m_Facts;
    SessionCounters m_Counters;

    GameMessageHandler m_Messages{GameMessageParts{m_Display, m_Log, m_Clock, m_UpdateLock, m_BanList, m_KickQueue,
                                                   m_Records.m_EmptyExitEnabled, m_Tuning, m_Facts,
                                                   m_Records.m_GameInfo}};
    InternetPresence m_Presence{
        m_Clock,
        m_Pool,
        m_UpdateLock,
        m_Records.m_HostInfo,
        StatusSources{m_Records.m_HostInfo, m_Records.m_GameInfo, m_Records.m_GameOptions, m_Messages},
        m_HostAddressText,
        m_Log};
    PresenceEvents m_PresenceEvents; // the worker's, during its steps
    WorkerThread m_Worker{m_Clock, m_UpdateLock};
    IStepDriver& m_Steps;
};

} // namespace dravo
