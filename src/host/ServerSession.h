// ServerSession: the running hosted game.
//
// Contract. The console window owns one session and calls InitSession,
// StartHosting, StopHosting and ResetSession on the window thread. While the
// game runs, the worker thread calls UpdateStep about every 9 ms holding
// UpdateLock: one engine frame, the empty-server countdown and the kick
// queue. The engine calls back through the AppHandler operations on whichever
// thread is inside it; game messages that change shared state take UpdateLock
// (re-entrant, so the worker's own frame passes straight through). Nothing
// here waits for the window thread: what the window shows goes through
// ISessionView as snapshots.
#pragma once

#include "app/TuningVariables.h"
#include "engine/AppHandler.h"
#include "engine/EngineServer.h"
#include "host/BanList.h"
#include "host/KickQueue.h"
#include "host/PlayerTable.h"
#include "host/SessionView.h"
#include "host/UpdateLock.h"
#include "net/EngineSendHook.h"
#include "net/ServerStatusReporter.h"
#include "net/WebRegistrar.h"
#include "platform/Clock.h"
#include "platform/window/WindowSystem.h"
#include "ui/HostingRecords.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace dravo {

constexpr size_t LOG_LINE_SIZE = 500;          // a formatted line, with its terminator
constexpr uint32_t STEP_GATE_MS = 8;           // at least this long between the starts of two steps
constexpr uint32_t WORKER_SLEEP_MS = 9;        // every pass of the worker sleeps this long
constexpr uint32_t WORKER_STOP_WAIT_MS = 1000; // how long StopHosting waits before it says so
constexpr uint16_t DEFAULT_GAME_PORT = 27888;  // the port the engine uses when given 0
inline constexpr const char* BAN_LIST_FILE = "banned.txt";

// What the session reads of the operator's choices; owned by start-up.
struct SessionRecords {
    HostInfo& m_HostInfo;
    GameOptions& m_GameOptions;
    GameInfo& m_GameInfo;
    std::atomic<bool>& m_EmptyExitEnabled; // "-EMPTYEXIT", or EmptyExit at hosting time
    uint32_t m_GamePort;                   // the Port setting; 0 lets the engine choose
};

class ServerSession final : public AppHandler {
public:
    ServerSession(ISessionView& view, WindowSystem& windows, IClock& clock, SessionRecords records);
    ~ServerSession();
    ServerSession(const ServerSession&) = delete;
    ServerSession& operator=(const ServerSession&) = delete;

    // Window thread.
    [[nodiscard]] bool InitSession(EngineServer* server);
    [[nodiscard]] bool StartHosting();
    bool StopHosting();
    void ResetSession();
    void EndSession();
    // Re-reads SpyGameType and SpyGameMode (after an operator command).
    void RefreshSpyLabels();

    // Any thread. The text of a printf-style line, cut to fit; outside text goes in as "%s".
    __attribute__((format(printf, 2, 3))) void LogLine(const char* format, ...);
    // Text from the game, the engine or the operator, logged verbatim.
    void LogText(std::string_view text);

    // Tests run the steps by hand: then StartHosting starts no worker thread.
    void SetWorkerEnabled(bool enabled) { m_WorkerEnabled = enabled; }
    // The worker's pass: a step when at least 8 ms have passed and no level change runs.
    void StepIfDue();
    // One step of the hosted game; the caller holds UpdateLock.
    void UpdateStep();
    // Handles one tagged-field message of the game code.
    void HandleGameMessage(const char* text);

    // AppHandler: the engine's calls, forwarded while the session is attached.
    int32_t OnGameText(const char* text) override;
    int32_t OnConsoleLine(const char* text) override;
    int32_t OnMemoryExhausted() override;
    int32_t OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) override;

    EngineServer* Server() const { return m_Server; }
    bool IsRunning() const { return m_Running; }
    bool IsLevelChanging() const { return m_LevelChange; }
    uint32_t SessionStartMs() const { return m_SessionStart; }
    uint32_t LevelStartMs() const { return m_LevelStart; }
    bool ExitWithoutAsking() const { return m_ExitWithoutAsking; }
    void SetExitWithoutAsking() { m_ExitWithoutAsking = true; }
    bool HasWorkerThread() const { return m_Worker.joinable(); }
    UpdateLock& Lock() { return m_UpdateLock; }
    // Read under UpdateLock.
    PlayerTable& Players() { return m_Players; }
    const std::string& CurrentLevel() const { return m_CurrentLevel; }
    void SetCurrentLevel(std::string_view level);
    const TuningVariables& Tuning() const { return m_Tuning; }
    const std::string& HostAddressText() const { return m_HostAddressText; }
    bool CountdownArmed() const { return m_CountdownArmed; }
    uint32_t CountdownRemainingMs() const { return m_CountdownRemaining; }
    const KickQueue& Kicks() const { return m_KickQueue; }
    // Internet presence; the reporter is used under UpdateLock.
    ServerStatusReporter& Reporter() { return m_Reporter; }
    const WebRegistrar& Registrar() const { return m_Registrar; }

private:
    void LoadBans();
    bool OpenGame();
    bool StartWorld();
    void ShowHostAddress();
    void WorkerThread();
    void StopWorker();
    void AdvanceCountdown(uint32_t delta);
    void HandleStateUpdate(std::string_view message);
    void HandleLevelChanged(std::string_view message);
    int32_t PingOf(uint32_t clientId);
    void StartPresence();
    void TickPresence(uint32_t delta);
    void StopReporting();

    ISessionView& m_View;
    WindowSystem& m_Windows;
    IClock& m_Clock;
    SessionRecords m_Records;

    UpdateLock m_UpdateLock;
    bool m_LockCreated = false;
    EngineServer* m_Server = nullptr;
    std::atomic<bool> m_Attached{false};
    std::atomic<bool> m_Running{false};
    std::atomic<bool> m_LevelChange{false};
    std::atomic<bool> m_ExitWithoutAsking{false};
    std::atomic<uint32_t> m_SessionStart{0};
    std::atomic<uint32_t> m_LevelStart{0};
    TuningVariables m_Tuning;
    std::string m_HostAddressText;

    // The worker thread; it marks its own end so StopHosting can wait with a bound.
    bool m_WorkerEnabled = true;
    std::thread m_Worker;
    std::atomic<std::thread::id> m_WorkerId{};
    std::mutex m_WorkerEndMutex;
    std::condition_variable m_WorkerEnded;
    bool m_WorkerDone = false;

    // Timing of the update steps (worker thread).
    std::atomic<uint32_t> m_LastStepStart{0};
    uint32_t m_PreviousStep = 0;
    bool m_FirstStep = true;

    // Game state from the messages; guarded by UpdateLock.
    PlayerTable m_Players;
    std::string m_CurrentLevel;
    bool m_CountdownArmed = false;
    uint32_t m_CountdownRemaining = 0;

    BanList m_BanList;
    KickQueue m_KickQueue;

    // Internet presence: GameSpy answers and heartbeats through the game port, web registration.
    uint16_t m_HostPort = 0; // the game port QueryHostAddress gave
    EngineSendHook m_SendHook;
    ServerStatusReporter m_Reporter{m_Clock,
                                    StatusSources{m_Records.m_HostInfo, m_Records.m_GameInfo, m_Records.m_GameOptions,
                                                  m_Players, m_CurrentLevel, m_Tuning}};
    WebRegistrar m_Registrar{m_Records.m_HostInfo, m_HostAddressText};
};

} // namespace dravo
