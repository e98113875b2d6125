// The session's life: preparing, hosting, the update step, stopping, resetting, and the engine's calls.
#include "host/session/ServerSession.h"

#include "host/game/GameMessage.h"
#include "host/game/TaggedFields.h"
#include "platform/os/Text.h"
#include "settings/GameOptionCommands.h"

#include <algorithm>
#include <cstdarg>
#include <utility>

namespace dravo {

ServerSession::ServerSession(ISessionView& fallback, IClock& clock, BlockingPool& pool, SessionRecords records,
                             IStepDriver* steps)
    : m_Clock(clock), m_Pool(pool), m_Records(records), m_Display(fallback),
      m_Steps(steps != nullptr ? *steps : m_Worker) {
    ResetSession();
}

ServerSession::~ServerSession() {
    StopHosting();
    EndSession();
}

bool ServerSession::InitSession(EngineServer* server) {
    LogLine("Initializing the server...");
    m_Server = server;
    if (server == nullptr) {
        return false;
    }
    m_Attached = true;
    m_Messages.Attach(server);
    server->AttachHandler(this);
    LoadBans();
    LogLine("Server initialized.");
    return true;
}

void ServerSession::LoadBans() {
    const BanStoreLoad load = m_BanStore.Load();
    const std::string names = m_BanStore.Files().m_Names.string();
    const std::string details = m_BanStore.Files().m_Details.string();
    if (load.m_Names.m_Cut) {
        LogLine("%s is larger than %s bytes; the names after that were left out.", names.c_str(),
                std::to_string(MAX_BAN_FILE_BYTES).c_str());
    }
    if (load.m_Names.m_TooLong > 0) {
        LogLine("%s: %s words longer than %s characters were left out; no player name is that long.", names.c_str(),
                std::to_string(load.m_Names.m_TooLong).c_str(), std::to_string(MAX_BANNED_NAME_CHARS).c_str());
    }
    for (const BanFileProblem& problem : load.m_Problems) {
        LogLine("%s line %s is damaged (%s); it is skipped.", details.c_str(), std::to_string(problem.m_Line).c_str(),
                problem.m_What.c_str());
    }
    // Without the file nobody is banned at start, yet the consoles may ban: the queue boots all the same.
    LogLine(load.m_Names.m_Loaded ? "Banned player list scanned..." : "Banning system aborted...");
    m_Counters.SetBannedNames(m_BanList.Names().size());
    m_KickQueue.ClearKicks();
    m_KickQueue.SetServer(m_Server.load());
    m_KickQueue.SetCounters(&m_Counters);
    if (load.m_Names.m_Loaded) {
        LogLine("Banning queue initialized...");
    }
}

bool ServerSession::StartHosting() {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        return false;
    }
    server->ExecuteCommand("debuglevel 0");
    (void)ApplyGameOptions(server, &m_Records.m_GameOptions);
    VariableReader reader(*server);
    ReadTuningVariables(reader, m_Tuning);
    for (const std::string& problem : reader.TakeProblems()) {
        LogText(problem);
    }
    m_Log.Secrets().ReadFrom(*server);
    if (m_Tuning.m_EmptyExit) {
        m_Records.m_EmptyExitEnabled = true;
    }
    if (!OpenGame() || !StartWorld()) {
        StopHosting();
        m_Facts.HostingEnded();
        return false;
    }
    const uint16_t hostPort = ShowHostAddress();
    m_GamePort = hostPort != 0 ? hostPort : DEFAULT_GAME_PORT;
    server->PostToGame("GAMEINIT");
    server->PostToGame("DRAVOSERV");

    const uint32_t now = m_Clock.NowMs();
    m_SessionStart = now;
    m_Messages.StartLevelClock(now);
    m_Running = true;
    m_Hosting = true;
    m_Presence.SetCounters(&m_Counters.Presence());
    m_Presence.Start(*server, hostPort, m_Tuning);
    m_PresenceEvents.Start(m_Counters.Presence(), now);
    m_Steps.Start(*this);
    m_Log.Event(event_name::SERVER_RUNNING, EventLevel::Notice,
                EventFieldList()
                    .Number("game_port", m_GamePort)
                    .Text("level", BoundedText(m_Records.m_GameInfo.m_LevelNames[0], LEVEL_NAME_SIZE))
                    .Take(),
                "Server is running.");
    m_Facts.HostingStarted(DescribeGame());
    return true;
}

HostedGame ServerSession::DescribeGame() const {
    const GameInfo& game = m_Records.m_GameInfo;
    HostedGame described{m_Records.m_HostInfo.m_MaxPlayers, m_Tuning.m_SpyGameType, {}, {}};
    for (size_t index = 0; index < std::min<size_t>(game.m_LevelCount, MAX_LEVELS); ++index) {
        described.m_Rotation.emplace_back(BoundedText(game.m_LevelNames[index], LEVEL_NAME_SIZE));
    }
    described.m_FirstLevel = described.m_Rotation.empty() ? std::string() : described.m_Rotation.front();
    described.m_StartMs = m_SessionStart;
    described.m_HostAddress =
        BoundedText(m_Records.m_HostInfo.m_HostAddress, sizeof m_Records.m_HostInfo.m_HostAddress);
    return described;
}

bool ServerSession::OpenGame() {
    const HostInfo& host = m_Records.m_HostInfo;
    const GameInfo& game = m_Records.m_GameInfo;
    std::string info;
    (void)AppendField(info, session_tag::SERVER_NAME, BoundedText(host.m_ServerName, sizeof host.m_ServerName));
    (void)AppendField(info, session_tag::HOST, session_tag::HOST_NAME);
    (void)AppendField(info, session_tag::FIRST_LEVEL, BoundedText(game.m_LevelNames[0], LEVEL_NAME_SIZE));
    (void)AppendFieldInt(info, session_tag::GAME_TYPE, game.m_GameType);

    OpenGameSessionRequest request{};
    request.m_GamePort = m_Records.m_GamePort;
    request.m_MaxPlayers = static_cast<uint32_t>(host.m_MaxPlayers);
    CopyCut(request.m_SessionInfo, info);
    if (m_Server.load()->OpenGameSession(&request) != ENGINE_TRUE) {
        LogLine("ERROR - Unable to host the game.");
        return false;
    }
    return true;
}

bool ServerSession::StartWorld() {
    const GameInfo& game = m_Records.m_GameInfo;
    const std::string_view world = BoundedText(game.m_LevelNames[0], LEVEL_NAME_SIZE);
    LoadWorldRequest request{};
    // A name that does not fit the request would start another world: refuse it instead.
    const bool fits = world.size() < sizeof request.m_WorldName;
    if (fits) {
        CopyCut(request.m_WorldName, world);
        request.m_GameInfo = &game;
        request.m_GameInfoSize = GAME_INFO_SIZE;
    }
    if (!fits || m_Server.load()->LoadWorld(&request) != ENGINE_TRUE) {
        LogLine("ERROR - Unable to start world: %.*s", static_cast<int>(world.size()), world.data());
        return false;
    }
    return true;
}

// Shows "<service> [<address>[:<port>]]" and returns the game port.
uint16_t ServerSession::ShowHostAddress() {
    HostInfo& host = m_Records.m_HostInfo;
    host.m_HostAddress[0] = '\0';
    uint16_t port = 0;
    m_Server.load()->QueryHostAddress(host.m_HostAddress, sizeof host.m_HostAddress, &port);
    host.m_HostAddress[sizeof host.m_HostAddress - 1] = '\0';

    std::string line(BoundedText(host.m_ServiceName, sizeof host.m_ServiceName));
    m_HostAddressText.clear();
    if (host.m_HostAddress[0] != '\0') {
        line += ' ';
        m_HostAddressText = host.m_HostAddress;
        if (port != 0 && port != DEFAULT_GAME_PORT) {
            m_HostAddressText += ":" + std::to_string(port);
        }
        line += "[" + m_HostAddressText + "]";
    }
    m_Display.ShowNetService(std::move(line));
    return port;
}

void ServerSession::RunStep(uint32_t deltaMs) {
    if (!m_Running) {
        return;
    }
    m_Counters.CountStepInterval(deltaMs);
    if (m_Messages.AdvanceCountdown(deltaMs)) {
        m_ExitWithoutAsking = true;
        m_Display.RequestClose();
    }
    EngineServer* server = m_Server;
    if (server != nullptr && m_Running) {
        const bool ran = server->RunFrame(0) == ENGINE_TRUE;
        EndStrayLevelChange();
        if (ran) {
            m_Facts.CountStep();
        } else {
            char error[256] = {};
            server->LastErrorText(error, 255);
            LogText(BoundedText(error, sizeof error));
            // This thread only stops running frames; the window thread does the rest of the stop.
            m_Running = false;
            m_Steps.RequestStop();
            m_Display.RequestStop();
        }
        m_KickQueue.AdvanceKicks(deltaMs);
    }
    if (m_Running) {
        m_Presence.Tick(server, deltaMs);
        m_PresenceEvents.Look(m_Counters.Presence(), m_Clock.NowMs(), m_Log);
    }
}

bool ServerSession::StopHosting() {
    m_Running = false;
    m_Steps.RequestStop();
    if (!m_Hosting.exchange(false)) {
        return true; // never hosted, or stopped already
    }
    m_Log.Event(
        LogEvent{std::string(event_name::SERVER_STOPPING), EventLevel::Notice, "Server is stopping.", {}, false});
    m_Facts.HostingEnded();
    // No registration from here on, so that the unregistration is the last request to every list.
    m_Presence.EndRegistrations();
    if (m_StopSoon) {
        m_Presence.UnregisterBriefly();
    } else {
        m_Presence.Unregister();
    }
    m_Steps.Stop([this] {
        LogLine("ERROR - The update thread did not stop within %u ms; waiting for it.", WORKER_STOP_WAIT_MS);
    });
    // After the worker: a step in progress finishes its answers first.
    m_Presence.StopReporting();
    return true;
}

void ServerSession::EndStrayLevelChange() {
    if (m_Messages.EndStrayLevelChange()) {
        LogLine("ERROR - The game began a level change and did not end it.");
    }
}

void ServerSession::ResetSession() {
    StopHosting(); // the worker is joined before the engine object is let go
    m_Server = nullptr;
    m_Running = false;
    m_SessionStart = 0;
    m_Attached = false;
    m_Messages.Reset();
}

void ServerSession::EndSession() {
    ResetSession();
    m_Clock.SleepMs(2);
}

void ServerSession::RefreshSpyLabels() {
    EngineServer* server = m_Server;
    if (server == nullptr) {
        return;
    }
    m_Log.Secrets().ReadFrom(*server); // before any later line could show a new value
    if (!m_UpdateLock.TryLockFor(OPERATOR_LOCK_WAIT)) {
        return;
    }
    std::scoped_lock lock(std::adopt_lock, m_UpdateLock);
    VariableReader reader(*server);
    ReadSpyLabels(reader, m_Tuning);
    m_Presence.SetLabels(m_Tuning);
    m_Facts.SetGameType(m_Tuning.m_SpyGameType);
}

void ServerSession::LogLine(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    m_Log.LineV(format, arguments);
    va_end(arguments);
}

int32_t ServerSession::OnGameText(const char* text) {
    if (m_Attached) {
        m_Messages.Handle(text);
    }
    return 0;
}

int32_t ServerSession::OnConsoleLine(const char* text) {
    if (m_Attached && text != nullptr) {
        LogText(text);
    }
    return 0;
}

int32_t ServerSession::OnMemoryExhausted() {
    if (m_Attached) {
        // The window thread shows the message and shuts down; this thread waits for nothing.
        m_ExitWithoutAsking = true;
        m_MemoryExhausted = true;
        m_Display.MemoryExhausted();
    }
    return 0;
}

int32_t ServerSession::OnForeignDatagram(const void* data, uint32_t length, const uint8_t address[4], uint16_t port) {
    if (m_Attached) {
        m_Presence.AnswerGamePortQuery(data, length, address, port);
    }
    return 0;
}

} // namespace dravo
